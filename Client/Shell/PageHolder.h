#pragma once
#include <functional>

class CWnd;

// One page of the main window, made when something first needs it: the page
// switch showing it, or anything else that addresses it (the scan road, the
// update check). A page that was never needed costs the start nothing; once
// made it lives as long as the main window.
class PageHolder
{
public:
    // Makes the page's window and joins it to the program; false when the
    // window could not be made (a test's main window without the pages'
    // templates), which is not tried again.
    using Maker = std::function<bool()>;

    PageHolder() = default;
    // A page whose window exists already.
    explicit PageHolder(CWnd* page);
    PageHolder(CWnd* page, Maker make);

    // The page's window, made first when it has none yet; nullptr when it
    // cannot be made.
    CWnd* Window();
    // The page's window only when it was made; nothing is made here.
    CWnd* MadeWindow() const;
    bool IsMade() const { return MadeWindow() != nullptr; }
    // Whether the page was made, or tried to be.
    bool WasTried() const { return m_tried; }

private:
    CWnd* m_page = nullptr;
    Maker m_make;
    bool m_tried = false;
};
