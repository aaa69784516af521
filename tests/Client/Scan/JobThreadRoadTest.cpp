// The engine's job thread against the user's clicks in the real Quillomar.exe:
// a close during a repair is refused and the repair runs to its end; a close
// right after a cancel ends the program cleanly; after rapid clicks during a
// repair the next scan still ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/ShellResource.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;

namespace
{
const char kFonts[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
// Fonts and shared DLLs: a short scan with findings.
const DWORD kScannedCategories = 0x2000 | 0x80000;
const int kDeadFonts = 12;

std::string DeadFont(int i)
{
    return "Qm Thread Dead " + std::to_string(i) + " (TrueType)";
}

void PlantFindings()
{
    for (int i = 0; i < kDeadFonts; ++i)
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kFonts, DeadFont(i), "qmthreaddead.ttf"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kSharedDlls, "c:\\qmnowhere\\qmthread.dll", "1"));
}

int DeadFontsLeft()
{
    int left = 0;
    for (int i = 0; i < kDeadFonts; ++i)
        left += TestEnv::ValueExists(HKEY_LOCAL_MACHINE, kFonts, DeadFont(i)) ? 1 : 0;
    return left;
}

// A program folder whose settings tick the scanned categories, or all of
// them (mask 0 leaves the default).
std::string ProgramFolder(const std::string& name, DWORD mask = kScannedCategories)
{
    const std::string folder = MakeProgramFolder(name);
    std::string settings = "[SETTINGS]\r\nFirstRun=0\r\n";
    if (mask)
        settings += "LastSelectedScanTypes=" + std::to_string(mask) + "\r\n";
    EXPECT_TRUE(TestEnv::WriteFile(folder + "qmsettings.ini", settings));
    return folder;
}

// What the program's message boxes said during the test, for its failures.
std::string g_boxesSaid;

// Starts the program of the planted findings and scans as far as its
// results; the main window, or NULL when it did not get there.
HWND StartAndShowResults(RunningProgram& program, const std::string& name)
{
    // Each test tells only its own program's boxes.
    g_boxesSaid.clear();
    PlantFindings();
    const std::string folder = ProgramFolder(name);
    if (!program.Start(folder + "Quillomar.exe"))
        return NULL;
    const HWND mainWindow = program.WaitForMainWindow();
    if (!mainWindow || !ScanAndShowResults(mainWindow))
        return NULL;
    return mainWindow;
}


void NoteBoxes(const std::string& said)
{
    if (!said.empty() && g_boxesSaid.find(said) == std::string::npos)
        g_boxesSaid += (g_boxesSaid.empty() ? "" : "; ") + said;
}

std::string BoxesSaid()
{
    return " (message boxes answered: " + (g_boxesSaid.empty() ? std::string("none") : g_boxesSaid) + ")";
}

// Answers whatever message box the program shows with OK; true when there
// was one.
bool AnswerAnyBox(const RunningProgram& program)
{
    const HWND box = WaitForMessageBoxOf(program.ProcessId(), 0);
    if (!box)
        return false;
    NoteBoxes("\"" + MessageBoxText(box) + "\"");
    AnswerMessageBox(box, IDOK);
    for (int i = 0; i < 40 && ::IsWindow(box); ++i)
        ::Sleep(25);
    return true;
}

// Clicks a control the moment a user could, if at all, and waits until the
// program has handled the click: clicks posted faster than a busy program
// takes them would still be landing, on whatever page then shows, after the
// test had found the page it wanted. The boxes the clicks bring are
// answered with OK, as AnswerAnyBox does; they are the program's word on a
// job that runs.
bool ClickIfUsable(HWND mainWindow, int id)
{
    const HWND control = FindVisibleControl(mainWindow, id);
    if (!IsUsable(control))
        return false;
    RECT area = {};
    ::GetClientRect(control, &area);
    std::string boxes;
    const bool handled = ClickAtAndWait(control, POINT{area.right / 2, area.bottom / 2}, IDOK, &boxes);
    NoteBoxes(boxes);
    return handled;
}

// From wherever the scan page stands, back to its first step.
bool ReachScanOptions(HWND mainWindow, const RunningProgram& program)
{
    for (int attempt = 0; attempt < 40; ++attempt)
    {
        AnswerAnyBox(program);
        if (IsUsable(FindVisibleControl(mainWindow, IDC_SCAN_START)))
            return true;
        if (!ClickIfUsable(mainWindow, IDC_RESULTS_BACK) && !ClickIfUsable(mainWindow, IDC_PROGRESS_BACK))
            ClickIfUsable(mainWindow, IDC_SCAN_BUTTON);
        ::Sleep(250);
    }
    return false;
}
}

TEST(JobThreads, ACloseDuringARepairIsRefusedAndTheRepairRunsToItsEnd)
{
    RunningProgram program;
    const HWND mainWindow = StartAndShowResults(program, "thread-close-repair");
    ASSERT_NE(mainWindow, static_cast<HWND>(NULL)) << "no results to repair";

    // The close comes right behind the repair's start, before its thread can
    // have run a line.
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_REPAIR_BUTTON));
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    const HWND box = WaitForMessageBoxWith(program.ProcessId(), "Please stop active operation before closing.", 20000);
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "the close was not refused";
    EXPECT_EQ(MessageBoxText(box), "Please stop active operation before closing.");
    EXPECT_FALSE(program.HasEnded());
    AnswerMessageBox(box, IDOK);

    // The repair runs to its end and leads home.
    ASSERT_TRUE(WaitFor(60000, [&] { return !::IsWindowEnabled(::GetDlgItem(mainWindow, IDC_HOME_BUTTON)); }))
        << "the repair did not end on the home page";
    EXPECT_EQ(DeadFontsLeft(), 0) << "the repair was cut off";
    EXPECT_FALSE(TestEnv::ValueExists(HKEY_LOCAL_MACHINE, kSharedDlls, "c:\\qmnowhere\\qmthread.dll"));

    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    DWORD code = 1;
    ASSERT_TRUE(program.WaitForExit(30000, &code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
}

TEST(JobThreads, ACloseRightAfterACancelEndsTheProgramCleanly)
{
    // Every category: the scan is still busy when it is cancelled.
    const std::string folder = ProgramFolder("thread-cancel-close", 0);
    for (int run = 0; run < 3; ++run)
    {
        RunningProgram program;
        ASSERT_TRUE(program.Start(folder + "Quillomar.exe"));
        const HWND mainWindow = program.WaitForMainWindow();
        ASSERT_NE(mainWindow, static_cast<HWND>(NULL));
        ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_START, 20000));
        ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CANCEL_SCAN, 20000));
        ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
        DWORD code = 1;
        bool ended = false;
        // A close that came while the scan still ran is refused; the user
        // tries again.
        for (int attempt = 0; attempt < 20 && !ended; ++attempt)
        {
            ended = program.WaitForExit(1500, &code);
            if (!ended && AnswerAnyBox(program))
                ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON, 2000);
        }
        ASSERT_TRUE(ended) << "run " << run << ": the program did not end";
        EXPECT_EQ(code, 0u) << "run " << run;
    }
}

TEST(JobThreads, AfterRapidClicksDuringARepairTheNextScanEnds)
{
    RunningProgram program;
    const HWND mainWindow = StartAndShowResults(program, "thread-rapid-clicks");
    ASSERT_NE(mainWindow, static_cast<HWND>(NULL)) << "no results to repair";

    // Handled before the first of the quick clicks, as a user's would be: a
    // click posted here would come after the sent ones.
    ASSERT_NE(WaitForUsable(mainWindow, IDC_REPAIR_BUTTON), static_cast<HWND>(NULL));
    ASSERT_TRUE(ClickIfUsable(mainWindow, IDC_REPAIR_BUTTON)) << BoxesSaid();
    const int clicked[] = {IDC_CANCEL_SCAN,   IDC_RESULTS_BACK, IDC_PROGRESS_BACK, IDC_SCAN_BUTTON,
                           IDC_SHOW_RESULTS, IDC_HOME_BUTTON,  IDC_SCAN_START,    IDC_STARTUP_BUTTON,
                           IDC_SCAN_BUTTON,  IDC_BACKUP_BUTTON, IDC_SCAN_BUTTON,  IDC_DEFRAG_BUTTON};
    const DWORD start = ::GetTickCount();
    for (size_t i = 0; ::GetTickCount() - start < 6000; ++i)
    {
        AnswerAnyBox(program);
        ClickIfUsable(mainWindow, clicked[i % (sizeof(clicked) / sizeof(clicked[0]))]);
        ::Sleep(30);
    }
    const bool repaired = WaitFor(120000, [&] {
        AnswerAnyBox(program);
        return DeadFontsLeft() == 0;
    });
    if (!repaired)
        SaveScreenshot(mainWindow, "thread-rapid-clicks-unrepaired");
    ASSERT_TRUE(repaired) << "the repair did not end: " << DeadFontsLeft() << " dead fonts left" << BoxesSaid()
                          << "; the window as it was: thread-rapid-clicks-unrepaired";
    ::Sleep(1000);
    AnswerAnyBox(program);

    // The next scan runs to its end.
    ASSERT_TRUE(ReachScanOptions(mainWindow, program)) << "the scan options could not be reached" << BoxesSaid();
    EXPECT_TRUE(SaveScreenshot(mainWindow, "thread-rapid-clicks-options"));
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_START, 20000)) << BoxesSaid();
    EXPECT_FALSE(WaitForMessageBoxOf(program.ProcessId(), 1000)) << "the scan was refused";
    EXPECT_TRUE(WaitForUsable(mainWindow, IDC_SHOW_RESULTS, 120000) != NULL) << "the next scan did not end";
    EXPECT_TRUE(SaveScreenshot(mainWindow, "thread-rapid-clicks-scanned"));

    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    EXPECT_TRUE(program.WaitForExit(30000)) << "the program did not end";
}
