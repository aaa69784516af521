#pragma once
#include <windows.h>

#include <string>

// What the settings page shows of one of its work items, as the Task
// Scheduler gave it: plain data, made on whichever thread read it.
struct TaskReading
{
    // No user name, so no name for the work item and no call made.
    bool named = false;
    // The load's answer; E_FAIL without a name.
    HRESULT result = E_FAIL;
    // Loaded, and its application is this program's path.
    bool ours = false;
    // The trigger kind read (CTask::TriggerKind).
    int kind = 0;
    bool hasStart = false;
    SYSTEMTIME start = {};
    // The trigger's description.
    std::string description;
};

// Both work items of the settings page, read together.
struct TaskReadings
{
    TaskReading logon;
    TaskReading scheduled;
};
