// The ignore-list page in the real main window, run in this process and
// driven from a second thread as a user would, over the real results store
// and its file "IL".
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/StoreTestFolder.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Client/res/IgnoreListResource.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "Framework/CHandle.h"
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
        // Reached as a user would: the page is made on the window's thread
        // when it is first shown.
        RunMainWindow([&](CRegClientDlg& window, HWND main) {
            const HWND list = ShowIgnoreListPage(main);
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
        // The file is written on a worker; the row goes once it is.
        ASSERT_TRUE(WaitFor(10000, [&] { return ListRowCount(list) == 4; }));
        EXPECT_EQ(IgnoreListBytes(), std::string(kShortcut) + kActiveX + kSameName + kSamePaths);
        EXPECT_EQ(RowOf(list, kSameKey, "Startup Items"), -1);
        EXPECT_GE(RowOf(list, kSameKey, "File Path References"), 0);

        // An item holding "^" of its own is found whole.
        ASSERT_TRUE(ListSelectRowAndWait(list, RowOf(list, "C:\\users\\Public\\Desktop\\a^b.lnk", "Shortcuts")));
        ASSERT_TRUE(ClickWhenUsable(pageWindow, IDC_IGNORE_REMOVE));
        ASSERT_TRUE(WaitFor(10000, [&] { return ListRowCount(list) == 3; }));
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

// A list of tens of thousands of entries, as the program lets it grow, is
// read whole and shown a step at a time; the window answers all along. The
// longest answer is reported, not judged.
TEST(IgnoreListPage, ALongListIsShownWholeWhileTheWindowAnswers)
{
    if (!RunInOwnFolder())
        return;
    const int count = 30000;
    std::string large;
    for (int i = 0; i < count; ++i)
        large += "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\qm" +
                 std::to_string(100000 + i) + "^Windows Startup Items^0;\r\n";
    ASSERT_GT(large.size(), 2u << 20);
    PlantIgnoreList(large);
    PageRun page;
    page.RunMainWindow([&](CRegClientDlg&, HWND main) {
        // As a user goes there: the settings page, then its ignore-list tab.
        const HWND settings = ShowSettingsPage(main);
        ASSERT_NE(settings, static_cast<HWND>(NULL));
        ASSERT_TRUE(ClickWhenUsable(settings, IDC_TAB_IGNORE_LIST));
        const HWND list = WaitForUsable(main, IDC_IGNORE_LIST);
        ASSERT_NE(list, static_cast<HWND>(NULL));
        // The list holds no row of its own: it asks the page for the rows
        // it shows, so no length of list holds the window, its memory or its
        // end.
        EXPECT_NE(::GetWindowLongA(list, GWL_STYLE) & LVS_OWNERDATA, 0);
        DWORD longest = 0;
        const bool whole = WaitFor(120000, [&] {
            const DWORD asked = ::GetTickCount();
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
            longest = std::max(longest, ::GetTickCount() - asked);
            return ListRowCount(list) == count;
        });
        ASSERT_TRUE(whole) << "the list shows " << ListRowCount(list) << " of " << count << " rows";
        testing::Test::RecordProperty("longest_answer_ms", static_cast<int>(longest));
        std::printf("the window answered within %lu ms at most while the list filled\n",
                    static_cast<unsigned long>(longest));
        EXPECT_EQ(ListCellText(list, 0, 0), "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\qm100000");
        EXPECT_EQ(ListCellText(list, count - 1, 0),
                  "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\qm" +
                      std::to_string(100000 + count - 1));
        EXPECT_EQ(ListCellText(list, count - 1, 1), "Windows Startup Items");
        EXPECT_EQ(WaitForMessageBoxOf(::GetCurrentProcessId(), 200), static_cast<HWND>(NULL));

        // Removing one writes the list less that one record.
        ASSERT_TRUE(ListSelectRowAndWait(list, 0));
        ASSERT_TRUE(ClickWhenUsable(::GetParent(list), IDC_IGNORE_REMOVE));
        EXPECT_TRUE(WaitFor(10000, [&] { return ListRowCount(list) == count - 1; }));
    });
    EXPECT_TRUE(IgnoreListBytes() == large.substr(large.find('\n') + 1)) << "more than the one record changed";
}

// A list that cannot be written keeps its row and its file, and the user is
// warned.
TEST(IgnoreListPage, ARemoveThatCannotBeWrittenIsWarnedAndChangesNothing)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList(AllRecords());
    // Another program reads the file and lets nobody write it or take it away.
    CHandle held(::CreateFileA(CScanItemsInfo::IgnoreListPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    PageRun page;
    page.RunWindow([&](CRegClientDlg&, HWND, HWND pageWindow, HWND list) {
        ASSERT_EQ(ListRowCount(list), 5);
        ASSERT_TRUE(ListSelectRowAndWait(list, 0));
        ASSERT_TRUE(PressButton(pageWindow, IDC_IGNORE_REMOVE));
        const HWND box = WaitForMessageBoxWith(::GetCurrentProcessId(), "could not be written", 20000);
        ASSERT_NE(box, static_cast<HWND>(NULL)) << "nothing was said";
        EXPECT_NE(MessageBoxText(box).find(CScanItemsInfo::IgnoreListPath()), std::string::npos)
            << MessageBoxText(box);
        // The box's icon is the warning sign.
        const HWND icon = ::GetDlgItem(box, 0x0440);
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(icon, STM_GETICON, 0, 0)), ::LoadIconA(nullptr, IDI_WARNING));
        AnswerMessageBox(box, IDOK);
        EXPECT_TRUE(WaitFor(5000, [&] { return ListRowCount(list) == 5; }));
    });
    held.Close();
    EXPECT_EQ(IgnoreListBytes(), AllRecords());
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
        EXPECT_TRUE(WaitFor(10000, [&] { return ListRowCount(list) == 0; }));
        EXPECT_EQ(IgnoreListBytes(), "");

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
