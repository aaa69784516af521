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
    if (!m_engine)
        return;
    const HANDLE thread = m_engine->GetThreadHandle();
    const DWORD id = m_engine->GetThreadId();
    if (!thread || (m_thread && id == m_threadId))
        return;
    HANDLE kept = NULL;
    if (!::DuplicateHandle(::GetCurrentProcess(), thread, ::GetCurrentProcess(), &kept, SYNCHRONIZE, FALSE, 0))
        return;
    m_thread.Attach(kept);
    m_threadId = id;
    m_stopped = false;
}

bool TrackedJobObject::ThreadRuns() const
{
    return m_thread && ::WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT;
}

bool TrackedJobObject::HasUnstoppedJob()
{
    KeepEngineThread();
    return ThreadRuns() && !m_stopped;
}

bool TrackedJobObject::WaitForThreadEnd(DWORD milliseconds)
{
    KeepEngineThread();
    if (!ThreadRuns())
        return true;
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= milliseconds)
            return !ThreadRuns();
        const HANDLE thread = m_thread.Get();
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &thread, FALSE, milliseconds - spent, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return !ThreadRuns();
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
        m_stopped = true;
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
