#pragma once
#include <windows.h>

#include <string>

struct ITaskScheduler;

// One work item of the Windows Task Scheduler (its 1.0 interfaces): the
// fields to write, or the fields read back, and the work item saved, loaded
// or deleted by name. Built on the stack for each operation; every COM
// object it makes is released before the operation returns.
class CTask
{
public:
    enum TriggerKind
    {
        kNoTrigger = 0,
        kDaily = 1,
        kWeekly = 2,
        kAtLogon = 3
    };
    // Texts handed over to and from the Task Scheduler fit in this many bytes.
    static constexpr int kTextBufferSize = 1024;

    CTask();
    virtual ~CTask();

    void Reset();

    void SetApplication(const std::string& text) { m_application = text; }
    void SetParameters(const std::string& text) { m_parameters = text; }
    void SetWorkingDirectory(const std::string& text) { m_workingDirectory = text; }
    void SetAccount(const std::string& text) { m_account = text; }
    void SetComment(const std::string& text) { m_comment = text; }
    std::string GetApplication() const { return m_application; }
    std::string GetParameters() const { return m_parameters; }
    // After Load: the trigger's description, empty when the Task Scheduler
    // could not give one.
    std::string GetComment() const { return m_comment; }

    // wDayOfWeek carries the weekday index 0-6 (Sunday first).
    void SetStartTime(const SYSTEMTIME& time);
    // FALSE while no start time was set or read (year 0).
    BOOL GetStartTime(SYSTEMTIME& time) const;
    void SetTriggerKind(int kind) { m_kindToWrite = kind; }
    int GetTriggerKind() const { return m_kindRead; }

    // Replaces the work item of the name with one made from the fields.
    // When the new one cannot be made, the one that was there is put back.
    HRESULT Save(const char* name);
    HRESULT Load(const char* name);
    HRESULT Delete(const char* name);

    static int DayIndexFromFlag(WORD flag);
    static WORD DayFlagFromIndex(int index);
    // Into buffer (kTextBufferSize bytes) in the ANSI code page.
    static BOOL WideToNarrow(const wchar_t* text, char* buffer);
    // Only this answer means that no work item of the name exists; anything
    // else is a read that could not be made.
    static bool IsNotFound(HRESULT result);

private:
    // Makes and saves a new work item of the name from the fields.
    HRESULT SaveNew(ITaskScheduler* scheduler, const std::wstring& itemName) const;

    SYSTEMTIME m_startTime;
    int m_kindToWrite;
    std::string m_application;
    std::string m_parameters;
    std::string m_workingDirectory;
    std::string m_account;
    std::string m_comment;
    int m_kindRead;
    int m_isNT;
};
