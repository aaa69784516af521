// The real Quillomar.exe with its folder on a small file system that fills
// up under it: a settings change and an ignored finding that cannot be
// written whole leave the settings file and the ignore list as they were,
// and the user is told.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "support/ProgramDriver.h"
#include "support/ProgramDriverDisk.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;

namespace
{
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
// Application paths only.
const DWORD kScannedCategories = 0x40000;
const char kApp[] = "qmfulldisk.exe";

std::string FindingText()
{
    return "HKEY_LOCAL_MACHINE\\" + std::string(kAppPaths) + "\\" + kApp;
}

// What a long use leaves in the settings file: more than a few pages of it.
std::string SettingsFile()
{
    std::string text = "[SETTINGS]\r\nFirstRun=0\r\nLastSelectedScanTypes=" + std::to_string(kScannedCategories) +
                       "\r\nLastScan=1 March 2025, 09:30AM\r\n";
    for (int i = 0; text.size() < 16384; ++i)
        text += "Kept" + std::to_string(1000 + i) + "=a value that only this test wrote\r\n";
    return text;
}

// Nothing of an unfinished write is left beside the file.
bool LeftBeside(const std::string& folder, const char* name)
{
    WIN32_FIND_DATAA found = {};
    const HANDLE search = ::FindFirstFileA((folder + name + ".*.new").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);
    return true;
}

// Fills the disk for as long as it lives: a test that stops early leaves
// room for the next.
class FullDisk
{
public:
    explicit FullDisk(std::string folder) : m_folder(std::move(folder)) {}
    ~FullDisk() { FreeDisk(m_folder); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
    bool Fill() { return FillDisk(m_folder); }

private:
    std::string m_folder;
};

// A box the program still shows as it closes is a fault: read into the
// failure and answered, so that the end is not waited for in vain.
void AnswerAnyLateBox(const RunningProgram& program)
{
    const HWND late = WaitForMessageBoxOf(program.ProcessId(), 1000);
    if (!late)
        return;
    ADD_FAILURE() << "unexpected box: " << MessageBoxText(late);
    AnswerMessageBox(late, IDOK);
}

bool RunsOnSmallDisk()
{
    if (!SmallDiskFolder().empty())
        return true;
    std::printf("skipped: no small file system (run through scripts/with-small-disk.sh)\n");
    return false;
}
}

TEST(FullDiskProgram, ApplyOnAFullDiskKeepsTheSettingsFileAndSaysSo)
{
    if (!RunsOnSmallDisk())
        GTEST_SKIP();
    const std::string folder = MakeProgramFolderOnSmallDisk("settings");
    ASSERT_FALSE(folder.empty()) << "the program could not be put on the small file system";
    const std::string ini = folder + "qmsettings.ini";
    ASSERT_TRUE(TestEnv::WriteFile(ini, SettingsFile()));

    RunningProgram program;
    const HWND main = StartProgramIn(program, folder);
    ASSERT_NE(main, static_cast<HWND>(NULL));
    const HWND page = ShowSettingsPage(main);
    ASSERT_NE(page, static_cast<HWND>(NULL));
    // As the start left it.
    const std::string before = TestEnv::ReadFile(ini);
    ASSERT_GT(before.size(), 16384u);

    FullDisk full(folder);
    ASSERT_TRUE(full.Fill()) << "the small file system did not fill";
    ASSERT_TRUE(ClickWhenUsable(page, IDC_AUTO_REPAIR));
    ASSERT_TRUE(ClickWhenUsable(page, IDC_APPLY));
    const HWND box = WaitForMessageBoxWith(program.ProcessId(), "could not be saved", 20000);
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "the failed save was not told";
    EXPECT_NE(MessageBoxText(box).find(ini), std::string::npos) << MessageBoxText(box);
    EXPECT_EQ(FindVisibleControl(page, IDC_SAVED_LABEL), static_cast<HWND>(NULL)) << "\"Saved\" shown";
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    ::Sleep(300);
    EXPECT_TRUE(SaveScreenshot(main, "full-disk-settings"));
    EXPECT_TRUE(TestEnv::ReadFile(ini) == before) << "the settings file changed";
    EXPECT_FALSE(LeftBeside(folder, "qmsettings.ini")) << "an unfinished file was left";

    ASSERT_TRUE(ClickWhenUsable(main, IDC_CLOSE_BUTTON));
    AnswerAnyLateBox(program);
    ASSERT_TRUE(program.WaitForExit(20000)) << "the program did not end";
    EXPECT_TRUE(TestEnv::ReadFile(ini) == before) << "the settings file changed at the end";

    // With room again, the change is saved.
    FreeDisk(folder);
    RunningProgram again;
    const HWND second = StartProgramIn(again, folder);
    ASSERT_NE(second, static_cast<HWND>(NULL));
    const HWND secondPage = ShowSettingsPage(second);
    ASSERT_NE(secondPage, static_cast<HWND>(NULL));
    ASSERT_TRUE(ClickWhenUsable(secondPage, IDC_AUTO_REPAIR));
    ASSERT_TRUE(ClickWhenUsable(secondPage, IDC_APPLY));
    EXPECT_TRUE(WaitFor(10000, [&] { return FindVisibleControl(secondPage, IDC_SAVED_LABEL) != NULL; }));
    EXPECT_EQ(TestEnv::SettingsValue(ini, "AutoRepair"), "1");
    EXPECT_EQ(TestEnv::SettingsValue(ini, "Kept1000"), "a value that only this test wrote");
    ASSERT_TRUE(ClickWhenUsable(second, IDC_CLOSE_BUTTON));
    EXPECT_TRUE(again.WaitForExit(20000)) << "the program did not end";
}

TEST(FullDiskProgram, IgnoringOnAFullDiskKeepsTheIgnoreListAndSaysSo)
{
    if (!RunsOnSmallDisk())
        GTEST_SKIP();
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + kApp, "",
                                   std::string("C:\\QmNowhere\\") + kApp));
    const std::string folder = MakeProgramFolderOnSmallDisk("ignore");
    ASSERT_FALSE(folder.empty()) << "the program could not be put on the small file system";
    ASSERT_TRUE(TestEnv::WriteFile(folder + "qmsettings.ini", SettingsFile()));
    // Ten pages of the file system to the byte (blanks after the last
    // record): one record more needs a page the full disk does not have.
    std::string planted;
    for (int i = 0;; ++i)
    {
        const std::string record = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Qm" +
                                   std::to_string(1000 + i) + "^Windows Startup Items^0;\r\n";
        if (planted.size() + record.size() + 2 > 40960)
            break;
        planted += record;
    }
    planted += std::string(40960 - 2 - planted.size(), ' ') + "\r\n";
    const std::string ignoreList = folder + "IL";
    ASSERT_TRUE(TestEnv::WriteFile(ignoreList, planted));

    RunningProgram program;
    const HWND main = StartProgramIn(program, folder);
    ASSERT_NE(main, static_cast<HWND>(NULL));
    const HWND tree = ScanAndShowResults(main);
    ASSERT_NE(tree, static_cast<HWND>(NULL));
    HTREEITEM leaf = NULL;
    for (const TreeRow& row : TreeRows(tree))
        if (row.depth == 1 && row.text == FindingText())
            leaf = row.item;
    ASSERT_NE(leaf, static_cast<HTREEITEM>(NULL)) << "the finding was not reported";

    FullDisk full(folder);
    ASSERT_TRUE(full.Fill()) << "the small file system did not fill";
    ASSERT_TRUE(TreeSelect(tree, leaf));
    ASSERT_TRUE(ClickWhenUsable(main, IDC_IGNORE_BUTTON));
    const HWND box = WaitForMessageBoxWith(program.ProcessId(), "could not be saved", 20000);
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "the failed save was not told";
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(TestEnv::ReadFile(ignoreList) == planted) << "the ignore list changed";
    EXPECT_FALSE(LeftBeside(folder, "IL")) << "an unfinished file was left";

    // A scan on the full disk ends saying its date and numbers were not
    // kept; the settings file keeps the last ones.
    const std::string settingsBefore = TestEnv::ReadFile(folder + "qmsettings.ini");
    // With its one finding ignored, the scan page is back on its first step.
    ASSERT_TRUE(ClickWhenUsable(main, IDC_SCAN_START, 20000));
    ASSERT_NE(WaitForUsable(main, IDC_SHOW_RESULTS, 120000), static_cast<HWND>(NULL)) << "the scan did not end";
    const std::string said = "The scan's date and numbers could not be saved.";
    EXPECT_TRUE(WaitFor(5000, [&] { return WindowText(FindVisibleControl(main, IDC_SCAN_ITEM)) == said; }))
        << WindowText(FindVisibleControl(main, IDC_SCAN_ITEM));
    EXPECT_TRUE(SaveScreenshot(main, "full-disk-scan"));
    EXPECT_TRUE(TestEnv::ReadFile(folder + "qmsettings.ini") == settingsBefore) << "the settings file changed";

    ASSERT_TRUE(ClickWhenUsable(main, IDC_CLOSE_BUTTON));
    AnswerAnyLateBox(program);
    EXPECT_TRUE(program.WaitForExit(20000)) << "the program did not end";
    EXPECT_TRUE(TestEnv::ReadFile(ignoreList) == planted) << "the ignore list changed at the end";
}
