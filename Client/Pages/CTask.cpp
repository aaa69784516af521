#include "Client/Pages/CTask.h"

#include <mstask.h>
#include <objbase.h>

#include <vector>

#include "Framework/CComPtr.h"
#include "Framework/CComTaskMem.h"

namespace
{
const WORD kDayFlags[7] = {TASK_SUNDAY,   TASK_MONDAY, TASK_TUESDAY, TASK_WEDNESDAY,
                           TASK_THURSDAY, TASK_FRIDAY, TASK_SATURDAY};

// A text the Task Scheduler allocated for us; freed with the COM allocator.
using CoTaskText = CComTaskMem<wchar_t>;

std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::vector<wchar_t> wide(length);
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    return std::wstring(wide.data());
}

HRESULT CreateScheduler(CComPtr<ITaskScheduler>& scheduler)
{
    return ::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                              scheduler.ReceiveVoid());
}

HRESULT ActivateTask(ITaskScheduler* scheduler, const std::wstring& name, CComPtr<ITask>& task)
{
    CComPtr<IUnknown> item;
    HRESULT result = scheduler->Activate(name.c_str(), IID_ITask, item.Receive());
    if (FAILED(result))
        return result;
    return item.QueryInterface(IID_ITask, task);
}

// The Task Scheduler's service reads a work item as soon as it is written
// or changed, and holds its file meanwhile without letting it be deleted. A
// delete that meets it is tried again for a moment, as the service itself
// tries again when it meets a file being written.
const int kDeleteAttempts = 20;
const DWORD kDeleteRetryMs = 100;

HRESULT DeleteWorkItem(ITaskScheduler* scheduler, const std::wstring& name)
{
    HRESULT result = scheduler->Delete(name.c_str());
    for (int attempt = 1; result == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION) && attempt < kDeleteAttempts;
         ++attempt)
    {
        ::Sleep(kDeleteRetryMs);
        result = scheduler->Delete(name.c_str());
    }
    return result;
}

// A fresh trigger record: zero-filled, with its size set, as both
// SetTrigger and GetTrigger expect.
TASK_TRIGGER EmptyTrigger()
{
    TASK_TRIGGER trigger;
    ::ZeroMemory(&trigger, sizeof(trigger));
    trigger.cbTriggerSize = sizeof(trigger);
    return trigger;
}

// Keeps the first failure of a sequence of calls.
class FirstFailure
{
public:
    bool Ok() const { return SUCCEEDED(m_result); }
    HRESULT Result() const { return m_result; }
    HRESULT operator<<(HRESULT result)
    {
        if (Ok() && FAILED(result))
            m_result = result;
        return result;
    }

private:
    HRESULT m_result = S_OK;
};
}

CTask::CTask() : m_isNT((::GetVersion() & 0x80000000u) == 0)
{
    Reset();
}

CTask::~CTask() = default;

void CTask::Reset()
{
    ::ZeroMemory(&m_startTime, sizeof(m_startTime));
    m_kindToWrite = kNoTrigger;
    m_kindRead = kNoTrigger;
    m_application.clear();
    m_parameters.clear();
    m_workingDirectory.clear();
    m_comment.clear();
}

void CTask::SetStartTime(const SYSTEMTIME& time)
{
    m_startTime = time;
    m_startTime.wSecond = 0;
    m_startTime.wMilliseconds = 0;
}

BOOL CTask::GetStartTime(SYSTEMTIME& time) const
{
    if (m_startTime.wYear == 0)
        return FALSE;
    time = m_startTime;
    return TRUE;
}

int CTask::DayIndexFromFlag(WORD flag)
{
    for (int index = 0; index < 7; ++index)
        if (kDayFlags[index] == flag)
            return index;
    return 0;
}

WORD CTask::DayFlagFromIndex(int index)
{
    return index >= 0 && index < 7 ? kDayFlags[index] : kDayFlags[0];
}

BOOL CTask::WideToNarrow(const wchar_t* text, char* buffer)
{
    if (!text || !buffer)
        return FALSE;
    return ::WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, kTextBufferSize, nullptr, nullptr) != 0;
}

bool CTask::IsNotFound(HRESULT result)
{
    return result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

HRESULT CTask::Save(const char* name)
{
    if (m_startTime.wYear == 0 || !name || !*name || m_application.empty())
        return E_FAIL;
    const std::wstring itemName = Widen(name);

    CComPtr<ITaskScheduler> scheduler;
    HRESULT result = CreateScheduler(scheduler);
    if (FAILED(result))
        return result;
    // A work item of the name must go before a new one of that name can be
    // made. It stays loaded meanwhile: when the new one cannot be made, the
    // user's old schedule is written back as it was.
    CComPtr<IPersistFile> previous;
    {
        CComPtr<ITask> existing;
        if (SUCCEEDED(ActivateTask(scheduler.Get(), itemName, existing)))
        {
            result = existing.QueryInterface(IID_IPersistFile, previous);
            if (FAILED(result))
                return result;
            result = DeleteWorkItem(scheduler.Get(), itemName);
            if (FAILED(result))
                return result;
        }
    }
    result = SaveNew(scheduler.Get(), itemName);
    if (FAILED(result) && previous)
        previous->Save(nullptr, FALSE);
    return result;
}

HRESULT CTask::SaveNew(ITaskScheduler* scheduler, const std::wstring& itemName) const
{
    CComPtr<IUnknown> item;
    HRESULT result = scheduler->NewWorkItem(itemName.c_str(), CLSID_CTask, IID_ITask, item.Receive());
    if (FAILED(result))
        return result;
    CComPtr<ITask> task;
    result = item.QueryInterface(IID_ITask, task);
    if (FAILED(result))
        return result;

    FirstFailure steps;
    steps << task->SetApplicationName(Widen(m_application).c_str());
    steps << task->SetParameters(Widen(m_parameters).c_str());
    steps << task->SetWorkingDirectory(Widen(m_workingDirectory).c_str());
    steps << task->SetComment(Widen(m_comment).c_str());
    DWORD flags = TASK_FLAG_RUN_ONLY_IF_LOGGED_ON | TASK_FLAG_DONT_START_IF_ON_BATTERIES;
    if (m_isNT)
        flags |= TASK_FLAG_INTERACTIVE;
    steps << task->SetFlags(flags);
    if (m_isNT)
        steps << task->SetAccountInformation(Widen(m_account).c_str(), nullptr);
    if (!steps.Ok())
        return steps.Result();

    WORD triggerIndex = 0;
    CComPtr<ITaskTrigger> trigger;
    result = task->CreateTrigger(&triggerIndex, trigger.Receive());
    if (FAILED(result))
        return result;
    TASK_TRIGGER record = EmptyTrigger();
    record.wBeginYear = m_startTime.wYear;
    record.wBeginMonth = m_startTime.wMonth;
    record.wBeginDay = m_startTime.wDay;
    record.wStartHour = m_startTime.wHour;
    record.wStartMinute = m_startTime.wMinute;
    switch (m_kindToWrite)
    {
    case kDaily:
        record.TriggerType = TASK_TIME_TRIGGER_DAILY;
        record.Type.Daily.DaysInterval = 1;
        break;
    case kWeekly:
        record.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
        record.Type.Weekly.WeeksInterval = 1;
        record.Type.Weekly.rgfDaysOfTheWeek = DayFlagFromIndex(m_startTime.wDayOfWeek);
        break;
    case kAtLogon: record.TriggerType = TASK_EVENT_TRIGGER_AT_LOGON; break;
    default: record.TriggerType = TASK_TIME_TRIGGER_ONCE; break;
    }
    result = trigger->SetTrigger(&record);
    if (FAILED(result))
        return result;

    // Nothing reaches the Tasks folder before this call, so a failure above
    // leaves no half-made work item behind.
    CComPtr<IPersistFile> file;
    result = task.QueryInterface(IID_IPersistFile, file);
    if (FAILED(result))
        return result;
    return file->Save(nullptr, FALSE);
}

HRESULT CTask::Load(const char* name)
{
    if (!name || !*name)
        return E_FAIL;
    CComPtr<ITaskScheduler> scheduler;
    HRESULT result = CreateScheduler(scheduler);
    if (FAILED(result))
        return result;
    CComPtr<ITask> task;
    result = ActivateTask(scheduler.Get(), Widen(name), task);
    if (FAILED(result))
        return result;

    char buffer[kTextBufferSize];
    FirstFailure steps;
    {
        CoTaskText text;
        if (SUCCEEDED(steps << task->GetApplicationName(text.Receive())) && WideToNarrow(text.Get(), buffer))
            m_application = buffer;
    }
    {
        CoTaskText text;
        if (SUCCEEDED(steps << task->GetParameters(text.Receive())) && WideToNarrow(text.Get(), buffer))
            m_parameters = buffer;
    }
    CComPtr<ITaskTrigger> trigger;
    if (FAILED(steps << task->GetTrigger(0, trigger.Receive())))
        return steps.Result();
    {
        // Not every Task Scheduler can describe a trigger; the work item
        // is read all the same, with no description.
        CoTaskText text;
        m_comment.clear();
        if (SUCCEEDED(trigger->GetTriggerString(text.Receive())) && WideToNarrow(text.Get(), buffer))
            m_comment = buffer;
    }
    TASK_TRIGGER record = EmptyTrigger();
    if (FAILED(steps << trigger->GetTrigger(&record)))
        return steps.Result();
    m_startTime.wYear = record.wBeginYear;
    m_startTime.wMonth = record.wBeginMonth;
    m_startTime.wDay = record.wBeginDay;
    m_startTime.wHour = record.wStartHour;
    m_startTime.wMinute = record.wStartMinute;
    m_startTime.wSecond = 0;
    m_startTime.wMilliseconds = 0;
    switch (record.TriggerType)
    {
    case TASK_TIME_TRIGGER_WEEKLY:
        m_kindRead = kWeekly;
        m_startTime.wDayOfWeek = static_cast<WORD>(DayIndexFromFlag(record.Type.Weekly.rgfDaysOfTheWeek));
        break;
    case TASK_EVENT_TRIGGER_AT_LOGON: m_kindRead = kAtLogon; break;
    default: m_kindRead = kDaily; break;
    }
    return steps.Result();
}

HRESULT CTask::Delete(const char* name)
{
    if (!name || !*name)
        return E_FAIL;
    CComPtr<ITaskScheduler> scheduler;
    const HRESULT result = CreateScheduler(scheduler);
    if (FAILED(result))
        return result;
    return DeleteWorkItem(scheduler.Get(), Widen(name));
}
