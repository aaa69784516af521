// The scan job's walk of the categories and its status throttle.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "Engine/CAbstractProcess.h"
#include "Engine/ScanCategory.h"
#include "Framework/CRegKey.h"
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

TEST_F(ScanJob, ScannerThatFailsHalfWayLeavesTheScanIncompleteWithItsFindingsKept)
{
    // Three stale Run values; the second finding fails (as a store out of
    // memory would), which ends the startup check part-way.
    ASSERT_TRUE(ScanTest::SetValue(HKEY_CURRENT_USER, kRun, "QmJobGone2", "c:\\qmgone\\job2.exe"));
    ASSERT_TRUE(ScanTest::SetValue(HKEY_CURRENT_USER, kRun, "QmJobGone3", "c:\\qmgone\\job3.exe"));
    // A later category still finds its entry: an extension key that holds nothing.
    const char kEmptyExtension[] = ".qmjobempty";
    ASSERT_TRUE(ScanTest::CreateKey(HKEY_CLASSES_ROOT, kEmptyExtension));

    ScanTestJob job;
    RecordingStatus status;
    int startupFindings = 0;
    status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "found" && call.value == kScanStartup && ++startupFindings == 2)
            throw std::bad_alloc();
    };
    const std::vector<RecordingStatus::Call> calls = ScanTest::RunScan(job, status, kScanStartup | kScanFileTypes);
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, kEmptyExtension);

    EXPECT_EQ(status.Result(), kScanIncomplete);
    EXPECT_EQ(startupFindings, 2) << "the startup check ended at its failure";
    EXPECT_EQ(status.Findings(), (std::vector<std::string>{
                                     "HKEY_CURRENT_USER\\" + std::string(kRun) + "\xAC" "QmJobGone",
                                     "HKEY_CLASSES_ROOT\\" + std::string(kEmptyExtension)}));
    // The last status before the final calls says what was not checked.
    ASSERT_GE(calls.size(), 4u);
    const RecordingStatus::Call& note = calls[calls.size() - 4];
    EXPECT_EQ(note.op, "status");
    EXPECT_EQ(note.code, "Scanning");
    EXPECT_EQ(note.text, "Scan incomplete: Windows Startup Items could not be checked to the end.");
    EXPECT_EQ(calls.back().op, "finished");
}

TEST_F(ScanJob, FailureBetweenCategoriesEndsTheScanIncompleteNotClean)
{
    ScanTestJob job;
    RecordingStatus status;
    status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "status" && call.code == "N")
            throw std::runtime_error("the sink failed");
    };
    ScanTest::RunScan(job, status, kScanStartup);
    EXPECT_EQ(status.Result(), kScanIncomplete);
    EXPECT_TRUE(status.Findings().empty());
    EXPECT_EQ(status.StatusCodes(), (std::vector<std::string>{"X", "U", "Scanning"}));
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
