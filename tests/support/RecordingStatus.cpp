#include "support/RecordingStatus.h"

RecordingStatus::RecordingStatus() : m_finished(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

RecordingStatus::~RecordingStatus()
{
    ::CloseHandle(m_finished);
}

void RecordingStatus::Record(const Call& call)
{
    if (onCall)
        onCall(call);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back(call);
}

void RecordingStatus::SetStatusText(const char* text, const char* code)
{
    Call call;
    call.op = "status";
    call.text = text ? text : "(null)";
    call.code = code ? code : "(null)";
    Record(call);
}

void RecordingStatus::OnProgress(int state)
{
    Call call;
    call.op = "progress";
    call.value = state;
    Record(call);
}

void RecordingStatus::OnItemFound(const char* text, DWORD category, int firstValue, int secondValue)
{
    Call call;
    call.op = "found";
    call.text = text ? text : "(null)";
    call.value = category;
    call.first = firstValue;
    call.second = secondValue;
    Record(call);
}

int RecordingStatus::OnJobFinished(int result)
{
    Call call;
    call.op = "finished";
    call.value = result;
    Record(call);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_result = result;
    }
    if (onFinished)
        onFinished(result);
    ::SetEvent(m_finished);
    return 1;
}

int RecordingStatus::OnDefragResult(int result)
{
    Call call;
    call.op = "defrag";
    call.value = result;
    Record(call);
    return 0;
}

bool RecordingStatus::WaitFinished(DWORD milliseconds)
{
    return ::WaitForSingleObject(m_finished, milliseconds) == WAIT_OBJECT_0;
}

void RecordingStatus::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
    m_result = 0;
    ::ResetEvent(m_finished);
}

std::vector<RecordingStatus::Call> RecordingStatus::Calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::vector<std::string> RecordingStatus::Findings() const
{
    std::vector<std::string> texts;
    for (const Call& call : Calls())
        if (call.op == "found")
            texts.push_back(call.text);
    return texts;
}

std::vector<std::string> RecordingStatus::StatusCodes() const
{
    std::vector<std::string> codes;
    for (const Call& call : Calls())
        if (call.op == "status" && call.text.empty())
            codes.push_back(call.code);
    return codes;
}

int RecordingStatus::Result() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_result;
}
