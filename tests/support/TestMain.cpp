// main() of every test program: COM on the main thread, as the program has it.
#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include <gmock/gmock.h>

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
    ::SetUnhandledExceptionFilter(&FailOnCrash);
    ::CoInitialize(nullptr);
    testing::InitGoogleMock(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    ::CoUninitialize();
    return rc;
}
