// The hand-over from a job's thread to its page: what the page takes, and
// the one message that tells it something came.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "Client/Shell/JobReports.h"

namespace
{
const UINT kCame = WM_APP + 77;

// How many kCame messages wait in this thread's queue; they are removed.
int TakeMessages()
{
    int count = 0;
    MSG message;
    while (::PeekMessageA(&message, NULL, kCame, kCame, PM_REMOVE))
        ++count;
    return count;
}

// A message-only window of this thread for the messages.
class MessageWindow
{
public:
    MessageWindow()
        : m_window(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, nullptr))
    {
    }
    ~MessageWindow() { ::DestroyWindow(m_window); }
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};
}

TEST(JobReports, ManyReportsAnnounceOnceUntilThePageTookThem)
{
    MessageWindow page;
    ASSERT_NE(page.Get(), static_cast<HWND>(NULL));
    JobReports reports;
    reports.AnnounceTo(page.Get(), kCame);
    reports.Restart();
    std::thread job([&] {
        for (int i = 0; i < 50; ++i)
        {
            reports.SetStatus("item", "", false);
            reports.StepProgress(1);
            reports.AddFinding("finding", 4, i, 0);
        }
    });
    job.join();
    EXPECT_EQ(TakeMessages(), 1);

    JobReports::Taken taken;
    ASSERT_TRUE(reports.Take(taken, false));
    EXPECT_EQ(taken.reports.size(), 50u);
    EXPECT_EQ(taken.statusTexts, 50);
    EXPECT_EQ(taken.progress, 50);

    // Once taken, the next report is announced again.
    reports.SetStatus("next", "", false);
    EXPECT_EQ(TakeMessages(), 1);
}

TEST(JobReports, KeptStatusesAndFindingsComeInOrderBesideTheLatestStatus)
{
    JobReports reports;
    reports.Restart();
    reports.SetStatus("first item", "A", true);
    reports.AddFinding("found in A", 1, 2, 3);
    reports.SetStatus("an item", "A", false);
    reports.SetStatus("", "B", true);
    reports.AddFinding("found in B", 8, 0, 0);

    JobReports::Taken taken;
    ASSERT_TRUE(reports.Take(taken));
    ASSERT_EQ(taken.reports.size(), 4u);
    EXPECT_EQ(taken.reports[0].code, "A");
    EXPECT_FALSE(taken.reports[0].finding);
    EXPECT_EQ(taken.reports[1].text, "found in A");
    EXPECT_EQ(taken.reports[1].category, 1u);
    EXPECT_EQ(taken.reports[1].firstValue, 2);
    EXPECT_EQ(taken.reports[1].secondValue, 3);
    EXPECT_EQ(taken.reports[2].code, "B");
    EXPECT_TRUE(taken.reports[3].finding);
    EXPECT_TRUE(taken.statusChanged);
    EXPECT_EQ(taken.status, "") << "the latest status, also an empty one";
    EXPECT_EQ(taken.statusTexts, 2) << "only statuses with a text name an item";

    ASSERT_TRUE(reports.Take(taken));
    EXPECT_FALSE(taken.statusChanged);
    EXPECT_TRUE(taken.reports.empty());
    EXPECT_FALSE(taken.progressChanged);
}

TEST(JobReports, TheBarStopsAtItsEndAndANewJobStartsAfresh)
{
    JobReports reports;
    reports.Restart();
    reports.SetProgress(95);
    reports.StepProgress(19);
    JobReports::Taken taken;
    ASSERT_TRUE(reports.Take(taken));
    EXPECT_TRUE(taken.progressChanged);
    EXPECT_EQ(taken.progress, JobReports::kFullProgress) << "a step past the end would wrap the bar round";
    reports.StepProgress(1);
    ASSERT_TRUE(reports.Take(taken));
    EXPECT_EQ(taken.progress, JobReports::kFullProgress);

    reports.AddFinding("left over", 1, 0, 0);
    reports.SetEnd(3);
    EXPECT_EQ(reports.Result(), 3);
    EXPECT_NE(reports.EndTick(), 0u);
    reports.Restart();
    EXPECT_EQ(reports.Result(), 0);
    EXPECT_EQ(reports.EndTick(), 0u);
    ASSERT_TRUE(reports.Take(taken));
    EXPECT_TRUE(taken.reports.empty()) << "the last job's reports are gone";
    EXPECT_EQ(taken.progress, 0);
}
