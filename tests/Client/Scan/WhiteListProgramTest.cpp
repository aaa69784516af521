// The white list "WL" in the real Quillomar.exe: a list of any size leaves
// out the findings it names, in any case; one read only in part is told on
// the progress page and stops the automatic repair.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/ShellResource.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;

namespace
{
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
// Application paths only.
const DWORD kScannedCategories = 0x40000;
const char kListedApp[] = "qmwhitelisted.exe";
const char kShownApp[] = "qmshown.exe";

std::string FindingText(const char* app)
{
    return "HKEY_LOCAL_MACHINE\\" + std::string(kAppPaths) + "\\" + app;
}

bool HasLeaf(HWND tree, const std::string& text)
{
    for (const TreeRow& row : TreeRows(tree))
        if (row.depth == 1 && row.text == text)
            return true;
    return false;
}

// Far beyond the 2 MB the program once refused: fragments naming nothing
// found, then the one that names a finding.
std::string LargeList()
{
    std::string text;
    for (unsigned i = 0; text.size() < (5u << 20); ++i)
        text += "C:\\Program Files\\Vendor " + std::to_string(i % 9973) + "\\Tool" + std::to_string(i) + "\\;\r\n";
    return text + "  QMWHITELISTED.EXE ;\r\n";
}

void WriteSettings(const std::string& folder, const std::string& more)
{
    ASSERT_TRUE(TestEnv::WriteFile(folder + "qmsettings.ini", "[SETTINGS]\r\nFirstRun=0\r\nLastSelectedScanTypes=" +
                                                                  std::to_string(kScannedCategories) + "\r\n" + more));
}
}

TEST(WhiteListProgram, AListOfAnySizeLeavesItsFindingsOutAndOneReadInPartStopsTheAutomaticRepair)
{
    for (const char* app : {kListedApp, kShownApp})
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + app, "",
                                       std::string("C:\\QmNowhere\\") + app));
    const std::string folder = MakeProgramFolder("white-list");
    ASSERT_NO_FATAL_FAILURE(WriteSettings(folder, ""));
    ASSERT_TRUE(TestEnv::WriteFile(folder + "WL", LargeList()));

    RunningProgram program;
    ASSERT_TRUE(program.Start(folder + "Quillomar.exe"));
    const HWND mainWindow = program.WaitForMainWindow();
    ASSERT_NE(mainWindow, static_cast<HWND>(NULL));
    HWND tree = ScanAndShowResults(mainWindow);
    ASSERT_NE(tree, static_cast<HWND>(NULL));
    EXPECT_FALSE(HasLeaf(tree, FindingText(kListedApp))) << "the white-listed finding is reported";
    EXPECT_TRUE(HasLeaf(tree, FindingText(kShownApp)));
    EXPECT_EQ(WaitForMessageBoxOf(program.ProcessId(), 500), static_cast<HWND>(NULL));
    EXPECT_TRUE(SaveScreenshot(mainWindow, "white-list-leaves-out"));
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    ASSERT_TRUE(program.WaitForExit(20000)) << "the program did not end";

    // A list whose last fragment lacks its ";", with the automatic repair
    // on: the scan ends on its page and says why, and repairs nothing.
    ASSERT_NO_FATAL_FAILURE(WriteSettings(folder, "AutoRepair=1\r\n"));
    ASSERT_TRUE(TestEnv::WriteFile(folder + "WL", "qmshown.exe;\r\nqmwhitelisted.exe\r\n"));
    RunningProgram again;
    ASSERT_TRUE(again.Start(folder + "Quillomar.exe"));
    const HWND secondWindow = again.WaitForMainWindow();
    ASSERT_NE(secondWindow, static_cast<HWND>(NULL));
    ASSERT_TRUE(ClickWhenUsable(secondWindow, IDC_SCAN_START, 20000));
    ASSERT_NE(WaitForUsable(secondWindow, IDC_SHOW_RESULTS, 120000), static_cast<HWND>(NULL)) << "the scan did not end";
    const std::string notice = "The white list is damaged: check the findings before repairing.";
    EXPECT_TRUE(WaitFor(5000, [&] { return WindowText(FindVisibleControl(secondWindow, IDC_SCAN_ITEM)) == notice; }))
        << WindowText(FindVisibleControl(secondWindow, IDC_SCAN_ITEM));
    EXPECT_EQ(WaitForMessageBoxOf(again.ProcessId(), 2000), static_cast<HWND>(NULL));
    EXPECT_NE(FindVisibleControl(secondWindow, IDC_SHOW_RESULTS), static_cast<HWND>(NULL)) << "the page was left";
    EXPECT_TRUE(TestEnv::KeyExists(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + kListedApp))
        << "the finding the list names was repaired";
    EXPECT_TRUE(SaveScreenshot(secondWindow, "white-list-damaged"));
    ASSERT_TRUE(ClickWhenUsable(secondWindow, IDC_CLOSE_BUTTON));
    EXPECT_TRUE(again.WaitForExit(20000)) << "the program did not end";
}
