#pragma once
// Contract of Quillomar.exe and qmsag.dll: shared by both binaries and frozen
// (a change breaks a program or engine built apart from the other). It passes
// standard-library types, so both must come from one build with one runtime.
#include <windows.h>

#include <set>
#include <string>

class CAbstractStatus;
class CAbstractScanItemsInfo;

// The kinds of job the job object runs.
enum EngineJobType
{
    kJobFullBackup = 1,
    kJobRestore = 2,
    kJobScan = 3,
    kJobRepair = 4,
    kJobDefrag = 8,
};

// What a scan gives OnJobFinished. A scan whose check of a category failed
// part-way is incomplete: what it found before stands, and its last status
// text before the final calls (code "Scanning") names the categories.
enum ScanJobResult
{
    kScanComplete = 0,
    kScanIncomplete = -2,
};

// What a repair gives OnJobFinished. The program counts what was repaired
// by looking, so these only say whether the repair ran its course.
enum RepairJobResult
{
    kRepairDone = 0,
    // Its backup could not be written: nothing was deleted.
    kRepairRefused = -1,
    // A failure ended it part-way: findings after it were left in place.
    kRepairIncomplete = -2,
};

// The engine's job object as the program sees it. The order of the virtual
// operations is shared by the program and qmsag.dll.
class CAbstractProcess
{
public:
    virtual ~CAbstractProcess() = default;

    virtual int IsBusy() = 0;
    virtual int Stop(int flag) = 0;
    virtual BOOL WaitOrRelease(int wait) = 0;
    virtual BOOL Resume() = 0;
    virtual BOOL Suspend() = 0;
    virtual HANDLE GetThreadHandle() = 0;
    virtual DWORD GetThreadId() = 0;
    virtual int GetJobType() = 0;
    virtual int Reserved(int unused) = 0;
    virtual int StartFullBackup(const char* text, CAbstractStatus* sink) = 0;
    virtual int StartRestore(const char* backupFile, CAbstractStatus* sink) = 0;
    virtual int StartScan(const std::set<std::string>& folders, DWORD categoryMask, CAbstractStatus* sink,
                          int scanOption) = 0;
    virtual int StartRepair(CAbstractScanItemsInfo* items, CAbstractStatus* sink) = 0;
    virtual int StartDefrag(int replace, CAbstractStatus* sink, int osCode) = 0;
    virtual int RestoreBackupNow(CAbstractStatus* sink, const char* backupFile) = 0;
};
