// A worker thread keeps the library that holds its code.
#include <windows.h>

#include <gtest/gtest.h>

#include "Framework/CHandle.h"

namespace
{
const char kLibrary[] = "qmtest_heldthread.dll";
typedef HANDLE (*PFN_START_THREAD)(HANDLE gate);
}

TEST(WorkerThread, KeepsTheLibraryOfItsCodeUntilItHasEnded)
{
    HMODULE library = ::LoadLibraryA(kLibrary);
    ASSERT_NE(library, nullptr);
    const PFN_START_THREAD start = reinterpret_cast<PFN_START_THREAD>(
        reinterpret_cast<void*>(::GetProcAddress(library, "StartThreadWaitingFor")));
    ASSERT_NE(start, nullptr);
    const CHandle gate(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const CHandle thread(start(gate.Get()));
    ASSERT_TRUE(thread.IsValid());

    // The loader's last reference goes while the thread still waits in the
    // library's code.
    ::FreeLibrary(library);
    EXPECT_NE(::GetModuleHandleA(kLibrary), nullptr);

    ::SetEvent(gate.Get());
    ASSERT_EQ(::WaitForSingleObject(thread.Get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD exitCode = 0;
    ::GetExitCodeThread(thread.Get(), &exitCode);
    EXPECT_EQ(exitCode, 7u);
    EXPECT_EQ(::GetModuleHandleA(kLibrary), nullptr);
}
