// Times the program's start, from CreateProcess to its first visible window,
// beside a bare window program of the same toolchain, in turns so that both
// meet the same load. The program runs from a folder of its own with its
// engine beside it, as a user's copy would.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchStats.h"
#include "Framework/ModulePath.h"
#include "support/ProgramDriver.h"

namespace
{
const int kWarmUps = 1;
const int kRuns = 3;

struct WindowSearch
{
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !::IsWindowVisible(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

struct StartTimes
{
    // From CreateProcess to the first visible top-level window of the new
    // process, and to that window's first answer to a message (the program
    // handles input); negative when it never came within a minute.
    double shown = -1.0;
    double answered = -1.0;
};

StartTimes TimeToFirstWindow(const std::string& exe, const std::string& folder)
{
    StartTimes times;
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const BenchClock clock;
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &process))
        return times;
    WindowSearch search = {process.dwProcessId, NULL};
    while (clock.Seconds() < 60.0)
    {
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found)
        {
            times.shown = clock.Seconds();
            DWORD_PTR answer = 0;
            if (::SendMessageTimeoutA(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer))
                times.answered = clock.Seconds();
            break;
        }
        if (::WaitForSingleObject(process.hProcess, 2) == WAIT_OBJECT_0)
            break;
    }
    // Closed as a user would; a program that does not go in time is ended.
    if (search.found)
        ::PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
    {
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, 10000);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return times;
}

std::string Summary(const BenchStats& seconds)
{
    char text[128];
    std::snprintf(text, sizeof(text), "%6.0f / %6.0f / %6.0f ms", seconds.Min() * 1000.0, seconds.Median() * 1000.0,
                  seconds.Max() * 1000.0);
    return text;
}
}

int main()
{
    const std::string programFolder = ProgramDriver::MakeProgramFolder("start bench");
    const std::string program = programFolder + "Quillomar.exe";
    const std::string bare = ModulePath::Folder() + "bare_window.exe";
    BenchStats programTimes, bareTimes, programAnswers, bareAnswers, ratios;
    for (int run = 0; run < kWarmUps + kRuns; ++run)
    {
        const StartTimes bareRun = TimeToFirstWindow(bare, ModulePath::Folder());
        const StartTimes programRun = TimeToFirstWindow(program, programFolder);
        if (bareRun.answered < 0 || programRun.answered < 0)
        {
            std::printf("run %d: a window never showed or answered (bare %.3f s, program %.3f s)\n", run,
                        bareRun.shown, programRun.shown);
            return 1;
        }
        // The first start of a prefix also starts whatever services the
        // program asks for: shown on its own, left out of the spread.
        std::printf("run %d%s: bare window %6.0f ms (answers %6.0f ms), Quillomar %6.0f ms (answers %6.0f ms), "
                    "%.2fx\n",
                    run, run < kWarmUps ? " (first in this prefix)" : "", bareRun.shown * 1000.0,
                    bareRun.answered * 1000.0, programRun.shown * 1000.0, programRun.answered * 1000.0,
                    programRun.shown / bareRun.shown);
        std::fflush(stdout);
        if (run < kWarmUps)
            continue;
        bareTimes.Add(bareRun.shown);
        programTimes.Add(programRun.shown);
        bareAnswers.Add(bareRun.answered);
        programAnswers.Add(programRun.answered);
        ratios.Add(programRun.shown / bareRun.shown);
    }
    std::printf("min / median / max of %d runs:\n", kRuns);
    std::printf("  first visible window: bare window  %s\n", Summary(bareTimes).c_str());
    std::printf("                        Quillomar    %s\n", Summary(programTimes).c_str());
    std::printf("                        ratio        %.2f / %.2f / %.2f\n", ratios.Min(), ratios.Median(),
                ratios.Max());
    std::printf("  first answer:         bare window  %s\n", Summary(bareAnswers).c_str());
    std::printf("                        Quillomar    %s\n", Summary(programAnswers).c_str());
    return 0;
}
