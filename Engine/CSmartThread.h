#pragma once
#include <windows.h>

#include <atomic>
#include <optional>
#include <vector>

#include "Framework/CCriticalSection.h"
#include "Framework/CHandle.h"

// A reusable worker-thread base: one thread at a time, created suspended, with
// a small list of auto-reset events. The derived class supplies the body.
//
// A thread counts as gone only when its handle is signalled: from then on no
// code of this module runs on it. Until then its handle stays open, so that
// whoever owns the object can wait for it before freeing what the body uses.
class CSmartThread
{
public:
    CSmartThread();
    // Waits for a thread that still runs; a derived class whose body uses its
    // own members ends the thread in its own destructor (EndThread).
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
    // A thread exists that has not ended: created, running, paused or making
    // its last calls.
    BOOL IsRunning() const;
    // That thread's handle, NULL once it has ended. The handle stays open
    // until the next thread is created or the object is destroyed.
    HANDLE GetHandle() const;

protected:
    // Creates the thread suspended and then the events. Refuses while another
    // thread of this object has not ended; the current thread may create its
    // successor from its own last calls, and the successor's body then waits
    // for it to end. On failure no thread is left running.
    BOOL CreateSuspendedThread();

    // The calling thread is this object's current thread.
    bool IsCurrentThread() const;
    // The current thread was resumed at least once.
    bool WasResumed() const { return m_bResumed.load(); }
    // Waits up to milliseconds for this object's threads to end, answering
    // the messages other threads send to the calling thread meanwhile (a body
    // may be waiting in SendMessage for it). A thread never waits for itself.
    // current false: only the thread that created the current one.
    bool WaitForThreadsToEnd(DWORD milliseconds, bool current = true) const;
    // A thread created but never resumed ends without running its body.
    void DiscardUnresumedThread();
    // Discards an unresumed thread and waits, without a bound, for the rest;
    // a derived destructor calls it before its members go.
    void EndThread();

    static DWORD WINAPI ThreadRoutine(void* parameter);

    // Written by the creating thread, read by the thread itself.
    std::atomic<DWORD> m_dwThreadId{0};
    BYTE m_bCreated = 0;
    BYTE m_bNoLock = 0;
    int m_nPriority = THREAD_PRIORITY_HIGHEST;
    int m_nEventCount = 1;
    // Made by InitLock only; Lock and Unlock do nothing without it.
    std::optional<CCriticalSection> m_lock;
    // The current thread's handle, open until the next thread is created or
    // the object goes; written only by the creating thread.
    std::atomic<HANDLE> m_hThread{NULL};
    // The thread that created the current one from within its own body, and
    // its id; the current one waits for it before its own body runs.
    std::atomic<HANDLE> m_hPreviousThread{NULL};
    std::atomic<DWORD> m_dwPreviousThreadId{0};
    // Handles of threads that had ended when they were moved here. They stay
    // open until the others are closed: another thread may be waiting on
    // one it read before the move.
    std::vector<CHandle> m_retiredThreads;
    std::atomic<bool> m_bResumed{false};
    std::atomic<bool> m_bDiscard{false};
    std::vector<CHandle> m_events;

private:
    bool AllThreadsEnded() const;
    void CloseEndedThreads();
};
