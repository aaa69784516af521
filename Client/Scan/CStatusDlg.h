#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"
#include "Client/Scan/LastResults.h"

// The home page: per category what the last scan found, what the last repair
// removed and how many entries the ignore list holds, the totals, and the
// date of the last scan. Row captions and headings are part of its bitmap.
class CStatusDlg : public CBitmapDialog
{
public:
    explicit CStatusDlg(CWnd* parent = nullptr);
    ~CStatusDlg() override;

    // Every stored statistic into its label; the running junk total is
    // remembered for the next repair.
    void LoadLastResults();
    // The ignore list read again and counted per category.
    void RefreshIgnoredCounts();
    // Stored repaired values and their labels := 0 (the running junk total stays).
    void ResetLastCleaned();
    // Stored found values of the scanned categories and their labels := 0.
    void ResetLastErrors();
    // The running total of freed junk KB as last loaded; 0 before the first load.
    DWORD GetJunkRunningTotal() const { return m_junkRunningTotal; }
    void SetLastScanText(const std::string& text);

    // Shows what a scan or a repair has just written.
    void ShowFound(const LastResults::FoundStatistics& found);
    void ShowRepaired(const LastResults::RepairedStatistics& repaired);

    // The statistics where the program's settings live.
    static LastResults StoredStatistics();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnDestroy() override;

private:
    CLabel* Label(int id) const;
    void SetLabel(int id, const std::string& text) const;
    void StyleLabels();

    std::vector<std::pair<int, std::unique_ptr<CLabel>>> m_labels;
    DWORD m_junkRunningTotal = 0;
};
