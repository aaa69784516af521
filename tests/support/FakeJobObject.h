#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "Engine/CAbstractProcess.h"

// The engine's job object for tests of the program's pages: every starter
// refuses and every other operation does nothing. A test's job derives from
// it and scripts only the job it plays, on a thread of its own as the
// engine's job runs (RunOnThread); a derived job joins that thread in its own
// destructor, before the members its script uses are gone.
class FakeJobObject : public CAbstractProcess
{
public:
    ~FakeJobObject() override { Join(); }

    std::atomic<int> busy{0};

    int IsBusy() override { return busy; }
    int Stop(int) override { return 0; }
    BOOL WaitOrRelease(int) override { return TRUE; }
    BOOL Resume() override { return TRUE; }
    BOOL Suspend() override { return TRUE; }
    HANDLE GetThreadHandle() override { return NULL; }
    DWORD GetThreadId() override { return 0; }
    int GetJobType() override { return 0; }
    int Reserved(int) override { return 0; }
    int StartFullBackup(const char*, CAbstractStatus*) override { return -1; }
    int StartRestore(const char*, CAbstractStatus*) override { return -1; }
    int StartScan(const std::set<std::string>&, DWORD, CAbstractStatus*, int) override { return -1; }
    int StartRepair(CAbstractScanItemsInfo*, CAbstractStatus*) override { return -1; }
    int StartDefrag(int, CAbstractStatus*, int) override { return -1; }
    int RestoreBackupNow(CAbstractStatus*, const char*) override { return -1; }

protected:
    // Runs script as the job's thread, after the one before has ended.
    void RunOnThread(std::function<void()> script)
    {
        Join();
        m_thread = std::thread(std::move(script));
    }
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::thread m_thread;
};
