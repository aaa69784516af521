#include "Framework/WorkerThread.h"

#include <memory>
#include <new>

#include "Framework/CallbackGuard.h"

namespace
{
struct ThreadStart
{
    LPTHREAD_START_ROUTINE routine;
    void* parameter;
};

// Every worker thread starts here, so that no exception leaves its routine.
DWORD WINAPI GuardedStart(void* parameter)
{
    const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    DWORD result = static_cast<DWORD>(-1);
    CallbackGuard::Run("worker thread", [&] { result = start->routine(start->parameter); });
    return result;
}
}

namespace WorkerThread
{
HANDLE Create(LPTHREAD_START_ROUTINE routine, void* parameter, bool suspended, DWORD* threadId)
{
    // The new thread owns its start record; a thread that is ended before it
    // ever ran (only ever a suspended one) leaves the few bytes behind.
    std::unique_ptr<ThreadStart> start(new (std::nothrow) ThreadStart{routine, parameter});
    if (!start)
        return NULL;
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, &GuardedStart, start.get(), suspended ? CREATE_SUSPENDED : 0, &id);
    if (!thread)
        return NULL;
    start.release();
    if (threadId)
        *threadId = id;
    return thread;
}
}
