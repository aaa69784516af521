// The program's view of the engine's job object: which job thread it waits
// for, also when a job is started from the last call of the one before, on
// that job's own thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "Client/Shell/TrackedJobObject.h"
#include "Engine/CTolvEngineProcess.h"
#include "support/Gate.h"
#include "support/RecordingStatus.h"

namespace
{
Gate* g_openedByTimer = nullptr;

void CALLBACK OpenGateOnTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(nullptr, timer);
    if (g_openedByTimer)
        g_openedByTimer->Open();
}
}

TEST(TrackedJob, JobStartedFromTheLastCallOfTheOneBeforeIsWaitedForNotTheOneThatEnded)
{
    for (int round = 0; round < 10; ++round)
    {
        SCOPED_TRACE(round);
        CTolvEngineProcess engine;
        CAbstractProcess* held = &engine;
        TrackedJobObject tracked(held);

        RecordingStatus first;
        RecordingStatus second;
        Gate lastCall;
        std::atomic<int> started{0};
        // The first job's last call waits until the program waits for that
        // job's thread, then starts the next job, as a page may.
        first.onFinished = [&](int) {
            lastCall.Wait();
            started = tracked.StartScan({}, 0, &second, 0);
        };
        ASSERT_EQ(tracked.StartScan({}, 0, &first, 0), 1);
        ASSERT_TRUE(tracked.Resume());
        EXPECT_TRUE(tracked.HasUnstoppedJob());

        // The gate opens from within the wait, which handles this thread's
        // messages: the program waits for the first job's thread by then.
        g_openedByTimer = &lastCall;
        ::SetTimer(nullptr, 0, 10, &OpenGateOnTimer);
        EXPECT_FALSE(tracked.WaitForThreadEnd(1500)) << "the wait ended with the next job created and not run";
        g_openedByTimer = nullptr;
        ASSERT_EQ(started, 1);
        EXPECT_TRUE(first.WaitFinished(0));
        EXPECT_TRUE(tracked.HasUnstoppedJob()) << "the next job is not stopped";
        EXPECT_NE(tracked.GetThreadHandle(), nullptr);

        // Once it runs, its end ends the wait.
        ASSERT_TRUE(tracked.Resume());
        EXPECT_TRUE(tracked.WaitForThreadEnd(30000));
        EXPECT_TRUE(second.WaitFinished(0));
        EXPECT_FALSE(tracked.HasUnstoppedJob());
        EXPECT_EQ(tracked.GetThreadHandle(), nullptr);
    }
}

TEST(TrackedJob, AStoppedJobIsNoLongerUnstoppedAndTheNextOneIs)
{
    CTolvEngineProcess engine;
    CAbstractProcess* held = &engine;
    TrackedJobObject tracked(held);
    RecordingStatus status;
    ASSERT_EQ(tracked.StartScan({"C:"}, 0xFFFFFFFF, &status, 0), 1);
    EXPECT_TRUE(tracked.HasUnstoppedJob()) << "from its start, before its thread runs a line";
    tracked.Stop(1);
    EXPECT_FALSE(tracked.HasUnstoppedJob());
    tracked.Resume();
    EXPECT_TRUE(tracked.WaitForThreadEnd(30000));
    ASSERT_TRUE(status.WaitFinished(0));
    EXPECT_EQ(status.Calls().size(), 4u) << "stopped before it began, it scanned nothing";

    RecordingStatus next;
    ASSERT_EQ(tracked.StartScan({}, 0, &next, 0), 1);
    EXPECT_TRUE(tracked.HasUnstoppedJob());
    tracked.Resume();
    EXPECT_TRUE(tracked.WaitForThreadEnd(30000));
    EXPECT_TRUE(next.WaitFinished(0));
}
