// The scan job's walk of the categories and its status throttle.
#include <windows.h>

#include <gtest/gtest.h>

#include "Engine/ScanCategory.h"
#include "ScanTestSupport.h"

namespace
{
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::vector<std::string> kLettersAndEnd = {"X", "U", "N", "D", "A", "H", "S", "R", "C", "E", "F", "V", "Scanning"};

class ScanJob : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ScanTest::ClearKey(HKEY_CURRENT_USER, kRun);
        ASSERT_TRUE(ScanTest::SetValue(HKEY_CURRENT_USER, kRun, "QmJobGone", "c:\\qmgone\\job.exe"));
    }
    void TearDown() override { ScanTest::ClearKey(HKEY_CURRENT_USER, kRun); }
};
}

TEST_F(ScanJob, StartupMaskGivesTheTwelveLettersAndFindingsOnlyBetweenSAndR)
{
    ScanTestJob job;
    RecordingStatus status;
    const std::vector<RecordingStatus::Call> calls = ScanTest::RunScan(job, status, kScanStartup);
    EXPECT_EQ(status.StatusCodes(), kLettersAndEnd);
    EXPECT_EQ(status.Result(), 0);

    std::string category;
    int findings = 0;
    for (const RecordingStatus::Call& call : calls)
    {
        if (call.op == "status" && call.text.empty())
            category = call.code;
        if (call.op == "found")
        {
            EXPECT_EQ(category, "S") << call.text;
            ++findings;
        }
        // Within the category every status carries its letter.
        if (call.op == "status" && !call.text.empty())
        {
            EXPECT_EQ(call.code, category);
        }
    }
    EXPECT_EQ(findings, 1);
    EXPECT_EQ(status.Findings(), std::vector<std::string>{"HKEY_CURRENT_USER\\" + std::string(kRun) + "\xAC" "QmJobGone"});
}

TEST_F(ScanJob, MasksWithoutScannedCategoriesFindNothing)
{
    for (DWORD mask : {0x0UL, 0x1UL, 0x2UL, 0x4UL, 0x8UL, 0xFUL})
    {
        ScanTestJob job;
        RecordingStatus status;
        ScanTest::RunScan(job, status, mask);
        EXPECT_EQ(status.StatusCodes(), kLettersAndEnd) << mask;
        EXPECT_TRUE(status.Findings().empty()) << mask;
    }
}

TEST_F(ScanJob, CancelledBeforeTheStartupCategoryScansNothing)
{
    ScanTestJob job;
    RecordingStatus status;
    status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "status" && call.code == "H")
            job.Stop(1);
    };
    ScanTest::RunScan(job, status, kScanStartup);
    EXPECT_EQ(status.StatusCodes(), kLettersAndEnd);
    EXPECT_TRUE(status.Findings().empty());
    EXPECT_EQ(status.Result(), 0);
}

TEST(StatusThrottle, ShowsTheFirstItemAndThenEveryThresholdPlusOneth)
{
    ScanTestJob job;
    RecordingStatus status;
    job.StartCategory();
    std::vector<std::string> shown;
    for (int item = 1; item <= 250; ++item)
        job.ShowItem(&status, std::to_string(item), 101);
    for (const RecordingStatus::Call& call : status.Calls())
    {
        EXPECT_EQ(call.code, "F");
        shown.push_back(call.text);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"1", "103", "205"}));

    // Each category starts afresh: its first item is shown again.
    status.Reset();
    job.ShowItem(&status, "next", 3001);
    job.StartCategory();
    job.ShowItem(&status, "first", 3001);
    job.ShowItem(&status, "second", 51);
    ASSERT_EQ(status.Calls().size(), 1u);
    EXPECT_EQ(status.Calls()[0].text, "first");
}
