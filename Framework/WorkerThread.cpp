#include "Framework/WorkerThread.h"

namespace WorkerThread
{
HANDLE Create(LPTHREAD_START_ROUTINE routine, void* parameter, bool suspended, DWORD* threadId)
{
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, routine, parameter, suspended ? CREATE_SUSPENDED : 0, &id);
    if (thread && threadId)
        *threadId = id;
    return thread;
}
}
