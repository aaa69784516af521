// How long the real program's window leaves a message unanswered around a
// large repair: findings dead file references in the user's hive, among
// many other keys that the scan walks too. A second process (this one)
// asks the main window an empty question every few milliseconds through the
// scan, from the click on Repair until the home page shows, and for a while
// after; it prints the longest and the 99th-percentile wait of each stretch,
// and whether the repair did what it should.
// Run it under Wine in a throwaway prefix, on a screen:
//   QM_XVFB=1 QM_PREFIX_ROOT=build/x64/wine-templates scripts/wine-run.sh build/x64/bin/repair_answer_bench.exe [findings] [other keys]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchClock.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ShellResource.h"
#include "support/AnswerTimeProbe.h"
#include "support/LargeRepair.h"
#include "support/ProgramDriver.h"

namespace
{
const char kDeadKey[] = "Software\\QmAnswerBench\\Dead";
const char kLiveKey[] = "Software\\QmAnswerBench\\Live";
// How long the window is watched once the home page shows.
const DWORD kAfterMs = 5000;

void PrintAnswers(const char* stretch, const AnswerTimeProbe::Answers& answers, double seconds)
{
    std::printf("  %-36s %6.1f s  %6zu questions  max %8.1f ms  p99 %7.1f ms  unanswered %d\n", stretch, seconds,
                answers.Count(), answers.MaxMs(), answers.PercentileMs(0.99), answers.unanswered);
    std::fflush(stdout);
}
}

int main(int argc, char** argv)
{
    const int findings = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int others = argc > 2 ? std::atoi(argv[2]) : 200000;

    BenchClock clock;
    if (!LargeRepair::PlantDeadReferences(kDeadKey, findings) || !LargeRepair::PlantLiveKeys(kLiveKey, others))
    {
        std::printf("cannot plant the keys\n");
        return 1;
    }
    std::printf("planted %d dead references and %d other keys in %.1f s\n", findings, others, clock.Seconds());
    std::fflush(stdout);

    const std::string folder = ProgramDriver::MakeProgramFolder("repair answer bench");
    LargeRepair::WriteSettings(folder);
    ProgramDriver::RunningProgram program;
    if (!program.Start(folder + "Quillomar.exe"))
    {
        std::printf("the program did not start\n");
        return 1;
    }
    const HWND mainWindow = program.WaitForMainWindow(60000);
    if (!mainWindow)
    {
        std::printf("no main window\n");
        return 1;
    }

    std::printf("answer times of the main window (a WM_NULL every 5 ms from this process):\n");
    AnswerTimeProbe probe(mainWindow);
    clock.Restart();
    const HWND tree = ProgramDriver::ScanAndShowResults(mainWindow, 30 * 60000);
    PrintAnswers("scan and its results", probe.TakeAnswers(), clock.Seconds());
    if (!tree)
    {
        std::printf("the scan did not show its results\n");
        return 1;
    }

    clock.Restart();
    const bool home = LargeRepair::RepairAndWaitForHome(mainWindow, 30 * 60000);
    PrintAnswers("from Repair to the home page", probe.TakeAnswers(), clock.Seconds());
    if (!home)
    {
        std::printf("the repair did not end on the home page\n");
        return 1;
    }
    clock.Restart();
    ::Sleep(kAfterMs);
    PrintAnswers("the home page's first seconds", probe.TakeAnswers(), clock.Seconds());
    probe.Stop();

    const std::string repaired = ProgramDriver::WindowText(ProgramDriver::FindVisibleControl(mainWindow, IDC_HOME_TOTAL_REPAIRED));
    std::printf("home page: %s repaired; findings left in the registry: %d of %d\n", repaired.c_str(),
                LargeRepair::DeadReferencesLeft(kDeadKey, findings), findings);
    ProgramDriver::ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON);
    if (!program.WaitForExit(60000))
        std::printf("the program did not end\n");
    return 0;
}
