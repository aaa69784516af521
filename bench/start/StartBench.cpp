// Times the program's start beside a bare window program of the same
// toolchain, in turns so that both meet the same load, at two points:
//   first visible window: CreateProcess to the first visible top-level window;
//   ready window: CreateProcess until that window is ready for a user: the
//     process waits for input (WaitForInputIdle), the window answers a
//     message, its first page is on show with its caption, and nothing of the
//     window waits to be painted.
// The program runs from a folder of its own with its engine beside it, as a
// user's copy would.
//   start_bench.exe [runs]     (runs: 3 to 7, default 5; one warm-up before)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchStats.h"
#include "Client/res/ShellResource.h"
#include "Framework/ModulePath.h"
#include "support/ProgramDriver.h"

namespace
{
const int kWarmUps = 1;
const int kDefaultRuns = 5;
const double kGiveUpSeconds = 60.0;

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

BOOL CALLBACK FindUnpainted(HWND child, LPARAM context)
{
    if (!::IsWindowVisible(child) || !::GetUpdateRect(child, nullptr, FALSE))
        return TRUE;
    *reinterpret_cast<bool*>(context) = true;
    return FALSE;
}

// Nothing of the window or its visible descendants waits to be painted.
bool IsPainted(HWND window)
{
    if (::GetUpdateRect(window, nullptr, FALSE))
        return false;
    bool unpainted = false;
    ::EnumChildWindows(window, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

struct PageSearch
{
    HWND window;
    bool found;
};

BOOL CALLBACK FindVisiblePage(HWND child, LPARAM context)
{
    auto* search = reinterpret_cast<PageSearch*>(context);
    char name[16] = {};
    ::GetClassNameA(child, name, sizeof(name));
    if (::GetParent(child) != search->window || !::IsWindowVisible(child) || std::string(name) != "#32770")
        return TRUE;
    search->found = true;
    return FALSE;
}

// The program's window shows a page and its caption; a window without the
// caption label (the bare window) has nothing more to show.
bool ShowsItsFirstPage(HWND window)
{
    const HWND caption = ::GetDlgItem(window, IDC_CAPTION_LABEL);
    if (!caption)
        return true;
    PageSearch search = {window, false};
    ::EnumChildWindows(window, FindVisiblePage, reinterpret_cast<LPARAM>(&search));
    return search.found && ::GetWindowTextLengthA(caption) > 0;
}

bool IsReady(HWND window)
{
    return ShowsItsFirstPage(window) && IsPainted(window);
}

struct StartTimes
{
    // Seconds from CreateProcess; negative when the point never came within
    // a minute.
    double shown = -1.0;
    double ready = -1.0;
};

HWND WaitForVisibleWindow(const PROCESS_INFORMATION& process, const BenchClock& clock)
{
    WindowSearch search = {process.dwProcessId, NULL};
    while (clock.Seconds() < kGiveUpSeconds)
    {
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        // Looked for every 2 ms: a closer look would load the new process's
        // Wine server with the bench's own questions.
        if (::WaitForSingleObject(process.hProcess, 2) == WAIT_OBJECT_0)
            return NULL;
    }
    return NULL;
}

bool WaitForReady(const PROCESS_INFORMATION& process, HWND window, const BenchClock& clock)
{
    if (::WaitForInputIdle(process.hProcess, static_cast<DWORD>(kGiveUpSeconds * 1000)) != 0)
        return false;
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(kGiveUpSeconds * 1000),
                               &answer))
        return false;
    while (clock.Seconds() < kGiveUpSeconds)
    {
        if (IsReady(window))
            return true;
        if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0)
            return false;
    }
    return false;
}

StartTimes TimeStart(const std::string& exe, const std::string& folder)
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
    const HWND window = WaitForVisibleWindow(process, clock);
    if (window)
    {
        times.shown = clock.Seconds();
        if (WaitForReady(process, window, clock))
            times.ready = clock.Seconds();
        // Closed as a user would; a program that does not go in time is ended.
        ::PostMessageA(window, WM_CLOSE, 0, 0);
    }
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

// One point of the start: both programs and their ratio, min/median/max.
struct PointFigures
{
    BenchStats bare, program, ratio;

    void Add(double bareSeconds, double programSeconds)
    {
        bare.Add(bareSeconds);
        program.Add(programSeconds);
        ratio.Add(programSeconds / bareSeconds);
    }

    void Print(const char* title) const
    {
        std::printf("  %-22s bare window  %s\n", title, Summary(bare).c_str());
        std::printf("  %-22s Quillomar    %s\n", "", Summary(program).c_str());
        std::printf("  %-22s ratio        %.2f / %.2f / %.2f\n", "", ratio.Min(), ratio.Median(), ratio.Max());
    }
};

int RunCount(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : kDefaultRuns;
    return runs < 3 ? 3 : runs > 7 ? 7 : runs;
}
}

int main(int argc, char** argv)
{
    const int runs = RunCount(argc, argv);
    const std::string programFolder = ProgramDriver::MakeProgramFolder("start bench");
    const std::string program = programFolder + "Quillomar.exe";
    const std::string bare = ModulePath::Folder() + "bare_window.exe";
    PointFigures shown, ready;
    for (int run = 0; run < kWarmUps + runs; ++run)
    {
        const StartTimes bareRun = TimeStart(bare, ModulePath::Folder());
        const StartTimes programRun = TimeStart(program, programFolder);
        if (bareRun.ready < 0 || programRun.ready < 0)
        {
            std::printf("run %d: a window never showed or never became ready (bare %.3f / %.3f s, program %.3f / "
                        "%.3f s)\n",
                        run, bareRun.shown, bareRun.ready, programRun.shown, programRun.ready);
            return 1;
        }
        // The first start of a prefix also starts whatever services the
        // program asks for: shown on its own, left out of the spread.
        std::printf("run %d%s: bare window shown %5.0f ms, ready %5.0f ms; Quillomar shown %5.0f ms, ready %5.0f ms "
                    "(%.2fx, %.2fx)\n",
                    run, run < kWarmUps ? " (first in this prefix)" : "", bareRun.shown * 1000.0,
                    bareRun.ready * 1000.0, programRun.shown * 1000.0, programRun.ready * 1000.0,
                    programRun.shown / bareRun.shown, programRun.ready / bareRun.ready);
        std::fflush(stdout);
        if (run < kWarmUps)
            continue;
        shown.Add(bareRun.shown, programRun.shown);
        ready.Add(bareRun.ready, programRun.ready);
    }
    std::printf("min / median / max of %d runs:\n", runs);
    shown.Print("first visible window:");
    ready.Print("ready window:");
    return 0;
}
