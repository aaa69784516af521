#pragma once
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "Client/Shell/CAbstractStatus.h"

// A status sink that records every call the engine makes, in order, and lets
// a test wait for the end of the job.
class RecordingStatus : public CAbstractStatus
{
public:
    struct Call
    {
        std::string op;    // "status", "progress", "found", "finished", "defrag"
        std::string text;  // status text or finding text
        std::string code;  // status code
        long long value = 0; // progress state, category bit, result
        int first = 0;
        int second = 0;
    };

    RecordingStatus();
    ~RecordingStatus() override;

    void SetStatusText(const char* text, const char* code) override;
    void OnProgress(int state) override;
    void OnItemFound(const char* text, DWORD category, int firstValue, int secondValue) override;
    int OnJobFinished(int result) override;
    int OnDefragResult(int result) override;

    // Waits until OnJobFinished has returned; false on time-out.
    bool WaitFinished(DWORD milliseconds = 60000);
    void Reset();

    std::vector<Call> Calls() const;
    std::vector<std::string> Findings() const;       // texts of OnItemFound
    std::vector<std::string> StatusCodes() const;    // codes of SetStatusText with ""
    int Result() const;

    // Run on the job thread inside the named call, before it is recorded.
    std::function<void(const Call&)> onCall;
    // Run on the job thread inside OnJobFinished, after it is recorded.
    std::function<void(int)> onFinished;

private:
    void Record(const Call& call);

    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
    HANDLE m_finished;
    int m_result = 0;
};
