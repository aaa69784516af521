// The white list "WL" in the real Quillomar.exe: a file far too large to be
// a list is told at the scan's start and the scan runs on without it; a
// list of the right size leaves out the findings it names, in any case.
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

// As the probe that froze the window had it: 100 MB of fragments.
std::string HugeList()
{
    std::string text;
    text.reserve(100u << 20);
    for (unsigned i = 0; text.size() < (100u << 20); ++i)
        text += "C:\\Program Files\\Vendor " + std::to_string(i % 9973) + "\\Tool" + std::to_string(i) + "\\;\r\n";
    return text;
}
}

TEST(WhiteListProgram, AFileTooLargeIsToldAndTheScanRunsAListOfTheRightSizeLeavesItsFindingsOut)
{
    for (const char* app : {kListedApp, kShownApp})
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + app, "",
                                       std::string("C:\\QmNowhere\\") + app));
    const std::string folder = MakeProgramFolder("white-list");
    ASSERT_TRUE(TestEnv::WriteFile(folder + "qmsettings.ini", "[SETTINGS]\r\nFirstRun=0\r\nLastSelectedScanTypes=" +
                                                                  std::to_string(kScannedCategories) + "\r\n"));
    ASSERT_TRUE(TestEnv::WriteFile(folder + "WL", HugeList()));

    RunningProgram program;
    ASSERT_TRUE(program.Start(folder + "Quillomar.exe"));
    const HWND mainWindow = program.WaitForMainWindow();
    ASSERT_NE(mainWindow, static_cast<HWND>(NULL));

    // The scan's start says why the list is not used, and the scan runs. The
    // program opens on the scan page.
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_START, 20000));
    const HWND box = WaitForMessageBoxWith(program.ProcessId(), "too large to be a list", 30000);
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "the scan's start told nothing";
    const std::string message = MessageBoxText(box);
    EXPECT_NE(message.find("white list"), std::string::npos) << message;
    EXPECT_NE(message.find("\\WL\""), std::string::npos) << message;
    EXPECT_NE(message.find("100.0 MB"), std::string::npos) << message;
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_SHOW_RESULTS, 120000)) << "the scan did not end";
    const HWND ignore = WaitForUsable(mainWindow, IDC_IGNORE_BUTTON, 20000);
    ASSERT_NE(ignore, static_cast<HWND>(NULL)) << "no results page";
    HWND tree = ::GetDlgItem(::GetParent(ignore), IDC_RESULTS_TREE);
    EXPECT_TRUE(HasLeaf(tree, FindingText(kListedApp)));
    EXPECT_TRUE(HasLeaf(tree, FindingText(kShownApp)));
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    ASSERT_TRUE(program.WaitForExit(20000)) << "the program did not end";

    // A list of the right size, read at the next start's scan.
    ASSERT_TRUE(TestEnv::WriteFile(folder + "WL", "  QMWHITELISTED.EXE ;\r\n"));
    RunningProgram again;
    ASSERT_TRUE(again.Start(folder + "Quillomar.exe"));
    const HWND secondWindow = again.WaitForMainWindow();
    ASSERT_NE(secondWindow, static_cast<HWND>(NULL));
    tree = ScanAndShowResults(secondWindow);
    ASSERT_NE(tree, static_cast<HWND>(NULL));
    EXPECT_FALSE(HasLeaf(tree, FindingText(kListedApp))) << "the white-listed finding is reported";
    EXPECT_TRUE(HasLeaf(tree, FindingText(kShownApp)));
    EXPECT_EQ(WaitForMessageBoxOf(again.ProcessId(), 500), static_cast<HWND>(NULL));
    EXPECT_TRUE(SaveScreenshot(secondWindow, "white-list-leaves-out"));
    ASSERT_TRUE(ClickWhenUsable(secondWindow, IDC_CLOSE_BUTTON));
    EXPECT_TRUE(again.WaitForExit(20000)) << "the program did not end";
}
