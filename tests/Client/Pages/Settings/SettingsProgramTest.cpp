// The real Quillomar.exe, driven as a user would: options chosen on the
// settings page and applied, the scan at log-on and the scheduled scan
// turned on, and all of it found in the settings file beside the program
// and in the Task Scheduler of the prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "Framework/AnsiText.h"
#include "Framework/CHandle.h"
#include "TaskSchedulerProbe.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;
namespace Probe = TaskSchedulerProbe;

namespace
{
std::string IniValue(const std::string& file, const char* key)
{
    return TestEnv::SettingsValue(file, key);
}

struct ItemWait
{
    std::string name;
};
bool WorkItemExists(void* context)
{
    return Probe::Read(static_cast<ItemWait*>(context)->name).result == S_OK;
}

bool ShowsSaved(void* context)
{
    return FindVisibleControl(*static_cast<HWND*>(context), IDC_SAVED_LABEL) != NULL;
}

}

TEST(SettingsProgramTest, ApplyWritesTheSettingsFileAndTheScheduleWritesWorkItems)
{
    ASSERT_TRUE(Probe::StartService());
    const std::string folder = MakeProgramFolder("settings-apply");
    const std::string exe = folder + "Quillomar.exe";
    const std::string ini = folder + "qmsettings.ini";
    const std::string user = Probe::UserName();
    ItemWait logon{"Quillomar on user logon - " + user};
    ItemWait scheduled{"Quillomar Scheduled Scan - " + user};
    Probe::Remove(logon.name);
    Probe::Remove(scheduled.name);

    RunningProgram program;
    ASSERT_TRUE(program.Start(exe));
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, static_cast<HWND>(NULL));
    HWND page = ShowSettingsPage(main);
    ASSERT_NE(page, static_cast<HWND>(NULL)) << "no General tab";

    for (int id : {IDC_RESTORE_POINT, IDC_CONTEXT_MENU, IDC_RESTART})
        ASSERT_TRUE(ClickWhenUsable(page, id)) << id;
    ASSERT_TRUE(ClickWhenUsable(page, IDC_LOGON_SCAN));
    EXPECT_TRUE(WaitUntil(10000, &WorkItemExists, &logon)) << "no work item " << logon.name;
    ASSERT_TRUE(ClickWhenUsable(page, IDC_APPLY));
    EXPECT_TRUE(WaitUntil(10000, &ShowsSaved, &page)) << "\"Saved\" not shown";
    EXPECT_EQ(IniValue(ini, "RestorePoint"), "1");
    EXPECT_EQ(IniValue(ini, "ContextMenu"), "1");
    EXPECT_EQ(IniValue(ini, "AutoRestartSystem"), "1");
    EXPECT_EQ(IniValue(ini, "AutoRepair"), "0");

    ASSERT_TRUE(ClickWhenUsable(page, IDC_TAB_SCHEDULE));
    ASSERT_TRUE(ClickWhenUsable(page, IDC_DISABLE_SCHEDULE));
    EXPECT_TRUE(WaitUntil(10000, &WorkItemExists, &scheduled)) << "no work item " << scheduled.name;
    ASSERT_NE(WaitForUsable(page, IDC_SCHEDULE_DAY), static_cast<HWND>(NULL)) << "the weekly day list stayed grey";
    SaveScreenshot(main, "settings-program-schedule");
    ASSERT_TRUE(ClickWhenUsable(main, IDC_CLOSE_BUTTON));
    DWORD code = 1;
    EXPECT_TRUE(program.WaitForExit(15000, &code)) << "the program did not end";
    EXPECT_EQ(code, 0u);

    for (const ItemWait* item : {&logon, &scheduled})
    {
        const Probe::WorkItem read = Probe::Read(item->name);
        ASSERT_EQ(read.result, S_OK) << item->name;
        EXPECT_EQ(AnsiText::CompareNoCase(read.application, exe), 0) << read.application;
        EXPECT_EQ(AnsiText::CompareNoCase(read.workingDirectory, folder), 0) << read.workingDirectory;
        EXPECT_TRUE(Probe::TaskFileExists(item->name));
    }
    EXPECT_EQ(Probe::Read(logon.name).parameters, "STARTSCAN");
    EXPECT_EQ(Probe::Read(scheduled.name).parameters, "SCHEDULE");
    EXPECT_EQ(Probe::Read(scheduled.name).trigger.TriggerType, TASK_TIME_TRIGGER_WEEKLY);
    // Closing stored the options once more, unchanged; the next start shows
    // them again, and the log-on scan that is there.
    EXPECT_EQ(IniValue(ini, "RestorePoint"), "1");
    RunningProgram again;
    ASSERT_TRUE(again.Start(exe));
    main = again.WaitForMainWindow();
    ASSERT_NE(main, static_cast<HWND>(NULL));
    page = ShowSettingsPage(main);
    ASSERT_NE(page, static_cast<HWND>(NULL));
    for (int id : {IDC_LOGON_SCAN, IDC_RESTORE_POINT, IDC_RESTART})
        EXPECT_EQ(::SendMessageA(::GetDlgItem(page, id), BM_GETCHECK, 0, 0), BST_CHECKED) << id;
    EXPECT_EQ(::SendMessageA(::GetDlgItem(page, IDC_AUTO_REPAIR), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ASSERT_TRUE(ClickWhenUsable(main, IDC_CLOSE_BUTTON));
    EXPECT_TRUE(again.WaitForExit(15000, &code));
    Probe::Remove(logon.name);
    Probe::Remove(scheduled.name);
}

// The program closed while its settings page still reads the work items
// ends as always: here the read waits on a log-on scan of another copy of
// the program, whose file is held as the Task Scheduler's service holds a
// file it reads, so the page cannot delete it for a while.
TEST(SettingsProgramTest, ClosingWhileTheWorkItemsAreReadEndsTheProgram)
{
    ASSERT_TRUE(Probe::StartService());
    const std::string folder = MakeProgramFolder("settings-close-reading");
    const std::string logon = "Quillomar on user logon - " + Probe::UserName();
    ASSERT_TRUE(Probe::Plant(logon, "C:\\Elsewhere\\Quillomar.exe", "STARTSCAN", TASK_EVENT_TRIGGER_AT_LOGON));
    {
        const CHandle held(::CreateFileA(Probe::TaskFile(logon).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.IsValid());
        RunningProgram program;
        ASSERT_TRUE(program.Start(folder + "Quillomar.exe"));
        const HWND main = program.WaitForMainWindow();
        ASSERT_NE(main, static_cast<HWND>(NULL));
        ASSERT_TRUE(ClickWhenUsable(main, IDC_SETTINGS_LINK));
        // The page shows at once; only its log-on box waits for the read.
        EXPECT_TRUE(WaitFor(10000, [main] {
            const HWND box = FindVisibleControl(main, IDC_LOGON_SCAN);
            return box && !::IsWindowEnabled(box);
        })) << "the page waited for the read, or showed no read under way";
        ASSERT_TRUE(ClickWhenUsable(main, IDC_CLOSE_BUTTON));
        DWORD code = 1;
        EXPECT_TRUE(program.WaitForExit(15000, &code)) << "the program did not end";
        EXPECT_EQ(code, 0u);
    }
    Probe::Remove(logon);
}

