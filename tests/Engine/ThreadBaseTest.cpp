// The job thread base when its body throws: the thread ends, the failure is
// reported, and the object takes its next thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "Engine/CSmartThread.h"
#include "Framework/CallbackGuard.h"

namespace
{
std::atomic<int> g_reports{0};

class ThrowingJob : public CSmartThread
{
public:
    std::atomic<bool> throwNext{true};
    std::atomic<int> runs{0};

    int Run() override
    {
        ++runs;
        if (throwNext.exchange(false))
            throw std::bad_alloc();
        return 3;
    }
};

bool WaitUntilIdle(const CSmartThread& job)
{
    for (int i = 0; i < 500 && job.IsRunning(); ++i)
        ::Sleep(10);
    return !job.IsRunning();
}
}

TEST(ThreadBaseTest, ABodyThatThrowsEndsItsThreadAndLeavesTheObjectReady)
{
    g_reports = 0;
    const CallbackGuard::Reporter previous = CallbackGuard::SetReporter([](const char*, const char*) { ++g_reports; });
    ThrowingJob job;
    job.InitLock();
    ASSERT_TRUE(job.Start());
    ASSERT_TRUE(job.Resume());
    ASSERT_TRUE(WaitUntilIdle(job)) << "the thread retired although its body threw";
    EXPECT_EQ(1, g_reports.load());

    ASSERT_TRUE(job.Start()) << "a new thread may start";
    ASSERT_TRUE(job.Resume());
    ASSERT_TRUE(WaitUntilIdle(job));
    EXPECT_EQ(2, job.runs.load());
    EXPECT_EQ(1, g_reports.load());
    job.Lock();  // the lock made by InitLock works
    job.Unlock();
    CallbackGuard::SetReporter(previous);
}
