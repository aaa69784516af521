#pragma once
#include <string>

class CLabel;

// What the check-box tree needs from the page that shows it: the page's
// counters of selected and total findings, its selection label, and the
// place where a category's description is shown.
class CheckedTreeOwner
{
public:
    virtual ~CheckedTreeOwner() = default;
    virtual int& SelectedCount() = 0;
    virtual int& TotalCount() = 0;
    // May be null: the counters are kept all the same.
    virtual CLabel* SelectionLabel() = 0;
    virtual void SetDescription(const std::string& description) = 0;
};
