// The job object's protocol: starters, the job thread and the sink calls.
#include <windows.h>

#include <atomic>
#include <gtest/gtest.h>

#include "Engine/CTolvEngineProcess.h"
#include "Framework/CHandle.h"
#include "support/RecordingStatus.h"
#include "support/TestRegistry.h"

namespace
{
const std::vector<std::string> kAllLetters = {"X", "U", "N", "D", "A", "H", "S", "R", "C", "E", "F", "V"};

// Reaches what the program cannot: a job type of its choice.
class TestProcess : public CTolvEngineProcess
{
public:
    int StartJobOfType(int type, CAbstractStatus* sink)
    {
        if (!WaitForFinishedJob())
            return -1;
        m_pStatus = sink;
        m_nJobType = type;
        return StartJob();
    }
    CAbstractStatus* Sink() const { return m_pStatus; }
    int ScanOption() const { return m_nScanOption; }
    DWORD Mask() const { return m_dwCategoryMask; }
};

// A manual-reset event the job thread can be held on.
class Gate
{
public:
    Gate() : m_event(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    void Open() { ::SetEvent(m_event.Get()); }
    bool Wait(DWORD ms = 30000) { return ::WaitForSingleObject(m_event.Get(), ms) == WAIT_OBJECT_0; }

private:
    CHandle m_event;
};

void WaitForIdle(CTolvEngineProcess& process)
{
    for (int i = 0; i < 1000 && process.GetThreadHandle(); ++i)
        ::Sleep(5);
}

// Writes a probe file into the native system folder; gives its path in the
// system folder this process sees, or "" when it could not be written.
std::string PlantNativeSystemProbe(const std::string& name)
{
    if (!TestEnv::WriteNativeSystemFile(name, "probe"))
        return "";
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\" + name;
}

// The last three calls of every job, in their order.
void ExpectFinalCalls(const std::vector<RecordingStatus::Call>& calls, int result)
{
    ASSERT_GE(calls.size(), 4u);
    const size_t n = calls.size();
    EXPECT_EQ(calls[n - 3].op, "progress");
    EXPECT_EQ(calls[n - 3].value, 2);
    EXPECT_EQ(calls[n - 2].op, "status");
    EXPECT_EQ(calls[n - 2].text, "");
    EXPECT_EQ(calls[n - 2].code, "Scanning");
    EXPECT_EQ(calls[n - 1].op, "finished");
    EXPECT_EQ(calls[n - 1].value, result);
    EXPECT_EQ(calls.front().op, "progress");
    EXPECT_EQ(calls.front().value, 0);
}
}

TEST(JobStarters, RefuseMissingArguments)
{
    TestProcess process;
    RecordingStatus status;
    CAbstractScanItemsInfo* const noStore = nullptr;
    EXPECT_EQ(process.StartFullBackup(nullptr, &status), -1);
    EXPECT_EQ(process.StartFullBackup("text", nullptr), -1);
    EXPECT_EQ(process.StartRestore(nullptr, &status), -1);
    EXPECT_EQ(process.StartRestore("", &status), -1);
    EXPECT_EQ(process.StartRestore("c:\\x.rbk", nullptr), -1);
    EXPECT_EQ(process.StartScan({}, 0x400, nullptr, 0), -1);
    EXPECT_EQ(process.StartRepair(noStore, &status), -1);
    EXPECT_EQ(process.StartDefrag(0, nullptr, 6), -1);
    EXPECT_EQ(process.GetJobType(), 0);
    EXPECT_EQ(process.GetThreadHandle(), nullptr);
    EXPECT_EQ(process.ScanOption(), 0);
}

TEST(JobStarters, RefuseWhileAJobThreadExistsAndChangeNothing)
{
    TestProcess process;
    RecordingStatus first;
    RecordingStatus second;
    ASSERT_EQ(process.StartScan({"C:"}, 0x400, &first, 0), 1);
    // Created but not resumed: not busy, yet a thread exists.
    EXPECT_EQ(process.IsBusy(), 0);
    EXPECT_NE(process.GetThreadHandle(), nullptr);

    EXPECT_EQ(process.StartScan({"D:"}, 0x1000, &second, 1), -1);
    EXPECT_EQ(process.StartFullBackup("x", &second), -1);
    EXPECT_EQ(process.StartRestore("c:\\x.rbk", &second), -1);
    EXPECT_EQ(process.StartDefrag(1, &second, 6), -1);
    EXPECT_EQ(process.GetJobType(), kJobScan);
    EXPECT_EQ(process.Sink(), &first);
    EXPECT_EQ(process.Mask(), 0x400u);
    EXPECT_EQ(process.ScanOption(), 0);

    EXPECT_TRUE(process.Resume());
    ASSERT_TRUE(first.WaitFinished());
    EXPECT_TRUE(second.Calls().empty());
    WaitForIdle(process);
}

TEST(JobThread, IsBusyOnlyWhileTheBodyRuns)
{
    TestProcess process;
    RecordingStatus status;
    Gate entered;
    Gate release;
    std::atomic<int> busyInside{-1};
    status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "status" && call.code == "X")
        {
            busyInside = process.IsBusy();
            entered.Open();
            release.Wait();
        }
    };
    ASSERT_EQ(process.StartScan({}, 0, &status, 0), 1);
    EXPECT_EQ(process.IsBusy(), 0);
    EXPECT_TRUE(process.Resume());
    ASSERT_TRUE(entered.Wait());
    EXPECT_EQ(process.IsBusy(), 1);
    EXPECT_EQ(busyInside, 1);
    // Pause and continue keep the job busy.
    EXPECT_TRUE(process.Suspend());
    EXPECT_EQ(process.IsBusy(), 1);
    EXPECT_TRUE(process.Resume());
    release.Open();
    ASSERT_TRUE(status.WaitFinished());
    EXPECT_EQ(process.IsBusy(), 0);
    WaitForIdle(process);
    EXPECT_EQ(process.GetThreadHandle(), nullptr);
    EXPECT_FALSE(process.Resume());
    EXPECT_FALSE(process.Suspend());
}

TEST(JobThread, StopFlagZeroChangesNothingAndStopWhileIdleIsHarmless)
{
    TestProcess process;
    EXPECT_EQ(process.Stop(0), 1);
    EXPECT_EQ(process.Stop(1), 1);
    EXPECT_EQ(process.IsBusy(), 0);

    RecordingStatus status;
    Gate entered;
    Gate release;
    std::atomic<int> busyAfterStopZero{-1};
    status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "status" && call.code == "X")
        {
            entered.Open();
            release.Wait();
        }
    };
    ASSERT_EQ(process.StartScan({}, 0, &status, 0), 1);
    process.Resume();
    ASSERT_TRUE(entered.Wait());
    EXPECT_EQ(process.Stop(0), 1);
    busyAfterStopZero = process.IsBusy();
    release.Open();
    ASSERT_TRUE(status.WaitFinished());
    EXPECT_EQ(busyAfterStopZero, 1);
    // Stop(0) did not cancel: every letter came.
    std::vector<std::string> expected = kAllLetters;
    expected.push_back("Scanning");
    EXPECT_EQ(status.StatusCodes(), expected);
    WaitForIdle(process);
}

TEST(JobThread, UnknownJobTypeMakesOnlyTheProtocolCalls)
{
    TestProcess process;
    RecordingStatus status;
    ASSERT_EQ(process.StartJobOfType(5, &status), 1);
    process.Resume();
    ASSERT_TRUE(status.WaitFinished());
    const std::vector<RecordingStatus::Call> calls = status.Calls();
    ASSERT_EQ(calls.size(), 4u);
    ExpectFinalCalls(calls, 0);
    WaitForIdle(process);
}

TEST(JobThread, CancelledScanStillGivesEveryLetterAndTheFinalCalls)
{
    TestProcess process;
    RecordingStatus status;
    Gate entered;
    Gate release;
    status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "status" && call.code == "N")
        {
            entered.Open();
            release.Wait();
        }
    };
    ASSERT_EQ(process.StartScan({"C:"}, 0xFFFFFFFF, &status, 0), 1);
    process.Resume();
    ASSERT_TRUE(entered.Wait());
    EXPECT_EQ(process.Stop(1), 1);
    EXPECT_EQ(process.IsBusy(), 0);
    release.Open();
    ASSERT_TRUE(status.WaitFinished());

    std::vector<std::string> expected = kAllLetters;
    expected.push_back("Scanning");
    EXPECT_EQ(status.StatusCodes(), expected);
    ExpectFinalCalls(status.Calls(), 0);
    // Nothing was scanned after the cancel.
    bool afterCancel = false;
    for (const RecordingStatus::Call& call : status.Calls())
    {
        if (call.op == "status" && call.code == "D")
            afterCancel = true;
        if (afterCancel)
        {
            EXPECT_NE(call.op, "found") << call.text;
        }
    }
    WaitForIdle(process);
}

TEST(JobThread, EveryJobEndsWithTheThreeFinalCalls)
{
    // Jobs that do real work are started with inputs that make them quick.
    for (int type : {int(kJobScan), int(kJobRestore), 0, 7})
    {
        SCOPED_TRACE(type);
        TestProcess process;
        RecordingStatus status;
        int started = -1;
        if (type == kJobScan)
            started = process.StartScan({}, 0, &status, 0);
        else if (type == kJobRestore)
            started = process.StartRestore("c:\\no such folder\\none.rbk", &status);
        else
            started = process.StartJobOfType(type, &status);
        ASSERT_EQ(started, 1);
        process.Resume();
        ASSERT_TRUE(status.WaitFinished());
        ExpectFinalCalls(status.Calls(), status.Result());
        WaitForIdle(process);
    }
}

TEST(JobThread, NextJobStartsFromTheFinishingMessage)
{
    // A page starts the next job when its finishing message arrives, which may
    // be before the previous job thread has returned.
    TestProcess process;
    for (int round = 0; round < 25; ++round)
    {
        SCOPED_TRACE(round);
        RecordingStatus first;
        Gate finished;
        first.onFinished = [&](int) { finished.Open(); };
        ASSERT_EQ(process.StartScan({}, 0, &first, 0), 1);
        process.Resume();
        ASSERT_TRUE(finished.Wait());

        RecordingStatus second;
        ASSERT_EQ(process.StartScan({}, 0, &second, 0), 1);
        EXPECT_EQ(process.Sink(), &second);
        process.Resume();
        ASSERT_TRUE(second.WaitFinished());
        ExpectFinalCalls(second.Calls(), 0);
        WaitForIdle(process);
    }
}

TEST(JobThread, NextJobStartsFromWithinTheFinalCall)
{
    TestProcess process;
    RecordingStatus first;
    RecordingStatus second;
    std::atomic<int> started{0};
    first.onFinished = [&](int) { started = process.StartScan({}, 0, &second, 0); };
    ASSERT_EQ(process.StartScan({}, 0, &first, 0), 1);
    process.Resume();
    ASSERT_TRUE(first.WaitFinished());
    ASSERT_EQ(started, 1);
    // The first thread retires itself; the new one waits for its Resume.
    for (int i = 0; i < 1000 && second.Calls().empty(); ++i)
    {
        process.Resume();
        if (second.WaitFinished(10))
            break;
    }
    ASSERT_TRUE(second.WaitFinished());
    ExpectFinalCalls(second.Calls(), 0);
    WaitForIdle(process);
    EXPECT_EQ(process.GetThreadHandle(), nullptr);
}

TEST(JobThread, ScanSeesTheNativeSystemFolderOnlyUnderWow64)
{
    const std::string path = PlantNativeSystemProbe("qm_native_probe.txt");
    ASSERT_FALSE(path.empty());

    TestProcess process;
    RecordingStatus status;
    std::atomic<int> seenInJob{-1};
    status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "status" && call.code == "X")
            seenInJob = TestEnv::FileExists(path) ? 1 : 0;
    };
    ASSERT_EQ(process.StartScan({}, 0, &status, 0), 1);
    process.Resume();
    ASSERT_TRUE(status.WaitFinished());
    WaitForIdle(process);

    // A 32-bit Windows has one system folder and a 64-bit program sees the
    // native one: seen both ways. A 32-bit program on a 64-bit Windows sees
    // it only in a job with redirection off.
    EXPECT_EQ(seenInJob, 1);
    EXPECT_EQ(TestEnv::FileExists(path), !TestEnv::IsWow64());
}

TEST(JobThread, BackupAndRestoreKeepRedirection)
{
    if (!TestEnv::IsWow64())
        GTEST_SKIP() << "only a 32-bit program on a 64-bit Windows is redirected";
    const std::string path = PlantNativeSystemProbe("qm_native_probe2.txt");
    ASSERT_FALSE(path.empty());

    TestProcess process;
    RecordingStatus status;
    std::atomic<int> seenInJob{-1};
    // The restore of a missing file makes no call of its own; the first
    // progress call comes before redirection would be switched.
    status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "progress" && call.value == 2)
            seenInJob = TestEnv::FileExists(path) ? 1 : 0;
    };
    ASSERT_EQ(process.StartRestore("c:\\none.rbk", &status), 1);
    process.Resume();
    ASSERT_TRUE(status.WaitFinished());
    WaitForIdle(process);
    EXPECT_EQ(seenInJob, 0);
}
