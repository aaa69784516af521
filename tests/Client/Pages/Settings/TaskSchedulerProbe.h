#pragma once
#include <windows.h>
#include <mstask.h>

#include <string>

// The test's own look at the Task Scheduler, apart from the program's code:
// work items read and planted through the COM interfaces directly, and the
// files they are kept in.
namespace TaskSchedulerProbe
{
struct WorkItem
{
    HRESULT result = E_FAIL;  // of Activate
    std::string application;
    std::string parameters;
    std::string workingDirectory;
    bool hasTrigger = false;
    TASK_TRIGGER trigger{};
};

WorkItem Read(const std::string& name);
// A work item as another program (or another copy) would leave it; with
// triggerType < 0 it has no trigger at all.
bool Plant(const std::string& name, const std::string& application, const char* parameters, int triggerType);
bool Remove(const std::string& name);
// C:\windows\Tasks\<name>.job
std::string TaskFile(const std::string& name);
bool TaskFileExists(const std::string& name);
// Whether a Task Scheduler object can be made at all.
HRESULT SchedulerState();
// Starts the Schedule service ("net start Schedule") and waits until the
// Task Scheduler answers.
bool StartService();
// The service's start type: disabled (as an administrator may leave it),
// which the Task Scheduler answers as a service that does not run, or
// started on demand (as Windows has it).
bool DisableService();
bool EnableService();
std::string UserName();
}
