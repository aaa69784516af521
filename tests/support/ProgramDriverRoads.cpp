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
    const HWND logon = WaitForUsable(mainWindow, IDC_LOGON_SCAN);
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
