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
    HMODULE module;
};

// Every worker thread starts here, so that no exception leaves its routine.
DWORD WINAPI GuardedStart(void* parameter)
{
    HMODULE module = NULL;
    DWORD result = static_cast<DWORD>(-1);
    {
        const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
        module = start->module;
        CallbackGuard::Run("worker thread", [&] { result = start->routine(start->parameter); });
    }
    // The thread's own hold on the module that holds its code goes only as
    // the thread ends: a library freed by its loader meanwhile stays mapped
    // until then.
    if (module)
        ::FreeLibraryAndExitThread(module, result);
    return result;
}

HMODULE HoldOwnModule()
{
    HMODULE module = NULL;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCSTR>(reinterpret_cast<void*>(&GuardedStart)), &module))
        return NULL;
    return module;
}
}

namespace WorkerThread
{
HANDLE Create(LPTHREAD_START_ROUTINE routine, void* parameter, bool suspended, DWORD* threadId)
{
    // The new thread owns its start record and the module hold taken here,
    // before it exists, so that no moment is left without one.
    std::unique_ptr<ThreadStart> start(new (std::nothrow) ThreadStart{routine, parameter, NULL});
    if (!start)
        return NULL;
    start->module = HoldOwnModule();
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, &GuardedStart, start.get(), suspended ? CREATE_SUSPENDED : 0, &id);
    if (!thread)
    {
        if (start->module)
            ::FreeLibrary(start->module);
        return NULL;
    }
    start.release();
    if (threadId)
        *threadId = id;
    return thread;
}
}
