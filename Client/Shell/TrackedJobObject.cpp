#include "Client/Shell/TrackedJobObject.h"

TrackedJobObject::TrackedJobObject(CAbstractProcess*& engine) : m_engine(engine)
{
}

TrackedJobObject::~TrackedJobObject() = default;

int TrackedJobObject::Started(int result)
{
    // The thread is still suspended: its handle is certainly the engine's
    // current one, whatever the engine does with it once the thread ends.
    if (result == 1)
        KeepEngineThread();
    return result;
}

void TrackedJobObject::KeepEngineThread()
{
    // A job may be started from the previous job's last call, on that job's
    // thread, while the window thread asks here: both go through this lock.
    CCriticalSectionLock lock(m_lock);
    if (!m_engine)
        return;
    const HANDLE thread = m_engine->GetThreadHandle();
    if (!thread)
        return;
    // The id comes from the handle itself: the engine's id and handle are
    // two reads, between which it may have created the next thread.
    const DWORD id = ::GetThreadId(thread);
    if (!id || (m_thread && id == m_threadId))
        return;
    HANDLE kept = NULL;
    if (!::DuplicateHandle(::GetCurrentProcess(), thread, ::GetCurrentProcess(), &kept,
                           SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, 0))
        return;
    CHandle copy(kept);
    // The engine's handle may have been closed and its value reused meanwhile.
    if (::GetThreadId(kept) != id)
        return;
    m_thread = std::move(copy);
    m_threadId = id;
    m_stopped = false;
}

bool TrackedJobObject::ThreadRuns() const
{
    return m_thread && ::WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT;
}

CHandle TrackedJobObject::RunningThreadCopy()
{
    KeepEngineThread();
    CCriticalSectionLock lock(m_lock);
    HANDLE copy = NULL;
    if (ThreadRuns())
        ::DuplicateHandle(::GetCurrentProcess(), m_thread.Get(), ::GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return CHandle(copy);
}

bool TrackedJobObject::IsJobRunning(CAbstractProcess* job)
{
    // Both asked: the engine may call a job busy before the thread handle
    // is known, and a thread still makes its final calls after the engine
    // no longer calls the job busy.
    return job && (job->IsBusy() || job->GetThreadHandle());
}

bool TrackedJobObject::KeepsProgramOpen()
{
    return m_engine && (IsBusy() || HasUnstoppedJob());
}

bool TrackedJobObject::HasUnstoppedJob()
{
    KeepEngineThread();
    CCriticalSectionLock lock(m_lock);
    return ThreadRuns() && !m_stopped;
}

bool TrackedJobObject::WaitForThreadEnd(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        // A copy of its own is waited on: the kept handle changes when the
        // ending job starts the next one from its last call, and that one
        // is waited for in turn.
        const CHandle thread = RunningThreadCopy();
        if (!thread)
            return true;
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= milliseconds)
            return false;
        const HANDLE waited = thread.Get();
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &waited, FALSE, milliseconds - spent, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1)
            continue;
        // Whatever the job or the windows still ask of this thread is answered.
        MSG message;
        while (::PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

int TrackedJobObject::IsBusy()
{
    return m_engine->IsBusy();
}

int TrackedJobObject::Stop(int flag)
{
    KeepEngineThread();
    if (flag)
    {
        CCriticalSectionLock lock(m_lock);
        m_stopped = true;
    }
    return m_engine->Stop(flag);
}

BOOL TrackedJobObject::WaitOrRelease(int wait)
{
    return m_engine->WaitOrRelease(wait);
}

BOOL TrackedJobObject::Resume()
{
    return m_engine->Resume();
}

BOOL TrackedJobObject::Suspend()
{
    return m_engine->Suspend();
}

HANDLE TrackedJobObject::GetThreadHandle()
{
    KeepEngineThread();
    CCriticalSectionLock lock(m_lock);
    if (!m_thread)
        return m_engine->GetThreadHandle();
    return ThreadRuns() ? m_thread.Get() : NULL;
}

DWORD TrackedJobObject::GetThreadId()
{
    return m_engine->GetThreadId();
}

int TrackedJobObject::GetJobType()
{
    return m_engine->GetJobType();
}

int TrackedJobObject::Reserved(int unused)
{
    return m_engine->Reserved(unused);
}

int TrackedJobObject::StartFullBackup(const char* text, CAbstractStatus* sink)
{
    return Started(m_engine->StartFullBackup(text, sink));
}

int TrackedJobObject::StartRestore(const char* backupFile, CAbstractStatus* sink)
{
    return Started(m_engine->StartRestore(backupFile, sink));
}

int TrackedJobObject::StartScan(const std::set<std::string>& folders, DWORD categoryMask, CAbstractStatus* sink,
                                int scanOption)
{
    return Started(m_engine->StartScan(folders, categoryMask, sink, scanOption));
}

int TrackedJobObject::StartRepair(CAbstractScanItemsInfo* items, CAbstractStatus* sink)
{
    return Started(m_engine->StartRepair(items, sink));
}

int TrackedJobObject::StartDefrag(int replace, CAbstractStatus* sink, int osCode)
{
    return Started(m_engine->StartDefrag(replace, sink, osCode));
}

int TrackedJobObject::RestoreBackupNow(CAbstractStatus* sink, const char* backupFile)
{
    return m_engine->RestoreBackupNow(sink, backupFile);
}
