#include "Framework/CallbackGuard.h"

#include <atomic>
#include <string>

#include "Framework/CWinApp.h"

namespace
{
// A handler that fails on every timer tick must not stack one box on another:
// while one is shown, later failures go to the debugger only.
std::atomic<bool> g_boxShown{false};

void ShowFailure(const char* where, const char* what)
{
    std::string text = std::string("An unexpected error ended the ") + where;
    if (what && *what)
        text += std::string(" (") + what + ")";
    text += ".\nThe program goes on.";
    ::OutputDebugStringA((text + "\n").c_str());
    if (!CWinApp::Get() || g_boxShown.exchange(true))
        return;
    CWinApp::MessageBox(text.c_str(), MB_OK | MB_ICONERROR);
    g_boxShown = false;
}

std::atomic<CallbackGuard::Reporter> g_reporter{&ShowFailure};
}

namespace CallbackGuard
{
Reporter SetReporter(Reporter reporter)
{
    return g_reporter.exchange(reporter ? reporter : &ShowFailure);
}

void Report(const char* where, const char* what) noexcept
{
    try
    {
        g_reporter.load()(where, what);
    }
    catch (...)
    {
        // Out of memory even for the text: the debugger hears of it at least.
        ::OutputDebugStringA("An unexpected error ended a call from Windows.\n");
    }
}
}
