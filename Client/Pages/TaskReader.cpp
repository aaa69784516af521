#include "Client/Pages/TaskReader.h"

#include <objbase.h>

#include "Client/Pages/CTask.h"
#include "Framework/AnsiText.h"
#include "Framework/CCriticalSection.h"
#include "Framework/WorkerThread.h"

struct TaskReader::Job
{
    Request request;
    HWND window = NULL;
    UINT message = 0;
    WPARAM number = 0;
    // Set by the page under the lock; the worker posts only under it too,
    // so nothing reaches a page that let the read go.
    CCriticalSection lock;
    std::atomic<bool> dropped{false};
    bool done = false;
    TaskReadings readings;
};

namespace
{
// COM for the worker's own calls, for as long as it reads.
class ComApartment
{
public:
    ComApartment() : m_initialised(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComApartment()
    {
        if (m_initialised)
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    const bool m_initialised;
};

bool IsProgramPath(const std::string& application, const std::string& programPath)
{
    return AnsiText::CompareNoCase(application, programPath) == 0;
}
}

TaskReader::~TaskReader()
{
    Stop(0);
}

TaskReading TaskReader::ReadLogonScan(const std::string& name, const std::string& programPath,
                                      const std::atomic<bool>* dropped)
{
    CTask task;
    const TaskReading reading = LoadWorkItem(name, programPath, task);
    // A log-on scan of a copy of the program in another folder goes; a read
    // that no longer counts leaves that to the next one.
    if (SUCCEEDED(reading.result) && !reading.ours && !(dropped && *dropped))
        task.Delete(name.c_str());
    return reading;
}

TaskReading TaskReader::ReadScheduledScan(const std::string& name, const std::string& programPath)
{
    CTask task;
    TaskReading reading = LoadWorkItem(name, programPath, task);
    if (!reading.ours)
        return reading;
    reading.description = task.GetComment();
    reading.hasStart = task.GetStartTime(reading.start) != FALSE;
    reading.kind = task.GetTriggerKind();
    return reading;
}

TaskReading TaskReader::LoadWorkItem(const std::string& name, const std::string& programPath, CTask& task)
{
    TaskReading reading;
    if (name.empty())
        return reading;
    reading.named = true;
    reading.result = task.Load(name.c_str());
    if (SUCCEEDED(reading.result))
        reading.ours = IsProgramPath(task.GetApplication(), programPath);
    return reading;
}

void TaskReader::Start(Request request, HWND window, UINT message)
{
    Drop();
    ForgetEndedWorkers();
    auto job = std::make_shared<Job>();
    job->request = std::move(request);
    job->window = window;
    job->message = message;
    job->number = ++m_lastRead;
    m_job = job;
    // The worker's own reference, released by the worker: a page that goes
    // first never leaves it without what it reads into.
    auto reference = std::make_unique<std::shared_ptr<Job>>(job);
    CHandle worker(WorkerThread::Create(&TaskReader::ReadOnWorker, reference.get(), false));
    if (worker.IsValid())
    {
        reference.release();
        m_workers.push_back(std::move(worker));
        return;
    }
    Read(*job);
}

DWORD WINAPI TaskReader::ReadOnWorker(void* parameter)
{
    const std::unique_ptr<std::shared_ptr<Job>> reference(static_cast<std::shared_ptr<Job>*>(parameter));
    Read(**reference);
    return 0;
}

void TaskReader::Read(Job& job)
{
    TaskReadings readings;
    {
        ComApartment com;
        readings.logon = ReadLogonScan(job.request.logonName, job.request.programPath, &job.dropped);
        if (!job.dropped)
            readings.scheduled = ReadScheduledScan(job.request.scheduledName, job.request.programPath);
    }
    CCriticalSectionLock hold(job.lock);
    job.readings = std::move(readings);
    job.done = true;
    if (!job.dropped)
        ::PostMessageA(job.window, job.message, job.number, 0);
}

bool TaskReader::Take(WPARAM read, TaskReadings& readings)
{
    if (!m_job || m_job->number != read)
        return false;
    {
        CCriticalSectionLock hold(m_job->lock);
        if (!m_job->done)
            return false;
        readings = std::move(m_job->readings);
    }
    m_job.reset();
    ForgetEndedWorkers();
    return true;
}

void TaskReader::Drop()
{
    if (!m_job)
        return;
    {
        CCriticalSectionLock hold(m_job->lock);
        m_job->dropped = true;
    }
    m_job.reset();
}

void TaskReader::Stop(DWORD waitMs)
{
    Drop();
    const DWORD start = ::GetTickCount();
    for (const CHandle& worker : m_workers)
    {
        const DWORD spent = ::GetTickCount() - start;
        ::WaitForSingleObject(worker.Get(), spent < waitMs ? waitMs - spent : 0);
    }
    // A worker that is still reading goes on alone, with nothing of the
    // page's: its read is its own and the thread holds the module's code.
    m_workers.clear();
}

void TaskReader::ForgetEndedWorkers()
{
    std::vector<CHandle> running;
    for (CHandle& worker : m_workers)
        if (::WaitForSingleObject(worker.Get(), 0) == WAIT_TIMEOUT)
            running.push_back(std::move(worker));
    m_workers = std::move(running);
}
