#pragma once
#include <windows.h>

#include "Engine/CAbstractProcess.h"
#include "Framework/CCriticalSection.h"
#include "Framework/CHandle.h"

// The engine's job object as the pages use it. Every call goes through to
// the engine's object; on the way the program keeps a handle of each job's
// thread of its own (taken as the job starts, or as soon as the engine names
// a thread the program has not seen) and notes whether the user stopped the
// job. So the program knows, whatever the engine's flags say, whether a job
// still needs its pages, its results store and the engine's library: until
// the job's thread has ended.
class TrackedJobObject : public CAbstractProcess
{
public:
    // engine: where the application keeps the engine's job object; read at
    // every call, so that whatever is there is the one used.
    explicit TrackedJobObject(CAbstractProcess*& engine);
    ~TrackedJobObject() override;

    // The one answer to "is a job running", for every page and the main
    // window: the engine calls its job busy, or the job's thread has not
    // ended (from its start, before it runs a line, through its final calls,
    // which still reach the page that started it). The engine refuses a new
    // job meanwhile. job may be null (no engine): then none runs.
    static bool IsJobRunning(CAbstractProcess* job);
    // A running job that keeps the program from closing: all but one the
    // user stopped that the engine no longer calls busy; that one may wind
    // down while the program ends, which waits for its thread.
    bool KeepsProgramOpen();
    // A job whose thread has not ended and that the user did not stop: from
    // its start, before its thread runs a line, through its final calls.
    // Closing the program then would cut it off.
    bool HasUnstoppedJob();
    // Waits until the last job's thread has ended, at most milliseconds,
    // handling this thread's messages meanwhile; true when it has ended (or
    // there was none).
    bool WaitForThreadEnd(DWORD milliseconds);

    // CAbstractProcess. GetThreadHandle answers the job's thread until it
    // has ended (the engine's own answer where no handle was kept), and NULL
    // after.
    int IsBusy() override;
    int Stop(int flag) override;
    BOOL WaitOrRelease(int wait) override;
    BOOL Resume() override;
    BOOL Suspend() override;
    HANDLE GetThreadHandle() override;
    DWORD GetThreadId() override;
    int GetJobType() override;
    int Reserved(int unused) override;
    int StartFullBackup(const char* text, CAbstractStatus* sink) override;
    int StartRestore(const char* backupFile, CAbstractStatus* sink) override;
    int StartScan(const std::set<std::string>& folders, DWORD categoryMask, CAbstractStatus* sink,
                  int scanOption) override;
    int StartRepair(CAbstractScanItemsInfo* items, CAbstractStatus* sink) override;
    int StartDefrag(int replace, CAbstractStatus* sink, int osCode) override;
    int RestoreBackupNow(CAbstractStatus* sink, const char* backupFile) override;

private:
    // After a starter: a job that started gets its thread's handle kept.
    int Started(int result);
    // Keeps a handle of the thread the engine names, when it is a thread not
    // kept yet; a new thread is a new job, not stopped. Safe on the job's own
    // thread (a job started from the last call of the one before).
    void KeepEngineThread();
    // With the lock held.
    bool ThreadRuns() const;
    // A handle of its own of the kept thread while it runs, else none.
    CHandle RunningThreadCopy();

    CAbstractProcess*& m_engine;
    // Guards what follows: the window thread and a job's thread both keep.
    CCriticalSection m_lock;
    CHandle m_thread;
    DWORD m_threadId = 0;
    bool m_stopped = false;
};
