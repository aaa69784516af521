// The ignore road through the real Quillomar.exe: findings ignored on the
// results page, shown on the ignore-list page, one of them removed there,
// and the next scan reports it again while the other stays ignored.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Client/res/IgnoreListResource.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/ShellResource.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;

namespace
{
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kCategory[] = "Application Paths";
// Application paths only.
const DWORD kScannedCategories = 0x40000;
// A registry key's name may hold "^": the list keeps such an item whole.
const char kCaretApp[] = "qm^gone.exe";
const char kPlainApp[] = "qmgonetoo.exe";

// As the scan reports it: the key's path, its name lower-cased.
std::string FindingText(const char* app)
{
    return "HKEY_LOCAL_MACHINE\\" + std::string(kAppPaths) + "\\" + app;
}

std::string Record(const char* app)
{
    return FindingText(app) + "^" + kCategory + "^0;\r\n";
}

const TreeRow* FindLeaf(const std::vector<TreeRow>& rows, const std::string& text)
{
    for (const TreeRow& row : rows)
        if (row.depth == 1 && row.text == text)
            return &row;
    return nullptr;
}



// Selects the finding on the results page and ignores it; true once its row
// has left the tree.
bool IgnoreFinding(HWND mainWindow, HWND tree, const std::string& text)
{
    const std::vector<TreeRow> rows = TreeRows(tree);
    const TreeRow* row = FindLeaf(rows, text);
    if (!row || !TreeSelect(tree, row->item) || !ClickWhenUsable(mainWindow, IDC_IGNORE_BUTTON))
        return false;
    return WaitFor(10000, [&] { return !FindLeaf(TreeRows(tree), text); });
}
}

TEST(IgnoreListProgram, IgnoredOnTheResultsRemovedOnTheListAndReportedAgain)
{
    for (const char* app : {kCaretApp, kPlainApp})
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + app, "",
                                       std::string("C:\\QmNowhere\\") + app));
    const std::string folder = MakeProgramFolder("ignore-road");
    ASSERT_TRUE(TestEnv::WriteFile(folder + "qmsettings.ini", "[SETTINGS]\r\nFirstRun=0\r\nLastSelectedScanTypes=" +
                                                                  std::to_string(kScannedCategories) + "\r\n"));
    const std::string ignoreList = folder + "IL";

    RunningProgram program;
    const HWND mainWindow = StartProgramIn(program, folder);
    ASSERT_NE(mainWindow, static_cast<HWND>(NULL));

    // Both are found, and both ignored.
    HWND tree = ScanAndShowResults(mainWindow);
    ASSERT_NE(tree, static_cast<HWND>(NULL));
    for (const char* app : {kCaretApp, kPlainApp})
        ASSERT_TRUE(IgnoreFinding(mainWindow, tree, FindingText(app))) << app;
    // The list is written on a worker of the program.
    EXPECT_TRUE(WaitFor(10000, [&] { return TestEnv::ReadFile(ignoreList) == Record(kCaretApp) + Record(kPlainApp); }))
        << TestEnv::ReadFile(ignoreList);

    // The list shows each item whole with its category; the one holding "^"
    // goes, the other's record stays as it was.
    const HWND list = ShowIgnoreListPage(mainWindow);
    ASSERT_NE(list, static_cast<HWND>(NULL));
    std::vector<std::vector<std::string>> rows = ListRows(list);
    ASSERT_EQ(rows.size(), 2u);
    int caretRow = -1;
    for (size_t i = 0; i < rows.size(); ++i)
    {
        ASSERT_EQ(rows[i].size(), 2u);
        EXPECT_EQ(rows[i][1], kCategory);
        if (rows[i][0] == FindingText(kCaretApp))
            caretRow = static_cast<int>(i);
        else
            EXPECT_EQ(rows[i][0], FindingText(kPlainApp));
    }
    ASSERT_GE(caretRow, 0) << "the item holding \"^\" is not shown whole";
    EXPECT_TRUE(SaveScreenshot(mainWindow, "ignore-road-list"));
    ASSERT_TRUE(ListSelectRowAndWait(list, caretRow));
    ASSERT_TRUE(ClickWhenUsable(::GetParent(list), IDC_IGNORE_REMOVE));
    EXPECT_TRUE(WaitFor(10000, [&] { return ListRowCount(list) == 1; }));
    EXPECT_EQ(TestEnv::ReadFile(ignoreList), Record(kPlainApp));

    // The next scan reports the removed one again, and only that one.
    tree = ScanAndShowResults(mainWindow);
    ASSERT_NE(tree, static_cast<HWND>(NULL));
    const std::vector<TreeRow> found = TreeRows(tree);
    EXPECT_NE(FindLeaf(found, FindingText(kCaretApp)), nullptr) << "the removed item is still ignored";
    EXPECT_EQ(FindLeaf(found, FindingText(kPlainApp)), nullptr) << "the ignored item is reported";
    EXPECT_TRUE(SaveScreenshot(mainWindow, "ignore-road-scanned-again"));

    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    EXPECT_TRUE(program.WaitForExit(20000)) << "the program did not end";
}

// A list just under the 2 MB the program once refused: ignoring one more
// finding takes it past them, and the next start still honours every
// record; with the automatic repair on, nothing the user kept is deleted.
TEST(IgnoreListProgram, AListPastTwoMegabytesIsHonouredAtTheNextStartAndNothingOnItIsRepaired)
{
    for (const char* app : {kCaretApp, kPlainApp})
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + app, "",
                                       std::string("C:\\QmNowhere\\") + app));
    const std::string folder = MakeProgramFolder("ignore-long");
    const std::string settings = "[SETTINGS]\r\nFirstRun=0\r\nLastSelectedScanTypes=" +
                                 std::to_string(kScannedCategories) + "\r\n";
    ASSERT_TRUE(TestEnv::WriteFile(folder + "qmsettings.ini", settings));
    // Records of values long gone, sorted before the two findings'.
    std::string planted;
    for (int i = 0; planted.size() + Record(kPlainApp).size() + Record(kCaretApp).size() <= (2u << 20); ++i)
        planted += "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Qm" +
                   std::to_string(100000 + i) + "^Windows Startup Items^0;\r\n";
    planted += Record(kPlainApp);
    ASSERT_LT(planted.size(), 2u << 20);
    const std::string ignoreList = folder + "IL";
    ASSERT_TRUE(TestEnv::WriteFile(ignoreList, planted));

    RunningProgram program;
    const HWND mainWindow = StartProgramIn(program, folder);
    ASSERT_NE(mainWindow, static_cast<HWND>(NULL));
    HWND tree = ScanAndShowResults(mainWindow);
    ASSERT_NE(tree, static_cast<HWND>(NULL));
    EXPECT_EQ(FindLeaf(TreeRows(tree), FindingText(kPlainApp)), nullptr) << "the ignored item is reported";
    ASSERT_TRUE(IgnoreFinding(mainWindow, tree, FindingText(kCaretApp)));
    const std::string expected = planted.substr(0, planted.size() - Record(kPlainApp).size()) + Record(kCaretApp) +
                                 Record(kPlainApp);
    EXPECT_TRUE(WaitFor(10000, [&] { return TestEnv::ReadFile(ignoreList) == expected; }))
        << "the list did not grow by the one record";
    const std::string grown = TestEnv::ReadFile(ignoreList);
    EXPECT_GT(grown.size(), 2u << 20);
    EXPECT_EQ(WaitForMessageBoxOf(program.ProcessId(), 500), static_cast<HWND>(NULL));
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    ASSERT_TRUE(program.WaitForExit(20000)) << "the program did not end";

    ASSERT_TRUE(TestEnv::WriteFile(folder + "qmsettings.ini", settings + "AutoRepair=1\r\n"));
    RunningProgram again;
    const HWND secondWindow = StartProgramIn(again, folder);
    ASSERT_NE(secondWindow, static_cast<HWND>(NULL));
    ASSERT_TRUE(ClickWhenUsable(secondWindow, IDC_SCAN_START, 20000));
    ASSERT_NE(WaitForUsable(secondWindow, IDC_SHOW_RESULTS, 120000), static_cast<HWND>(NULL)) << "the scan did not end";
    const HWND box = WaitForMessageBoxOf(again.ProcessId(), 2000);
    EXPECT_EQ(box, static_cast<HWND>(NULL)) << MessageBoxText(box);
    if (box)
        AnswerMessageBox(box, IDOK);
    ::Sleep(2000);
    for (const char* app : {kCaretApp, kPlainApp})
        EXPECT_TRUE(TestEnv::KeyExists(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + app))
            << app << " was repaired";
    EXPECT_TRUE(TestEnv::ReadFile(ignoreList) == grown) << "the list changed";
    ASSERT_TRUE(ClickWhenUsable(secondWindow, IDC_CLOSE_BUTTON));
    EXPECT_TRUE(again.WaitForExit(20000)) << "the program did not end";
}
