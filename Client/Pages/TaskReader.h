#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "Client/Pages/TaskReading.h"
#include "Framework/CHandle.h"

class CTask;

// Reads the settings page's two work items, the scan at log-on and the
// scheduled scan, on a worker thread: the Task Scheduler may hold its caller
// for a good part of a second, which the window must not wait for. The worker
// uses nothing but what its read was given and COM of its own, and hands
// back plain data through a message to the page; a read that is dropped (a
// newer one, or the page gone) posts nothing.
class TaskReader
{
public:
    // Taken on the window thread: the names of the work items and the
    // program's path, so the worker needs nothing of the program's own.
    struct Request
    {
        std::string logonName;
        std::string scheduledName;
        std::string programPath;
    };

    TaskReader() = default;
    ~TaskReader();
    TaskReader(const TaskReader&) = delete;
    TaskReader& operator=(const TaskReader&) = delete;

    // Each on the calling thread, which has COM. A log-on scan of a copy of
    // the program in another folder is deleted, unless dropped is set by then.
    static TaskReading ReadLogonScan(const std::string& name, const std::string& programPath,
                                     const std::atomic<bool>* dropped = nullptr);
    static TaskReading ReadScheduledScan(const std::string& name, const std::string& programPath);

    // Starts reading both; once read, message is posted to window with the
    // read's number as wParam. A read still under way is dropped. Without a
    // worker the read is made here, and posted all the same.
    void Start(Request request, HWND window, UINT message);
    // The readings of the read numbered read, when it is the latest one;
    // false for a read that was dropped.
    bool Take(WPARAM read, TaskReadings& readings);
    // Whether a read was started and not yet taken.
    bool IsReading() const { return m_job != nullptr; }
    // Drops the read under way, whose worker then posts nothing, and waits at
    // most waitMs for the workers still running.
    void Stop(DWORD waitMs);

private:
    struct Job;
    // The work item of that name loaded into task; whether it is this
    // program's.
    static TaskReading LoadWorkItem(const std::string& name, const std::string& programPath, CTask& task);
    static DWORD WINAPI ReadOnWorker(void* parameter);
    static void Read(Job& job);
    void Drop();
    void ForgetEndedWorkers();

    std::shared_ptr<Job> m_job;
    WPARAM m_lastRead = 0;
    // Workers not known to have ended: a dropped read's worker may still run.
    std::vector<CHandle> m_workers;
};
