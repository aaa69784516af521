// main() of every test program: run in a folder of its own, COM on the main
// thread as the program has it, and a time limit that fails by itself.
#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include <gmock/gmock.h>

#include "support/OwnFolder.h"
#include "support/TimeLimit.h"

namespace
{
// A crash on any thread fails the run: without this, Wine's debugger reports
// it and the process still ends with exit code 0.
LONG WINAPI FailOnCrash(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD* record = pointers ? pointers->ExceptionRecord : nullptr;
    std::fprintf(stderr, "unhandled exception %08lx at %p on thread %lu\n",
                 record ? static_cast<unsigned long>(record->ExceptionCode) : 0ul,
                 record ? record->ExceptionAddress : nullptr, static_cast<unsigned long>(::GetCurrentThreadId()));
    std::fflush(stderr);
    std::fflush(stdout);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
}

int main(int argc, char** argv)
{
    // Into a pipe the runtime buffers all of stdout: a test program that
    // ends abnormally would take every line it wrote with it, and with them
    // where it stood.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ::SetUnhandledExceptionFilter(&FailOnCrash);
    int copyExitCode = 0;
    if (OwnFolder::RunCopy(&copyExitCode))
        return copyExitCode;
    ::CoInitialize(nullptr);
    testing::InitGoogleMock(&argc, argv);
    TimeLimit::Start();
    const int rc = RUN_ALL_TESTS();
    ::CoUninitialize();
    return rc;
}
