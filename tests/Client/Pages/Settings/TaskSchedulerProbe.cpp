#include "TaskSchedulerProbe.h"

#include <objbase.h>

#include <vector>

#include "Framework/CComPtr.h"
#include "support/TestRegistry.h"

namespace TaskSchedulerProbe
{
namespace
{
std::wstring Wide(const std::string& text)
{
    std::vector<wchar_t> wide(text.size() + 1);
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    return wide.data();
}

std::string Narrow(const wchar_t* text)
{
    char buffer[2048] = "";
    if (text)
        ::WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
    return buffer;
}

std::string TakeText(HRESULT result, LPWSTR text)
{
    const std::string narrow = SUCCEEDED(result) ? Narrow(text) : std::string();
    ::CoTaskMemFree(text);
    return narrow;
}

bool RunAndWait(const char* commandLine)
{
    TestEnv::ProcessStart start;
    start.commandLine = commandLine;
    start.flags = CREATE_NO_WINDOW;
    const TestEnv::StartedProcess process = TestEnv::StartProcess(start);
    return process && ::WaitForSingleObject(process.process.Get(), 90000) == WAIT_OBJECT_0;
}

// Through the service manager, which the Task Scheduler asks.
bool SetServiceStart(DWORD start)
{
    const SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager)
        return false;
    const SC_HANDLE service = ::OpenServiceA(manager, "Schedule", SERVICE_CHANGE_CONFIG);
    const bool changed = service && ::ChangeServiceConfigA(service, SERVICE_NO_CHANGE, start, SERVICE_NO_CHANGE,
                                                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                           nullptr);
    if (service)
        ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return changed;
}

HRESULT Scheduler(CComPtr<ITaskScheduler>& scheduler)
{
    return ::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                              scheduler.ReceiveVoid());
}
}

WorkItem Read(const std::string& name)
{
    WorkItem item;
    CComPtr<ITaskScheduler> scheduler;
    item.result = Scheduler(scheduler);
    if (FAILED(item.result))
        return item;
    CComPtr<IUnknown> unknown;
    item.result = scheduler->Activate(Wide(name).c_str(), IID_ITask, unknown.Receive());
    CComPtr<ITask> task;
    if (FAILED(item.result) || FAILED(unknown.QueryInterface(IID_ITask, task)))
        return item;
    LPWSTR text = nullptr;
    HRESULT result = task->GetApplicationName(&text);
    item.application = TakeText(result, text);
    text = nullptr;
    result = task->GetParameters(&text);
    item.parameters = TakeText(result, text);
    text = nullptr;
    result = task->GetWorkingDirectory(&text);
    item.workingDirectory = TakeText(result, text);
    CComPtr<ITaskTrigger> trigger;
    if (SUCCEEDED(task->GetTrigger(0, trigger.Receive())))
    {
        item.trigger.cbTriggerSize = sizeof(item.trigger);
        item.hasTrigger = SUCCEEDED(trigger->GetTrigger(&item.trigger));
    }
    return item;
}

bool Plant(const std::string& name, const std::string& application, const char* parameters, int triggerType)
{
    CComPtr<ITaskScheduler> scheduler;
    if (FAILED(Scheduler(scheduler)))
        return false;
    scheduler->Delete(Wide(name).c_str());
    CComPtr<IUnknown> unknown;
    CComPtr<ITask> task;
    if (FAILED(scheduler->NewWorkItem(Wide(name).c_str(), CLSID_CTask, IID_ITask, unknown.Receive())) ||
        FAILED(unknown.QueryInterface(IID_ITask, task)))
        return false;
    task->SetApplicationName(Wide(application).c_str());
    task->SetParameters(Wide(parameters).c_str());
    if (triggerType >= 0)
    {
        WORD index = 0;
        CComPtr<ITaskTrigger> trigger;
        if (FAILED(task->CreateTrigger(&index, trigger.Receive())))
            return false;
        TASK_TRIGGER record{};
        record.cbTriggerSize = sizeof(record);
        record.wBeginYear = 2026;
        record.wBeginMonth = 1;
        record.wBeginDay = 5;
        record.wStartHour = 7;
        record.wStartMinute = 30;
        record.TriggerType = static_cast<TASK_TRIGGER_TYPE>(triggerType);
        if (FAILED(trigger->SetTrigger(&record)))
            return false;
    }
    CComPtr<IPersistFile> file;
    return SUCCEEDED(task.QueryInterface(IID_IPersistFile, file)) && SUCCEEDED(file->Save(nullptr, FALSE));
}

bool Remove(const std::string& name)
{
    CComPtr<ITaskScheduler> scheduler;
    return SUCCEEDED(Scheduler(scheduler)) && SUCCEEDED(scheduler->Delete(Wide(name).c_str()));
}

std::string TaskFile(const std::string& name)
{
    char windows[MAX_PATH] = "";
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\Tasks\\" + name + ".job";
}

bool TaskFileExists(const std::string& name)
{
    return ::GetFileAttributesA(TaskFile(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HRESULT SchedulerState()
{
    CComPtr<ITaskScheduler> scheduler;
    return Scheduler(scheduler);
}

bool StartService()
{
    for (int attempt = 0; attempt < 5 && FAILED(SchedulerState()); ++attempt)
    {
        RunAndWait("net start Schedule");
        for (int i = 0; i < 20 && FAILED(SchedulerState()); ++i)
            ::Sleep(250);
    }
    return SUCCEEDED(SchedulerState());
}

bool DisableService()
{
    return SetServiceStart(SERVICE_DISABLED);
}

bool EnableService()
{
    return SetServiceStart(SERVICE_DEMAND_START);
}

std::string UserName()
{
    char name[1024] = "";
    DWORD size = sizeof(name);
    return ::GetUserNameA(name, &size) ? name : "";
}
}
