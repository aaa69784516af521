// A library whose only export starts a worker thread that waits for a gate:
// the thread's code lives here, so the library must stay mapped until the
// thread has ended, whoever frees it meanwhile.
#include <windows.h>

#include "Framework/WorkerThread.h"

namespace
{
DWORD WINAPI WaitForGate(void* gate)
{
    ::WaitForSingleObject(static_cast<HANDLE>(gate), INFINITE);
    return 7;
}
}

extern "C" __declspec(dllexport) HANDLE StartThreadWaitingFor(HANDLE gate)
{
    return WorkerThread::Create(&WaitForGate, gate, false);
}
