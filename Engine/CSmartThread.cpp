#include "Engine/CSmartThread.h"

#include "Framework/CallbackGuard.h"
#include "Framework/WorkerThread.h"

CSmartThread::CSmartThread()
{
}

CSmartThread::~CSmartThread()
{
    CHandle(m_hThread.exchange(NULL)).Close();
}

DWORD WINAPI CSmartThread::ThreadRoutine(void* parameter)
{
    CSmartThread* self = static_cast<CSmartThread*>(parameter);
    int result = -1;
    // A body that throws still leaves the object ready for its next thread.
    CallbackGuard::Run("job thread", [&] { result = self->InitThread() ? self->Run() : 0; });
    // From here on a new thread may be started: this one has nothing left to
    // do. A job started from this thread's own final call has retired its
    // handle already and replaced the thread id.
    if (self->m_dwThreadId == ::GetCurrentThreadId())
        self->RetireCurrentThread();
    return static_cast<DWORD>(result);
}

void CSmartThread::RetireCurrentThread()
{
    m_hFinishedThread.Attach(m_hThread.exchange(NULL));
}

BOOL CSmartThread::CreateSuspendedThread()
{
    m_bCreated = 1;
    HANDLE thread = WorkerThread::Create(&CSmartThread::ThreadRoutine, this, true, &m_dwThreadId);
    if (!thread)
        return FALSE;
    m_hThread = thread;
    if (CreateEvents())
        return TRUE;
    // The thread has not run a single instruction of ours yet.
    const CHandle unstarted(m_hThread.exchange(NULL));
    ::TerminateThread(unstarted.Get(), 0);
    ::WaitForSingleObject(unstarted.Get(), INFINITE);
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
    if (HANDLE thread = m_hThread.load())
        return ::GetThreadPriority(thread);
    return m_nPriority;
}

BOOL CSmartThread::SetPriority(int priority)
{
    m_nPriority = priority;
    if (HANDLE thread = m_hThread.load())
        return ::SetThreadPriority(thread, priority);
    return TRUE;
}

BOOL CSmartThread::Suspend()
{
    HANDLE thread = m_hThread.load();
    return thread && ::SuspendThread(thread) != static_cast<DWORD>(-1);
}

BOOL CSmartThread::Resume()
{
    HANDLE thread = m_hThread.load();
    return thread && ::ResumeThread(thread) != static_cast<DWORD>(-1);
}

BOOL CSmartThread::Terminate()
{
    HANDLE thread = m_hThread.load();
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
