// The real Quillomar.exe, started and driven as a user would: its window,
// a second start, a missing engine and an untested Windows version.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "Framework/CRegKey.h"
#include "support/OwnFolder.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;

namespace
{
const char* const kAppDefaults = "Software\\Wine\\AppDefaults\\Quillomar.exe";

bool IsEnabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

// Waits until the main window shows page 1 (results) or page 2 (scan).
struct PageWait
{
    HWND window;
    int button;
};
bool ShowsPageOf(void* context)
{
    const PageWait* wait = static_cast<const PageWait*>(context);
    return !IsEnabled(wait->window, wait->button);
}

bool WaitForPageButtonOff(HWND window, int button)
{
    PageWait wait{window, button};
    return WaitUntil(10000, &ShowsPageOf, &wait);
}

// Waits until the scan's progress step shows a scan run to its end.
bool ShowsScanProgressStep(void* context)
{
    const HWND window = *static_cast<const HWND*>(context);
    return WindowText(::GetDlgItem(window, IDC_STEP_LABEL)) == "Step 2 of 3" &&
           WindowText(::GetDlgItem(window, IDC_CAPTION_LABEL)) == "SCAN";
}

bool WaitForScanProgressStep(HWND window)
{
    return WaitUntil(180000, &ShowsScanProgressStep, &window);
}

// Starts the program and waits until its main window is ready for a user.
void StartProgram(RunningProgram& program, const std::string& exe, HWND& window,
                  const std::string& arguments = std::string())
{
    window = NULL;
    ASSERT_TRUE(program.Start(exe, arguments));
    window = program.WaitForMainWindow();
    ASSERT_NE(window, static_cast<HWND>(NULL)) << "no main window";
}

bool ShowsAMainWindow(const RunningProgram& program)
{
    for (HWND window : program.Windows())
        if (IsMainWindow(window))
            return true;
    return false;
}

int CountProgramProcesses()
{
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry))
        if (::lstrcmpiA(entry.szExeFile, "Quillomar.exe") == 0)
            ++count;
    ::CloseHandle(snapshot);
    return count;
}

// Closes the program by its own close button and expects it to end well,
// with no process of it left behind.
void CloseProgram(RunningProgram& program, HWND mainWindow)
{
    ASSERT_TRUE(PressButton(mainWindow, IDC_CLOSE_BUTTON));
    DWORD code = 1;
    ASSERT_TRUE(program.WaitForExit(15000, &code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(CountProgramProcesses(), 0);
}

std::string ReadFileText(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    char buffer[4096];
    DWORD got = 0;
    ::ReadFile(file, buffer, sizeof(buffer), &got, nullptr);
    ::CloseHandle(file);
    return std::string(buffer, got);
}

class ProgramTest : public testing::Test
{
protected:
    void SetUp() override
    {
        TestEnv::DeleteTree(HKEY_CURRENT_USER, kAppDefaults);
        m_folder = MakeProgramFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
        m_exe = m_folder + "Quillomar.exe";
    }
    void TearDown() override { TestEnv::DeleteTree(HKEY_CURRENT_USER, kAppDefaults); }

    // Starts the program with these settings stored beside it, as an earlier
    // run left them.
    void StartWithSettings(const std::string& stored, RunningProgram& program, HWND& window)
    {
        window = NULL;
        ASSERT_TRUE(TestEnv::WriteFile(m_folder + "qmsettings.ini", stored));
        ASSERT_NO_FATAL_FAILURE(StartProgram(program, m_exe, window));
    }

    std::string m_folder;
    std::string m_exe;
};
}

TEST_F(ProgramTest, StartsWithItsMainWindowOnTheScanPage)
{
    RunningProgram program;
    ASSERT_TRUE(program.Start(m_exe));
    // The scan page shows its first step with its title.
    const HWND window = program.WaitForFirstPage("SCAN", "Step 1 of 3");
    ASSERT_NE(window, static_cast<HWND>(NULL));
    EXPECT_EQ(WindowText(window), "Quillomar");
    EXPECT_FALSE(IsEnabled(window, IDC_SCAN_BUTTON)) << "the scan page is on show";
    for (int id : {IDC_HOME_BUTTON, IDC_STARTUP_BUTTON, IDC_BACKUP_BUTTON, IDC_DEFRAG_BUTTON})
        EXPECT_TRUE(IsEnabled(window, id)) << id;
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(window, IDC_ABOUT_LINK)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(window, IDC_HIDDEN_BUTTON)));
    EXPECT_EQ(program.Windows().size(), 1u);
    EXPECT_EQ(CountProgramProcesses(), 1);

    // At the dialog font's 6 x 13 units the window is exactly its skin.
    const HMODULE image = ::LoadLibraryExA(m_exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HBITMAP skin = static_cast<HBITMAP>(
        ::LoadImageA(image, MAKEINTRESOURCEA(IDB_MAIN_BACKGROUND), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    BITMAP skinSize = {};
    ::GetObjectA(skin, sizeof(skinSize), &skinSize);
    ::DeleteObject(skin);
    ::FreeLibrary(image);
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, skinSize.bmWidth);
    EXPECT_EQ(rect.bottom - rect.top, skinSize.bmHeight);

    ::Sleep(1500);
    EXPECT_TRUE(SaveScreenshot(window, "main-window"))
        << "artefacts: " << ArtifactsFolder();
    // The dialog manager gave the focus to the first page button that takes
    // it (the scan page's own is disabled); the page took none for itself.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &gui));
    EXPECT_EQ(gui.hwndFocus, ::GetDlgItem(window, IDC_DEFRAG_BUTTON));

    const std::string settings = ReadFileText(m_folder + "qmsettings.ini");
    EXPECT_NE(settings.find("[SETTINGS]\r\n"), std::string::npos);
    EXPECT_NE(settings.find("FirstRun=0\r\n"), std::string::npos);
    EXPECT_NE(settings.find("RunCount=1\r\n"), std::string::npos);
    CloseProgram(program, window);
}

TEST_F(ProgramTest, PageButtonsSwitchPagesAndCaptions)
{
    RunningProgram program;
    HWND window = NULL;
    ASSERT_NO_FATAL_FAILURE(StartProgram(program, m_exe, window));

    struct Step
    {
        int button;
        int disabled;
        const char* caption;
    };
    const Step steps[] = {{IDC_HOME_BUTTON, IDC_HOME_BUTTON, "RESULTS"},
                          {IDC_STARTUP_BUTTON, IDC_STARTUP_BUTTON, "MANAGE STARTUP"},
                          {IDC_BACKUP_BUTTON, IDC_BACKUP_BUTTON, "BACKUP"},
                          {IDC_DEFRAG_BUTTON, IDC_DEFRAG_BUTTON, ""},
                          {IDC_ABOUT_LINK, 0, "ABOUT"},
                          {IDC_SETTINGS_LINK, 0, "SETTINGS - GENERAL"},
                          {IDC_SCAN_BUTTON, IDC_SCAN_BUTTON, "SCAN"}};
    for (const Step& step : steps)
    {
        ASSERT_TRUE(ClickButton(window, step.button));
        for (int id : {IDC_HOME_BUTTON, IDC_SCAN_BUTTON, IDC_STARTUP_BUTTON, IDC_BACKUP_BUTTON, IDC_DEFRAG_BUTTON})
            EXPECT_EQ(IsEnabled(window, id), id != step.disabled) << "after " << step.button << ", button " << id;
        EXPECT_EQ(WindowText(::GetDlgItem(window, IDC_CAPTION_LABEL)), step.caption) << step.button;
    }
    CloseProgram(program, window);
}

TEST_F(ProgramTest, ASecondStartBringsTheFirstBackAndEnds)
{
    RunningProgram first;
    HWND window = NULL;
    ASSERT_NO_FATAL_FAILURE(StartProgram(first, m_exe, window));
    ::ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(window));

    RunningProgram second;
    ASSERT_TRUE(second.Start(m_exe));
    DWORD code = 1;
    ASSERT_TRUE(second.WaitForExit(15000, &code)) << "the second start did not end";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(::IsIconic(window)) << "the first window was not restored";
    EXPECT_EQ(::GetForegroundWindow(), window);
    EXPECT_FALSE(first.HasEnded());
    EXPECT_EQ(first.Windows().size(), 1u);
    CloseProgram(first, window);
}

TEST_F(ProgramTest, OnlyASecondStartWithScheduleAsksTheFirstForAScan)
{
    RunningProgram first;
    HWND window = NULL;
    ASSERT_NO_FATAL_FAILURE(StartProgram(first, m_exe, window));
    ASSERT_TRUE(PressButton(window, IDC_HOME_BUTTON));
    ASSERT_TRUE(WaitForPageButtonOff(window, IDC_HOME_BUTTON));

    for (const char* arguments : {"STARTSCAN", "", "C:\\"})
    {
        RunningProgram second;
        ASSERT_TRUE(second.Start(m_exe, arguments));
        ASSERT_TRUE(second.WaitForExit(15000)) << arguments;
        ::Sleep(300);
        DWORD_PTR answer = 0;
        ASSERT_TRUE(::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 20000, &answer))
            << "the first program did not answer after a start with \"" << arguments << "\"";
        EXPECT_FALSE(IsEnabled(window, IDC_HOME_BUTTON)) << "a start with \"" << arguments << "\" changed the page";
    }

    RunningProgram scheduled;
    ASSERT_TRUE(scheduled.Start(m_exe, "/schedule"));
    ASSERT_TRUE(scheduled.WaitForExit(15000));
    EXPECT_TRUE(WaitForPageButtonOff(window, IDC_SCAN_BUTTON)) << "the scheduled request did not reach the first";
    EXPECT_TRUE(IsEnabled(window, IDC_HOME_BUTTON));
    // The request started a scan; the program closes once it has ended.
    EXPECT_TRUE(WaitForScanProgressStep(window)) << "no scan ran to its end";
    CloseProgram(first, window);
}

TEST_F(ProgramTest, ProgramStartedByNameFromAPromptKeepsItsSettingsBesideItself)
{
    const std::string elsewhere = TestEnv::MakeScratchFolder("prompt-elsewhere");
    ::DeleteFileA((elsewhere + "qmsettings.ini").c_str());
    const std::string pathVariable = m_folder.substr(0, m_folder.size() - 1) + ";C:\\windows\\system32;C:\\windows";
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    TestEnv::ProcessStart prompt;
    prompt.program = std::string(system) + "\\cmd.exe";
    prompt.commandLine = "cmd.exe /c Quillomar";
    prompt.folder = elsewhere;
    prompt.environment = "PATH=" + pathVariable + std::string(1, '\0') + "WINEDEBUG=-all" + std::string(1, '\0') +
                         std::string(1, '\0');
    ASSERT_TRUE(TestEnv::StartProcess(prompt)) << "error " << ::GetLastError();

    // The program's window, whichever process of the prompt it belongs to.
    const HWND shown = WaitForMainWindowOf(m_exe);
    ASSERT_NE(shown, static_cast<HWND>(NULL));
    DWORD processId = 0;
    ::GetWindowThreadProcessId(shown, &processId);
    RunningProgram program;
    ASSERT_TRUE(program.Adopt(processId));
    const HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, static_cast<HWND>(NULL));

    EXPECT_TRUE(TestEnv::FileExists(m_folder + "qmsettings.ini"));
    EXPECT_FALSE(TestEnv::FileExists(elsewhere + "qmsettings.ini"));
    CloseProgram(program, window);
}

TEST_F(ProgramTest, WithoutItsEngineTheProgramSaysSoAndEnds)
{
    const std::string folder = MakeProgramFolder("no-engine", nullptr);
    RunningProgram program;
    ASSERT_TRUE(program.Start(folder + "Quillomar.exe"));
    const HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, static_cast<HWND>(NULL));
    EXPECT_EQ(WindowText(box), "Quillomar");
    EXPECT_EQ(MessageBoxText(box), "Module 'qmsag.dll' failed to load.\nError: '126'");
    EXPECT_FALSE(ShowsAMainWindow(program));
    ASSERT_TRUE(PressButton(box, IDOK));
    DWORD code = 1;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(ProgramTest, AnEngineWithoutItsFactoryIsErrorZero)
{
    const std::string folder = MakeProgramFolder("engine-without-factory", "qmtest_noengine.dll");
    RunningProgram program;
    ASSERT_TRUE(program.Start(folder + "Quillomar.exe"));
    const HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, static_cast<HWND>(NULL));
    EXPECT_EQ(MessageBoxText(box), "Module 'qmsag.dll' failed to load.\nError: '0'");
    ASSERT_TRUE(PressButton(box, IDOK));
    EXPECT_TRUE(program.WaitForExit(15000));
}

TEST_F(ProgramTest, AnUntestedWindowsIsAskedAboutAndNoEndsTheProgram)
{
    for (const char* version : {"win2k", "nt40"})
    {
        ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, kAppDefaults, "Version", version));
        RunningProgram program;
        ASSERT_TRUE(program.Start(m_exe));
        const HWND box = program.WaitForMessageBox();
        ASSERT_NE(box, static_cast<HWND>(NULL)) << version;
        EXPECT_EQ(WindowText(box), "Quillomar");
        EXPECT_EQ(MessageBoxText(box),
                  "Quillomar is not tested on this Operating System.\nDo you still want to run Quillomar?");
        EXPECT_NE(::GetDlgItem(box, IDYES), static_cast<HWND>(NULL));
        ASSERT_TRUE(PressButton(box, IDNO));
        ASSERT_TRUE(program.WaitForExit(15000)) << version;
        EXPECT_FALSE(TestEnv::FileExists(m_folder + "qmsettings.ini")) << "it went on after No";
    }

    RunningProgram yes;
    ASSERT_TRUE(yes.Start(m_exe));
    const HWND box = yes.WaitForMessageBox();
    ASSERT_NE(box, static_cast<HWND>(NULL));
    ASSERT_TRUE(PressButton(box, IDYES));
    const HWND window = yes.WaitForMainWindow();
    ASSERT_NE(window, static_cast<HWND>(NULL)) << "Yes did not go on";
    CloseProgram(yes, window);
}

TEST_F(ProgramTest, SupportedVersionsStartWithoutAQuestion)
{
    for (const char* version : {"winxp", "win2003", "vista", "win81", "win10"})
    {
        ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, kAppDefaults, "Version", version));
        RunningProgram program;
        HWND window = NULL;
        ASSERT_NO_FATAL_FAILURE(StartProgram(program, m_exe, window)) << version;
        EXPECT_EQ(program.WaitForMessageBox(0), static_cast<HWND>(NULL)) << version;
        CloseProgram(program, window);
    }
}

TEST_F(ProgramTest, TheProgramDeclaresItsExecutionLevelAndWindowsVersions)
{
    const HMODULE image = ::LoadLibraryExA(m_exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, static_cast<HMODULE>(NULL));
    const HRSRC found = ::FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, static_cast<HRSRC>(NULL)) << "no manifest";
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(image, found)));
    const std::string manifest(data, ::SizeofResource(image, found));
    ::FreeLibrary(image);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    for (const char* id : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(id), std::string::npos) << id;
}

TEST_F(ProgramTest, ARunThatNeverShowsTheSettingsPageKeepsEveryOption)
{
    // The idle window makes the settings page, which reads the Task
    // Scheduler only when it is shown; never shown, it neither loses a
    // stored option nor writes the file again as the program ends.
    const std::string stored = "[SETTINGS]\r\nFirstRun=0\r\nSoftwareUpdate=0\r\nRestorePoint=1\r\nAutoRepair=1\r\n"
                               "LogScanSummary=1\r\nAutoShutdown=1\r\nAutoRestartSystem=1\r\n";
    RunningProgram program;
    HWND window = NULL;
    ASSERT_NO_FATAL_FAILURE(StartWithSettings(stored, program, window));
    ASSERT_TRUE(WaitForPageButtonOff(window, IDC_SCAN_BUTTON)) << "the scan page never showed";
    EXPECT_TRUE(WaitFor(20000, [window] { return FindControl(window, IDC_LOGON_SCAN) != NULL; }))
        << "the settings page was not made while the window was idle";
    const std::string ini = m_folder + "qmsettings.ini";
    const auto writtenAt = [&ini] {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ::GetFileAttributesExA(ini.c_str(), GetFileExInfoStandard, &data);
        return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    };
    const ULONGLONG startedAt = writtenAt();
    ::Sleep(50);
    CloseProgram(program, window);
    EXPECT_EQ(writtenAt(), startedAt) << "the settings file was written again at the end";

    const std::string settings = ReadFileText(ini);
    for (const char* option : {"RestorePoint=1\r\n", "AutoRepair=1\r\n", "LogScanSummary=1\r\n", "AutoShutdown=1\r\n",
                               "AutoRestartSystem=1\r\n", "SoftwareUpdate=0\r\n", "AutoShutdownSystem=0\r\n"})
        EXPECT_NE(settings.find(option), std::string::npos) << option << " lost:\n" << settings;
}

TEST_F(ProgramTest, EndingAroundAStoppedScanThatStillRunsDestroysNothingItUses)
{
    // The program's application object behind an entry that reports whether
    // it got control back: the runtime destroys the object from there.
    const std::string probe = m_folder + "shell_exit_probe.exe";
    ASSERT_TRUE(::CopyFileA((OwnFolder::BinariesFolder() + "shell_exit_probe.exe").c_str(), probe.c_str(), FALSE));
    const std::string report = m_folder + "exit-report.txt";
    RunningProgram program;
    ASSERT_TRUE(program.Start(probe, "\"" + report + "\""));
    // The program waits half a minute for the held thread.
    DWORD code = 1;
    ASSERT_TRUE(program.WaitForExit(180000, &code)) << "the program did not end: " << ReadFileText(report);
    const std::string steps = ReadFileText(report);
    ASSERT_NE(steps.find("held\n"), std::string::npos) << steps;
    ASSERT_NE(steps.find("ended the main window\n"), std::string::npos) << steps;
    EXPECT_EQ(steps.find("returned"), std::string::npos)
        << "the application object, with the pages the held thread reports to, was left to be destroyed";
    EXPECT_EQ(code, 0u);
    EXPECT_NE(ReadFileText(m_folder + "qmsettings.ini").find("RunCount=1"), std::string::npos);
}

TEST_F(ProgramTest, IncompleteScanRepairsNothingByItselfButStillShutsDownAsTheSettingsAsk)
{
    // An engine whose every scan is incomplete, with one finding.
    m_folder = MakeProgramFolder("IncompleteScanShutdown", "qmtest_incompleteengine.dll");
    m_exe = m_folder + "Quillomar.exe";
    ASSERT_TRUE(TestEnv::WriteFile(m_folder + "qmsettings.ini",
                                   "[SETTINGS]\r\nFirstRun=0\r\nAutoRepair=1\r\nAutoShutdownSystem=1\r\n"));
    RunningProgram program;
    HWND window = NULL;
    ASSERT_NO_FATAL_FAILURE(StartProgram(program, m_exe, window));
    if (IsUsable(FindVisibleControl(window, IDC_SCAN_BUTTON)))
    {
        ASSERT_TRUE(ClickWhenUsable(window, IDC_SCAN_BUTTON));
    }
    ASSERT_TRUE(ClickWhenUsable(window, IDC_SCAN_START, 20000)) << "no scan button";
    // The shutdown asks first, and Wine never answers by itself: a Cancel
    // here keeps the prefix (a yes would end every process of it).
    const HWND question = WaitForMessageBoxWith(program.ProcessId(), "shutdown momentarily", 30000);
    ASSERT_NE(question, static_cast<HWND>(NULL)) << "the scan's tail did not ask to shut down";
    EXPECT_EQ(MessageBoxText(question), "Your system will shutdown momentarily.\n\nClick Cancel to abort.");
    ASSERT_TRUE(AnswerMessageBox(question, IDCANCEL));
    // Nothing was repaired: the scan's page still says what it could not check.
    const HWND state = WaitForUsable(window, IDC_SHOW_RESULTS, 10000) ? FindVisibleControl(window, IDC_SCAN_STATE)
                                                                     : NULL;
    ASSERT_NE(state, static_cast<HWND>(NULL)) << "the scan's page is not on show";
    EXPECT_EQ(WindowText(state), "Scan is incomplete.");
    EXPECT_FALSE(IsUsable(FindVisibleControl(window, IDC_IGNORE_BUTTON))) << "the results page showed";
    EXPECT_NE(ReadFileText(m_folder + "qmsettings.ini").find("LastStartupErr=1"), std::string::npos)
        << "the home page's statistics keep the finding";
    ASSERT_NO_FATAL_FAILURE(CloseProgram(program, window));
}

namespace
{
// The pages the main window has made so far: its child dialogs.
int MadePages(HWND mainWindow)
{
    int count = 0;
    for (HWND child = ::FindWindowExA(mainWindow, NULL, "#32770", nullptr); child;
         child = ::FindWindowExA(mainWindow, child, "#32770", nullptr))
        ++count;
    return count;
}
}

TEST_F(ProgramTest, TheStartMakesOnlyTheScanPageAndEveryOtherPageShowsWhatItHoldsWhenFirstShown)
{
    // Options and statistics stored by an earlier run, which the settings
    // and home pages show the first time they are shown.
    const std::string stored = "[SETTINGS]\r\nFirstRun=0\r\nSoftwareUpdate=0\r\nRestorePoint=1\r\nAutoRepair=0\r\n"
                               "LastTotalClnCnt=7\r\n";
    RunningProgram program;
    HWND window = NULL;
    ASSERT_NO_FATAL_FAILURE(StartWithSettings(stored, program, window));
    // The start makes the scan page; the window, once idle, the pages a
    // scan and its repair go through (progress, results, summary, home) and
    // those on the way to the ignore list (settings, ignore list), so that
    // neither the first Start Scan, the first repair nor that way makes one.
    EXPECT_LE(MadePages(window), 7) << "the start made more than the scan page and the idle window's pages";
    EXPECT_TRUE(WaitFor(20000, [window] { return MadePages(window) == 7; }))
        << "the idle window made " << MadePages(window) << " pages, not the scan page and six more";

    const HWND settings = ShowSettingsPage(window);
    ASSERT_NE(settings, static_cast<HWND>(NULL));
    EXPECT_EQ(::IsDlgButtonChecked(settings, 1089), BST_CHECKED) << "RestorePoint";
    EXPECT_EQ(::IsDlgButtonChecked(settings, 1085), BST_UNCHECKED) << "AutoRepair";
    EXPECT_EQ(MadePages(window), 7);

    // Sent, so the page has been made and loaded when the click returns.
    ASSERT_TRUE(ClickButton(window, IDC_HOME_BUTTON));
    EXPECT_FALSE(IsEnabled(window, IDC_HOME_BUTTON));
    EXPECT_EQ(WindowText(FindVisibleControl(window, 1220)), "7") << "the stored total repaired";
    EXPECT_EQ(WindowText(::GetDlgItem(window, IDC_CAPTION_LABEL)), "RESULTS");

    // Each page once, however often it is shown.
    for (int button : {IDC_STARTUP_BUTTON, IDC_BACKUP_BUTTON, IDC_DEFRAG_BUTTON, IDC_ABOUT_LINK, IDC_HOME_BUTTON,
                       IDC_STARTUP_BUTTON})
        ASSERT_TRUE(ClickButton(window, button)) << button;
    EXPECT_EQ(MadePages(window), 11) << "scan, progress, results, summary, home, settings, ignore list, startup, "
                                        "backup, defragmentation, About";
    CloseProgram(program, window);
}

TEST_F(ProgramTest, AScheduledRequestReachesAFirstInstanceThatShowedOnlyItsScanPage)
{
    RunningProgram first;
    HWND window = NULL;
    ASSERT_NO_FATAL_FAILURE(StartProgram(first, m_exe, window));
    ASSERT_EQ(MadePages(window), 1);

    RunningProgram scheduled;
    ASSERT_TRUE(scheduled.Start(m_exe, "SCHEDULE"));
    ASSERT_TRUE(scheduled.WaitForExit(15000));
    // The scan's progress step, made for the request, shows the scan to its
    // end.
    EXPECT_TRUE(WaitForScanProgressStep(window)) << "no scan ran to its end";
    CloseProgram(first, window);
}

TEST_F(ProgramTest, TheUpdateCheckAtStartFindsItsInternetLibraryWhenItFirstCallsIt)
{
    // The program loads WinINet at its first call, not at its start: the
    // silent check must reach it and end as it would without a connection,
    // the program running on.
    const std::string stored = "[SETTINGS]\r\nFirstRun=0\r\nSoftwareUpdate=1\r\n";
    RunningProgram program;
    HWND window = NULL;
    ASSERT_NO_FATAL_FAILURE(StartWithSettings(stored, program, window));
    ::Sleep(2000);
    EXPECT_TRUE(WaitFor(60000, [&] { return program.HasEnded() || ::IsWindowEnabled(window); }))
        << "the update check did not end";
    ASSERT_FALSE(program.HasEnded()) << "the program ended during its update check";
    ASSERT_TRUE(ClickButton(window, IDC_HOME_BUTTON));
    EXPECT_FALSE(IsEnabled(window, IDC_HOME_BUTTON));
    CloseProgram(program, window);
}
