// Roads through the program's pages, by the ids of its resources.
#include "support/ProgramDriver.h"


#include <gtest/gtest.h>

#include "Client/res/IgnoreListResource.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"

namespace ProgramDriver
{
HWND StartProgramIn(RunningProgram& program, const std::string& folder)
{
    const std::string exe = folder + "Quillomar.exe";
    if (!program.Start(exe))
    {
        ADD_FAILURE() << "cannot start " << exe;
        return NULL;
    }
    return program.WaitForMainWindow();
}

HWND ScanAndShowResults(HWND mainWindow, DWORD scanMilliseconds)
{
    // The scan page may be on show already.
    if (IsUsable(FindVisibleControl(mainWindow, IDC_SCAN_BUTTON)))
    {
        EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_BUTTON));
    }
    EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_START, 20000)) << "no scan button";
    EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SHOW_RESULTS, scanMilliseconds)) << "the scan did not end";
    const HWND ignore = WaitForUsable(mainWindow, IDC_IGNORE_BUTTON, 20000);
    EXPECT_NE(ignore, static_cast<HWND>(NULL)) << "no results page";
    return ignore ? ::GetDlgItem(::GetParent(ignore), IDC_RESULTS_TREE) : NULL;
}

HWND ShowSettingsPage(HWND mainWindow)
{
    EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SETTINGS_LINK)) << "no settings button";
    // The page shows before it starts the read that greys its log-on box:
    // the box counts only once the window has answered after the switch.
    WaitFor(10000, [mainWindow] { return FindVisibleControl(mainWindow, IDC_LOGON_SCAN) != NULL; });
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
    const HWND logon = WaitForUsable(mainWindow, IDC_LOGON_SCAN, 30000);
    EXPECT_NE(logon, static_cast<HWND>(NULL)) << "no settings page";
    return logon ? ::GetParent(logon) : NULL;
}

HWND ShowIgnoreListPage(HWND mainWindow)
{
    const HWND settings = ShowSettingsPage(mainWindow);
    if (!settings)
        return NULL;
    EXPECT_TRUE(ClickWhenUsable(settings, IDC_TAB_IGNORE_LIST)) << "no ignore-list tab";
    const HWND list = WaitForUsable(mainWindow, IDC_IGNORE_LIST);
    EXPECT_NE(list, static_cast<HWND>(NULL)) << "the ignore-list page did not show";
    return list;
}
}

// ---- A job that outlives what the program waits for ----

namespace
{
BOOL CALLBACK FindProgressPage(HWND child, LPARAM found)
{
    if (::GetDlgCtrlID(child) != IDC_CANCEL_SCAN || !ProgramDriver::IsUsable(child) ||
        !::GetDlgItem(::GetParent(child), IDC_RESUME_SCAN))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = ::GetParent(child);
    return FALSE;
}
}

namespace ProgramDriver
{
HWND StartScanAndHoldItsThread(HWND mainWindow)
{
    if (IsUsable(FindVisibleControl(mainWindow, IDC_SCAN_BUTTON)))
    {
        EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_BUTTON));
    }
    EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_START, 20000)) << "no scan button";
    // The progress page: the one with both a usable cancel button and a
    // continue button (other pages share the first id).
    HWND page = NULL;
    const auto findPage = [mainWindow, &page] {
        ::EnumChildWindows(mainWindow, &FindProgressPage, reinterpret_cast<LPARAM>(&page));
        return page != NULL;
    };
    EXPECT_TRUE(WaitFor(20000, findPage)) << "the scan did not start";
    if (!page)
        return NULL;
    ::PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_PAUSE_SCAN, BN_CLICKED), 0);
    // Held: the page shows its continue button in place of the pause button.
    const bool held = WaitFor(10000, [page] { return ::IsWindowVisible(::GetDlgItem(page, IDC_RESUME_SCAN)) != FALSE; });
    EXPECT_TRUE(held) << "the scan's thread was not held";
    const bool ended = ::IsWindowEnabled(::GetDlgItem(page, IDC_SHOW_RESULTS)) != FALSE;
    EXPECT_FALSE(ended) << "the scan ended before it was held";
    return held && !ended ? page : NULL;
}

bool CancelHeldScanAndEndTheMainWindow(HWND mainWindow, HWND page)
{
    ::PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_CANCEL_SCAN, BN_CLICKED), 0);
    const bool cancelled =
        WaitFor(10000, [page] { return WindowText(::GetDlgItem(page, IDC_SCAN_STATE)) == "Scan is canceled."; });
    EXPECT_TRUE(cancelled) << "the scan was not cancelled";
    if (!cancelled)
        return false;
    // As the Enter key ends a dialog.
    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    const bool ended = WaitFor(10000, [mainWindow] { return !::IsWindowVisible(mainWindow); });
    EXPECT_TRUE(ended) << "the main window did not end";
    return ended;
}
}
