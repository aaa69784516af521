// The ignore-list page in the real main window, run in this process and
// driven from a second thread as a user would, over the real results store
// and its file "IL".
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/ListFile.h"
#include "Client/Scan/StoreTestFolder.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Client/res/IgnoreListResource.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "support/ProgramDriver.h"

CRegClientApp theApp;

using namespace ProgramDriver;

namespace
{
// As the results page's ignore action leaves the file: every record, in key
// order. The two "Same" items sort one way by key and the other way by
// item; the shortcut's file name holds a "^" of its own.
const char kSameKey[] = "HKEY_CURRENT_USER\\Software\\Same";
const char kActiveX[] = "HKEY_CLASSES_ROOT\\CLSID\\{00000000-1111-2222-3333-444444444444}^ActiveX Objects^0;\r\n";
const char kShortcut[] = "C:\\users\\Public\\Desktop\\a^b.lnk^Shortcuts^0;\r\n";
const char kSameName[] = "HKEY_CURRENT_USER\\Software\\Same Name^Startup Items^0;\r\n";
const char kSamePaths[] = "HKEY_CURRENT_USER\\Software\\Same^File Path References^0;\r\n";
const char kSameStartup[] = "HKEY_CURRENT_USER\\Software\\Same^Startup Items^0;\r\n";

std::string AllRecords()
{
    return std::string(kShortcut) + kActiveX + kSameName + kSamePaths + kSameStartup;
}

struct PageRun
{
    // Runs the main window here while drive works it from another thread
    // once it shows.
    void RunMainWindow(const std::function<void(CRegClientDlg& dialog, HWND window)>& drive)
    {
        CScanItemsInfo store;
        theApp.m_pScanItems = &store;
        CRegClientDlg window;
        std::thread driver([&] {
            HWND main = NULL;
            EXPECT_TRUE(WaitFor(30000, [&] { return (main = window.GetSafeHwnd()) != NULL && ::IsWindowVisible(main); }))
                << "the main window did not show";
            if (!main)
                return;
            drive(window, main);
            CloseAnsweringBoxes(main);
        });
        window.DoModal();
        driver.join();
        theApp.m_pScanItems = nullptr;
    }

    // The same, with the ignore-list page on show.
    void RunWindow(const std::function<void(CRegClientDlg& dialog, HWND window, HWND page, HWND list)>& drive)
    {
        RunMainWindow([&](CRegClientDlg& window, HWND main) {
            window.ShowPage(kPageIgnoreList);
            const HWND list = WaitForUsable(main, IDC_IGNORE_LIST);
            EXPECT_NE(list, static_cast<HWND>(NULL)) << "the ignore-list page did not show";
            if (list)
                drive(window, main, ::GetParent(list), list);
        });
    }
};

std::vector<std::vector<std::string>> Rows(HWND list)
{
    return ListRows(list);
}

int RowOf(HWND list, const std::string& item, const std::string& category)
{
    const auto rows = ListRows(list);
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].size() == 2 && rows[i][0] == item && rows[i][1] == category)
            return static_cast<int>(i);
    return -1;
}
}

TEST(IgnoreListPage, ListsEveryEntryWithItsCategoryAndRemovesExactlyTheOneSelected)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList(AllRecords());
    PageRun page;
    page.RunWindow([](CRegClientDlg&, HWND window, HWND pageWindow, HWND list) {
        EXPECT_EQ(WindowText(FindVisibleControl(window, IDC_CAPTION_LABEL)), "SETTINGS - IGNORE LIST");
        // Sorted by item; two rows of one item may come either way round.
        const auto rows = Rows(list);
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(rows[0], (std::vector<std::string>{"C:\\users\\Public\\Desktop\\a^b.lnk", "Shortcuts"}));
        EXPECT_EQ(rows[1], (std::vector<std::string>{
                               "HKEY_CLASSES_ROOT\\CLSID\\{00000000-1111-2222-3333-444444444444}", "ActiveX Objects"}));
        EXPECT_EQ(rows[2][0], kSameKey);
        EXPECT_EQ(rows[3][0], kSameKey);
        EXPECT_GE(RowOf(list, kSameKey, "File Path References"), 2);
        EXPECT_GE(RowOf(list, kSameKey, "Startup Items"), 2);
        EXPECT_EQ(rows[4], (std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Same Name", "Startup Items"}));
        EXPECT_TRUE(SaveScreenshot(window, "ignore-list-page"));

        // Nothing selected: nothing changes.
        ASSERT_TRUE(IsUsable(::GetDlgItem(pageWindow, IDC_IGNORE_REMOVE)));
        ASSERT_TRUE(ClickButton(pageWindow, IDC_IGNORE_REMOVE));
        EXPECT_EQ(IgnoreListBytes(), AllRecords());

        // The second of two entries of one item goes, the first stays.
        const int startup = RowOf(list, kSameKey, "Startup Items");
        ASSERT_GE(startup, 0);
        ASSERT_TRUE(ListSelectRowAndWait(list, startup));
        ASSERT_TRUE(ClickButton(pageWindow, IDC_IGNORE_REMOVE));
        EXPECT_EQ(IgnoreListBytes(), std::string(kShortcut) + kActiveX + kSameName + kSamePaths);
        EXPECT_EQ(RowOf(list, kSameKey, "Startup Items"), -1);
        EXPECT_GE(RowOf(list, kSameKey, "File Path References"), 0);
        EXPECT_EQ(ListRowCount(list), 4);

        // An item holding "^" of its own is found whole.
        ASSERT_TRUE(ListSelectRowAndWait(list, RowOf(list, "C:\\users\\Public\\Desktop\\a^b.lnk", "Shortcuts")));
        ASSERT_TRUE(ClickButton(pageWindow, IDC_IGNORE_REMOVE));
        EXPECT_EQ(IgnoreListBytes(), std::string(kActiveX) + kSameName + kSamePaths);
    });
}

TEST(IgnoreListPage, RemoveTakesOutTheOneRecordAndLeavesWhatTheListDoesNotShow)
{
    if (!RunInOwnFolder())
        return;
    // The list ends at the empty entry; what follows it is kept as it is.
    const std::string rest = std::string(";\r\n") + kSamePaths;
    PlantIgnoreList(std::string(kActiveX) + rest);
    PageRun page;
    page.RunWindow([&](CRegClientDlg&, HWND, HWND pageWindow, HWND list) {
        ASSERT_EQ(ListRowCount(list), 1);
        ASSERT_TRUE(ListSelectRowAndWait(list, 0));
        ASSERT_TRUE(ClickWhenUsable(pageWindow, IDC_IGNORE_REMOVE));
        EXPECT_TRUE(WaitFor(10000, [&] { return ListRowCount(list) == 0; }));
        EXPECT_EQ(IgnoreListBytes(), rest);
        EXPECT_EQ(WaitForMessageBoxOf(::GetCurrentProcessId(), 500), static_cast<HWND>(NULL));
    });
}

// A file far beyond any ignore list is not read: the page comes up at once,
// empty, and says why.
TEST(IgnoreListPage, AFileTooLargeToBeAListIsToldAndLeftAlone)
{
    if (!RunInOwnFolder())
        return;
    std::string large;
    while (large.size() <= ListFile::kMaxBytes)
        large += kActiveX;
    PlantIgnoreList(large);
    PageRun page;
    page.RunMainWindow([](CRegClientDlg&, HWND main) {
        // As a user goes there: the settings page, then its ignore-list tab.
        if (const HWND settings = ShowSettingsPage(main))
        {
            EXPECT_TRUE(ClickWhenUsable(settings, IDC_TAB_IGNORE_LIST));
        }
        const HWND box = WaitForMessageBoxWith(::GetCurrentProcessId(), "too large to be a list", 20000);
        EXPECT_NE(box, static_cast<HWND>(NULL)) << "nothing was said";
        if (box)
        {
            EXPECT_NE(MessageBoxText(box).find(CScanItemsInfo::IgnoreListPath()), std::string::npos)
                << MessageBoxText(box);
            AnswerMessageBox(box, IDOK);
        }
        const HWND list = WaitForUsable(main, IDC_IGNORE_LIST);
        EXPECT_NE(list, static_cast<HWND>(NULL));
        EXPECT_EQ(list ? ListRowCount(list) : -1, 0);
    });
    EXPECT_TRUE(IgnoreListBytes() == large) << "the file was changed";
}

TEST(IgnoreListPage, RemovingTheLastEntryLeavesAnEmptyFileAndTheTabsLeadToTheSettingsTabs)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList(kActiveX);
    PageRun page;
    page.RunWindow([&](CRegClientDlg& dialog, HWND window, HWND pageWindow, HWND list) {
        ASSERT_TRUE(ListSelectRowAndWait(list, 0));
        ASSERT_TRUE(ClickButton(pageWindow, IDC_IGNORE_REMOVE));
        EXPECT_EQ(IgnoreListBytes(), "");
        EXPECT_EQ(ListRowCount(list), 0);

        EXPECT_FALSE(IsUsable(::GetDlgItem(pageWindow, IDC_IGNORE_TAB_IGNORE))) << "the current tab";
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(pageWindow, IDC_IGNORE_TAB_ADVANCED)));
        for (int hidden : {IDC_IGNORE_GENERAL_LINK, IDC_IGNORE_OLD_LIST, IDC_IGNORE_CATEGORY_COMBO, IDC_IGNORE_HEADING})
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(pageWindow, hidden))) << hidden;
        const std::pair<int, const char*> tabs[] = {{IDC_IGNORE_TAB_GENERAL, "SETTINGS - GENERAL"},
                                                    {IDC_IGNORE_TAB_SCHEDULE, "SETTINGS - SCHEDULE"}};
        for (const auto& [tab, caption] : tabs)
        {
            ASSERT_TRUE(ClickWhenUsable(pageWindow, tab));
            for (int i = 0; i < 100 && ::IsWindowVisible(pageWindow); ++i)
                ::Sleep(50);
            EXPECT_FALSE(::IsWindowVisible(pageWindow)) << "tab " << tab << " left the page on show";
            EXPECT_EQ(WindowText(FindVisibleControl(window, IDC_CAPTION_LABEL)), caption)
                << "the settings page shows the tab of that name";
            for (int button : {IDC_HOME_BUTTON, IDC_SCAN_BUTTON, IDC_STARTUP_BUTTON, IDC_BACKUP_BUTTON,
                               IDC_DEFRAG_BUTTON})
                EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window, button))) << button;
            dialog.ShowPage(kPageIgnoreList);
            ASSERT_TRUE(::IsWindowVisible(pageWindow));
        }
    });
}
