#pragma once
#include <windows.h>

#include <atomic>
#include <optional>
#include <vector>

#include "Framework/CCriticalSection.h"
#include "Framework/CHandle.h"

// A reusable worker-thread base: one thread at a time, created suspended, with
// a small list of auto-reset events. The derived class supplies the body.
class CSmartThread
{
public:
    CSmartThread();
    virtual ~CSmartThread();

    CSmartThread(const CSmartThread&) = delete;
    CSmartThread& operator=(const CSmartThread&) = delete;

    // Runs on the new thread before the body; FALSE ends the thread at once.
    virtual BOOL InitThread() { return TRUE; }
    // The thread body; its result becomes the thread's exit code.
    virtual int Run() = 0;

    BOOL Start();
    BOOL CreateEvents();
    BOOL ResetEventAt(int index);
    BOOL SignalEvent();
    BOOL WaitEvent();
    // -1 when an index is out of range or no listed event was signalled.
    int WaitEvents(const std::vector<int>& indices, BOOL waitAll, DWORD milliseconds);
    int GetPriority() const;
    BOOL SetPriority(int priority);
    BOOL Suspend();
    BOOL Resume();
    BOOL Terminate();
    void InitLock();
    void Lock();
    void Unlock();
    BOOL IsRunning() const { return m_hThread.load() != NULL; }
    HANDLE GetHandle() const { return m_hThread.load(); }

protected:
    // Creates the thread suspended and then the events. On failure nothing is
    // left behind: a thread made before its events failed is ended again.
    BOOL CreateSuspendedThread();

    // Moves the current handle to the kept slot (closing the one kept before).
    void RetireCurrentThread();

    static DWORD WINAPI ThreadRoutine(void* parameter);

    DWORD m_dwThreadId = 0;
    BYTE m_bCreated = 0;
    BYTE m_bNoLock = 0;
    int m_nPriority = THREAD_PRIORITY_HIGHEST;
    int m_nEventCount = 1;
    // Made by InitLock only; Lock and Unlock do nothing without it.
    std::optional<CCriticalSection> m_lock;
    // Written by the creating thread and cleared by the thread itself as it
    // ends, so another thread may read it at any time.
    std::atomic<HANDLE> m_hThread{NULL};
    // The previous thread's handle, closed when the next thread ends.
    CHandle m_hFinishedThread;
    std::vector<CHandle> m_events;
};
