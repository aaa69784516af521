// Asks the application object to restart or shut the computer down, in a
// Wine prefix of its own (the whole prefix ends when the answer is yes), and
// writes what happened to a report file as it goes:
//   shell_shutdown_probe <restart|shutdown> <ask|noask> <ok|cancel> <report>
// A second copy of itself started with "idle" stands for another program
// of the session.
#include <windows.h>

#include <cstring>
#include <string>
#include <thread>

#include "Client/Shell/CRegClientApp.h"
#include "Framework/CWnd.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

CRegClientApp theApp;

namespace
{
std::string g_report;

void Report(const std::string& line)
{
    TestEnv::AppendLine(g_report, line);
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

// Answers the question as the user would; Wine never closes it by itself.
void AnswerQuestion(int button)
{
    const HWND box = ProgramDriver::WaitForMessageBoxOf(::GetCurrentProcessId(), 15000);
    if (!box)
        return;
    Report("caption: " + ProgramDriver::WindowText(box));
    Report("question: " + Escaped(ProgramDriver::MessageBoxText(box)));
    const LONG_PTR exStyle = ::GetWindowLongPtrA(box, GWL_EXSTYLE);
    Report(std::string("topmost: ") + ((exStyle & WS_EX_TOPMOST) ? "yes" : "no"));
    ProgramDriver::PressButton(box, button);
}

// Handles messages, as a program's main window does, for a while.
void PumpMessagesFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds)
    {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

bool IdleCompanionStarted()
{
    const HANDLE file = ::CreateFileA((g_report + ".idle").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char text[64] = {};
    DWORD read = 0;
    ::ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
    ::CloseHandle(file);
    return std::strstr(text, "idle started") != nullptr;
}

void WaitForIdleCompanion(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    while (!IdleCompanionStarted() && ::GetTickCount() - start < milliseconds)
        ::Sleep(100);
}

const RECT kWindowRect = {10, 10, 210, 110};

int Idle()
{
    CWnd window;
    window.CreateEx(0, nullptr, "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, kWindowRect, NULL, 0);
    Report("idle started");
    PumpMessagesFor(20000);
    Report("idle survived");
    return 0;
}
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "idle") == 0)
    {
        g_report = argv[2];
        return Idle();
    }
    if (argc != 5)
        return 2;
    const bool restart = std::strcmp(argv[1], "restart") == 0;
    const bool ask = std::strcmp(argv[2], "ask") == 0;
    const int answer = std::strcmp(argv[3], "ok") == 0 ? IDOK : IDCANCEL;
    g_report = argv[4];

    // Another program of the session, which a real shutdown ends too.
    TestEnv::ProcessStart idle;
    idle.commandLine = "\"" + std::string(argv[0]) + "\" idle \"" + g_report + ".idle\"";
    TestEnv::StartProcess(idle);
    // A loaded machine may take seconds to start it; the question waits
    // until it runs, or the shutdown would find nothing to end.
    WaitForIdleCompanion(60000);

    // The program's main window, which owns the question.
    CWnd mainWindow;
    mainWindow.CreateEx(0, nullptr, "Quillomar", WS_OVERLAPPEDWINDOW | WS_VISIBLE, kWindowRect, NULL, 0);
    theApp.SetMainWnd(&mainWindow);

    std::thread answering([answer] { AnswerQuestion(answer); });
    Report("asking");
    const BOOL done = theApp.ShutdownOrRestart(restart ? TRUE : FALSE, ask ? TRUE : FALSE);
    Report(std::string("returned ") + (done ? "1" : "0"));
    if (!done)
    {
        // Nothing to answer when the question never came.
        answering.detach();
        return 0;
    }
    answering.detach();
    // The program goes on with its message loop, and so answers the
    // session's end as a window would.
    PumpMessagesFor(30000);
    Report("survived");
    return 0;
}
