#include "Engine/CSmartThread.h"

#include "Framework/CallbackGuard.h"
#include "Framework/WorkerThread.h"

namespace
{
bool HasEnded(HANDLE thread)
{
    return ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

// What is left of milliseconds (INFINITE: no bound) counted from begin.
DWORD TimeLeft(DWORD begin, DWORD milliseconds)
{
    if (milliseconds == INFINITE)
        return INFINITE;
    const DWORD spent = ::GetTickCount() - begin;
    return spent >= milliseconds ? 0 : milliseconds - spent;
}

// Waits for one thread, at most milliseconds from begin, answering what
// other threads send to this one: a body that is in SendMessage to this
// thread could not end otherwise.
bool WaitAnsweringSentMessages(HANDLE thread, DWORD begin, DWORD milliseconds)
{
    for (;;)
    {
        const DWORD rc = ::MsgWaitForMultipleObjectsEx(1, &thread, TimeLeft(begin, milliseconds), QS_SENDMESSAGE, 0);
        if (rc == WAIT_OBJECT_0)
            return true;
        if (rc != WAIT_OBJECT_0 + 1)
            return false;
        // Only sent messages are handled here; posted ones wait for the
        // caller's own loop.
        MSG message;
        ::PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
}

CSmartThread::CSmartThread()
{
}

CSmartThread::~CSmartThread()
{
    EndThread();
    CHandle(m_hThread.exchange(NULL)).Close();
    CHandle(m_hPreviousThread.exchange(NULL)).Close();
}

DWORD WINAPI CSmartThread::ThreadRoutine(void* parameter)
{
    CSmartThread* self = static_cast<CSmartThread*>(parameter);
    if (self->m_bDiscard)
        return 0;
    // Created from within the previous thread's last calls: that one must be
    // gone before this body touches what it shares with it.
    if (const HANDLE previous = self->m_hPreviousThread.load())
        ::WaitForSingleObject(previous, INFINITE);
    int result = -1;
    // A body that throws still leaves the object ready for its next thread.
    CallbackGuard::Run("job thread", [&] { result = self->InitThread() ? self->Run() : 0; });
    // Nothing of the object is touched from here on: whoever has seen the
    // handle signalled may free it.
    return static_cast<DWORD>(result);
}

bool CSmartThread::IsCurrentThread() const
{
    return m_hThread.load() && m_dwThreadId.load() == ::GetCurrentThreadId();
}

BOOL CSmartThread::IsRunning() const
{
    const HANDLE thread = m_hThread.load();
    return thread && !HasEnded(thread);
}

HANDLE CSmartThread::GetHandle() const
{
    const HANDLE thread = m_hThread.load();
    return thread && !HasEnded(thread) ? thread : NULL;
}

bool CSmartThread::AllThreadsEnded() const
{
    const HANDLE thread = m_hThread.load();
    const HANDLE previous = m_hPreviousThread.load();
    return (!thread || HasEnded(thread)) && (!previous || HasEnded(previous));
}

void CSmartThread::CloseEndedThreads()
{
    CHandle(m_hThread.exchange(NULL)).Close();
    CHandle(m_hPreviousThread.exchange(NULL)).Close();
    m_dwPreviousThreadId = 0;
    m_retiredThreads.clear();
}

bool CSmartThread::WaitForThreadsToEnd(DWORD milliseconds, bool current) const
{
    // Both threads share one bound.
    const DWORD begin = ::GetTickCount();
    const HANDLE previous = m_hPreviousThread.load();
    if (previous && m_dwPreviousThreadId.load() != ::GetCurrentThreadId() &&
        !WaitAnsweringSentMessages(previous, begin, milliseconds))
        return false;
    if (!current)
        return true;
    const HANDLE thread = m_hThread.load();
    if (!thread)
        return true;
    if (IsCurrentThread())
        return HasEnded(thread);
    return WaitAnsweringSentMessages(thread, begin, milliseconds);
}

void CSmartThread::DiscardUnresumedThread()
{
    const HANDLE thread = m_hThread.load();
    if (!thread || m_bResumed || HasEnded(thread))
        return;
    m_bDiscard = true;
    ::ResumeThread(thread);
    ::WaitForSingleObject(thread, INFINITE);
}

void CSmartThread::EndThread()
{
    DiscardUnresumedThread();
    WaitForThreadsToEnd(INFINITE);
}

BOOL CSmartThread::CreateSuspendedThread()
{
    // Started from the current thread's own last calls: it cannot wait for
    // itself, so its successor waits for it.
    const bool fromCurrent = IsCurrentThread();
    if (!fromCurrent)
    {
        if (!AllThreadsEnded())
            return FALSE;
        CloseEndedThreads();
    }

    m_bCreated = 1;
    m_bDiscard = false;
    DWORD id = 0;
    const HANDLE thread = WorkerThread::Create(&CSmartThread::ThreadRoutine, this, true, &id);
    if (!thread)
        return FALSE;
    if (fromCurrent)
    {
        if (const HANDLE older = m_hPreviousThread.exchange(m_hThread.load()))
            m_retiredThreads.emplace_back(older);
        m_dwPreviousThreadId = m_dwThreadId.load();
    }
    // In this order: whoever reads the new handle finds it not resumed yet,
    // with the thread it has to wait for already named.
    m_bResumed = false;
    m_dwThreadId = id;
    m_hThread = thread;
    if (CreateEvents())
        return TRUE;
    DiscardUnresumedThread();
    return FALSE;
}

BOOL CSmartThread::Start()
{
    return CreateSuspendedThread();
}

BOOL CSmartThread::CreateEvents()
{
    m_events.clear();
    for (int i = 0; i < m_nEventCount; ++i)
    {
        CHandle event(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
        if (!event)
            return FALSE;
        m_events.push_back(std::move(event));
    }
    return TRUE;
}

BOOL CSmartThread::ResetEventAt(int index)
{
    if (index < 0 || index >= static_cast<int>(m_events.size()))
        return FALSE;
    return ::ResetEvent(m_events[index].Get());
}

BOOL CSmartThread::SignalEvent()
{
    if (m_events.empty())
        return FALSE;
    return ::SetEvent(m_events[0].Get());
}

BOOL CSmartThread::WaitEvent()
{
    if (m_events.empty())
        return FALSE;
    return ::WaitForSingleObject(m_events[0].Get(), INFINITE) == WAIT_OBJECT_0;
}

int CSmartThread::WaitEvents(const std::vector<int>& indices, BOOL waitAll, DWORD milliseconds)
{
    std::vector<HANDLE> handles;
    for (int index : indices)
    {
        if (index < 0 || index >= static_cast<int>(m_events.size()))
            return -1;
        handles.push_back(m_events[index].Get());
    }
    if (handles.empty() || handles.size() > MAXIMUM_WAIT_OBJECTS)
        return -1;
    const DWORD rc =
        ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), waitAll, milliseconds);
    if (rc >= WAIT_OBJECT_0 && rc < WAIT_OBJECT_0 + handles.size())
        return static_cast<int>(rc - WAIT_OBJECT_0);
    return -1;
}

int CSmartThread::GetPriority() const
{
    if (const HANDLE thread = GetHandle())
        return ::GetThreadPriority(thread);
    return m_nPriority;
}

BOOL CSmartThread::SetPriority(int priority)
{
    m_nPriority = priority;
    if (const HANDLE thread = GetHandle())
        return ::SetThreadPriority(thread, priority);
    return TRUE;
}

BOOL CSmartThread::Suspend()
{
    const HANDLE thread = GetHandle();
    return thread && ::SuspendThread(thread) != static_cast<DWORD>(-1);
}

BOOL CSmartThread::Resume()
{
    const HANDLE thread = GetHandle();
    if (!thread)
        return FALSE;
    m_bResumed = true;
    return ::ResumeThread(thread) != static_cast<DWORD>(-1);
}

BOOL CSmartThread::Terminate()
{
    const HANDLE thread = GetHandle();
    if (!thread)
        return FALSE;
    DWORD exitCode = 0;
    ::GetExitCodeThread(thread, &exitCode);
    return ::TerminateThread(thread, exitCode);
}

void CSmartThread::InitLock()
{
    if (!m_bNoLock && !m_lock)
        m_lock.emplace();
}

void CSmartThread::Lock()
{
    if (m_lock)
        m_lock->Enter();
}

void CSmartThread::Unlock()
{
    if (m_lock)
        m_lock->Leave();
}
