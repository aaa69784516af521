// The job object's protocol: starters, the job thread and the sink calls.
#include <windows.h>

#include <atomic>
#include <gtest/gtest.h>
#include <set>

#include "Engine/CTolvEngineInterface.h"
#include "Engine/CTolvEngineProcess.h"
#include "Engine/DefragResult.h"
#include "Framework/CHandle.h"
#include "support/Gate.h"
#include "support/RecordingStatus.h"
#include "support/TestRegistry.h"

namespace
{
const std::vector<std::string> kAllLetters = {"X", "U", "N", "D", "A", "H", "S", "R", "C", "E", "F", "V"};

std::vector<std::string> AllLettersAndEnd()
{
    std::vector<std::string> letters = kAllLetters;
    letters.push_back("Scanning");
    return letters;
}

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
    EXPECT_EQ(status.StatusCodes(), AllLettersAndEnd());
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
    // Cancelled, but its thread is still inside the sink.
    EXPECT_EQ(process.IsBusy(), 1);
    const HANDLE thread = process.GetThreadHandle();
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(::WaitForSingleObject(thread, 100), static_cast<DWORD>(WAIT_TIMEOUT));
    release.Open();
    // The handle taken while the job ran stays valid and tells its end;
    // from then on nothing of the job runs.
    ASSERT_EQ(::WaitForSingleObject(thread, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(status.WaitFinished(0));
    const size_t callsAtTheEnd = status.Calls().size();
    EXPECT_EQ(process.IsBusy(), 0);
    EXPECT_EQ(process.GetThreadHandle(), nullptr);
    EXPECT_FALSE(process.Resume());
    ::Sleep(50);
    EXPECT_EQ(status.Calls().size(), callsAtTheEnd);

    EXPECT_EQ(status.StatusCodes(), AllLettersAndEnd());
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
    // The new thread waits for its Resume, and then for the first to end.
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

TEST(JobThread, IsBusyAskedFromTheFinishingMessageWaitsForTheThreadToReturn)
{
    // The page's finishing message may be handled while the job thread is
    // still inside its final call; "not busy" must mean it has left it.
    TestProcess process;
    RecordingStatus status;
    Gate posted;
    std::atomic<int> returned{0};
    status.onFinished = [&](int) {
        posted.Open();
        ::Sleep(300);
        returned = 1;
    };
    ASSERT_EQ(process.StartScan({}, 0, &status, 0), 1);
    process.Resume();
    ASSERT_TRUE(posted.Wait());
    EXPECT_EQ(process.IsBusy(), 0);
    EXPECT_EQ(returned, 1);
    EXPECT_EQ(process.GetThreadHandle(), nullptr);
}

TEST(JobThread, StopRightAfterResumeIsNeverLost)
{
    for (int round = 0; round < 20; ++round)
    {
        SCOPED_TRACE(round);
        TestProcess process;
        RecordingStatus status;
        ASSERT_EQ(process.StartScan({}, 0xFFFFFFFF, &status, 0), 1);
        process.Resume();
        process.Stop(1);
        ASSERT_TRUE(status.WaitFinished());
        // The thread may have begun the first category before the Stop came,
        // but no later category was checked.
        std::set<std::string> scanned;
        for (const RecordingStatus::Call& call : status.Calls())
            if (call.op == "status" && !call.text.empty())
                scanned.insert(call.code);
        EXPECT_LE(scanned.size(), 1u) << testing::PrintToString(scanned);
        EXPECT_EQ(status.StatusCodes(), AllLettersAndEnd());
        ExpectFinalCalls(status.Calls(), 0);
    }
}

TEST(JobThread, StopBeforeTheFirstResumeEndsTheJobAtOnceAsCancelled)
{
    TestProcess process;
    {
        RecordingStatus status;
        ASSERT_EQ(process.StartScan({"C:"}, 0xFFFFFFFF, &status, 0), 1);
        EXPECT_EQ(process.Stop(1), 1);
        EXPECT_EQ(process.IsBusy(), 0);
        ASSERT_TRUE(process.Resume());
        ASSERT_TRUE(status.WaitFinished());
        // No category was even begun: the first call and the final three.
        EXPECT_EQ(status.Calls().size(), 4u);
        ExpectFinalCalls(status.Calls(), kScanComplete);
        EXPECT_TRUE(status.Findings().empty());
        WaitForIdle(process);
    }
    {
        // The next job knows nothing of that stop.
        RecordingStatus status;
        ASSERT_EQ(process.StartScan({}, 0, &status, 0), 1);
        process.Resume();
        ASSERT_TRUE(status.WaitFinished());
        EXPECT_EQ(status.StatusCodes(), AllLettersAndEnd());
        ExpectFinalCalls(status.Calls(), 0);
        WaitForIdle(process);
    }
}

TEST(JobThread, CompactionStoppedBeforeTheFirstResumeStillReportsItsResult)
{
    // A compaction would run to its end after a stop; stopped before it began
    // it does nothing, but its page hears the result it waits for.
    TestProcess process;
    RecordingStatus status;
    ASSERT_EQ(process.StartDefrag(0, &status, 10), 1);
    process.Stop(1);
    process.Resume();
    ASSERT_TRUE(status.WaitFinished());
    const std::vector<RecordingStatus::Call> calls = status.Calls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[1].op, "defrag");
    EXPECT_EQ(calls[1].value, kDefragFailedBeforeHiveList);
    ExpectFinalCalls(calls, kDefragFailedBeforeHiveList);
    WaitForIdle(process);
}

namespace
{
const UINT kSinkMessage = WM_APP + 7;
std::atomic<int> g_sinkMessages{0};

LRESULT CALLBACK SinkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kSinkMessage)
    {
        ++g_sinkMessages;
        return 1;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// A window of the calling thread that a sink on the job thread sends to, as
// a page that changes its controls from the job thread does.
HWND CreateSinkWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &SinkWindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QmJobSinkWindow";
    ::RegisterClassA(&windowClass);
    return ::CreateWindowA("QmJobSinkWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, windowClass.hInstance, nullptr);
}
}

TEST(JobRelease, WaitsForTheStoppedThreadAndAnswersWhatItSends)
{
    const HWND window = CreateSinkWindow();
    ASSERT_NE(window, nullptr);
    CTolvEngineInterface engine;
    for (int round = 0; round < 10; ++round)
    {
        SCOPED_TRACE(round);
        g_sinkMessages = 0;
        CAbstractProcess* const process = engine.CreateEngineProcess();
        ASSERT_NE(process, nullptr);
        RecordingStatus status;
        Gate scanning;
        std::atomic<int> callsAfterRelease{0};
        std::atomic<int> released{0};
        status.onCall = [&](const RecordingStatus::Call& call) {
            if (released)
                ++callsAfterRelease;
            if (call.op == "status" && !call.code.empty() && call.code != "Scanning")
                scanning.Open();
            // Waits for the window thread, which is in the release by now.
            if (call.op == "finished" || (call.op == "progress" && call.value == 2))
                ::SendMessageA(window, kSinkMessage, 0, 0);
        };
        ASSERT_EQ(process->StartScan({"C:"}, 0xFFFFFFFF, &status, 0), 1);
        HANDLE thread = NULL;
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), process->GetThreadHandle(), ::GetCurrentProcess(),
                                      &thread, SYNCHRONIZE, FALSE, 0));
        const CHandle threadHolder(thread);
        process->Resume();
        ASSERT_TRUE(scanning.Wait());

        engine.DestroyEngineProcess(process);
        released = 1;
        EXPECT_EQ(::WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(g_sinkMessages, 2);
        EXPECT_EQ(callsAfterRelease, 0);
        ExpectFinalCalls(status.Calls(), 0);
    }
    ::DestroyWindow(window);
}

TEST(JobRelease, DiscardsAJobThatWasNeverResumed)
{
    CTolvEngineInterface engine;
    CAbstractProcess* const process = engine.CreateEngineProcess();
    ASSERT_NE(process, nullptr);
    RecordingStatus status;
    ASSERT_EQ(process->StartScan({"C:"}, 0xFFFFFFFF, &status, 0), 1);
    HANDLE thread = NULL;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), process->GetThreadHandle(), ::GetCurrentProcess(), &thread,
                                  SYNCHRONIZE, FALSE, 0));
    const CHandle threadHolder(thread);
    engine.DestroyEngineProcess(process);
    EXPECT_EQ(::WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(status.Calls().empty());
}
