#pragma once
#include <windows.h>

#include <exception>

// Where Windows calls into our code (window and dialog procedures, thread
// entry points) no exception may leave: it cannot unwind through the system's
// frames and would end the program without a word. A guarded call that throws
// ends that one message or thread, and the failure is reported.
namespace CallbackGuard
{
// where: what was running ("window message", "drawing thread" ...);
// what: the exception's text, or NULL when it was no std::exception.
using Reporter = void (*)(const char* where, const char* what);

// The default reporter writes to the debugger and, in a program with an
// application object, shows a message box under the program's name. Returns
// the reporter that was set before (tests record failures instead).
Reporter SetReporter(Reporter reporter);
// Reports through the current reporter; never throws.
void Report(const char* where, const char* what) noexcept;

// Runs body; true when it returned, false when it threw (and was reported).
template <class Body>
bool Run(const char* where, Body&& body) noexcept
{
    try
    {
        body();
        return true;
    }
    catch (const std::exception& failure)
    {
        Report(where, failure.what());
    }
    catch (...)
    {
        Report(where, nullptr);
    }
    return false;
}
}
