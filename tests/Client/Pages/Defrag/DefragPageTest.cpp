// The defragmentation page in this process, over a job object that plays
// the hive compaction's part, driven from a second thread as a user would.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "Client/Pages/CDefrag.h"
#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/StoreTestFolder.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/res/DefragResource.h"
#include "Engine/CAbstractProcess.h"
#include "support/FakeJobObject.h"
#include "support/JobProgressProbe.h"
#include "support/MessagePump.h"
#include "support/ProgramDriver.h"

CRegClientApp theApp;

using namespace ProgramDriver;

namespace
{
const char kQuestionPart[] = "Before running registry analysis/defragmentation";
const char kAnalysisFailed[] = "Registry analysis failed, please follow the below instructions and then retry;\n"
                               "Close all running applications\nFree some disk space.";
const char kDefragFailed[] = "Registry defragmentation failed, please follow the below instructions and then retry;\n"
                             "Close all running applications\nFree some disk space\n"
                             "Restart your system if you have already run defragmentation once.";

// Reports as the compaction job does, on a thread of its own: progress,
// the gain, the result. The last "job ended" progress is left out, so that
// the bar shows where the steps took it.
class FakeDefragJob : public FakeJobObject
{
public:
    ~FakeDefragJob() override { Join(); }

    int startResult = 0;
    int result = 6;
    int percent = 25;
    int steps = 50;
    std::vector<int> starts;
    std::atomic<int> startCount{0};

    BOOL Resume() override
    {
        RunOnThread([this] {
            m_sink->OnProgress(0);
            for (int i = 0; i < steps; ++i)
                m_sink->OnProgress(1);
            if (result == 6)
                m_sink->OnItemFound("", static_cast<DWORD>(percent), 0, 0);
            m_sink->OnDefragResult(result);
            m_sink->OnJobFinished(result);
        });
        return TRUE;
    }
    int GetJobType() override { return 8; }
    int StartDefrag(int replace, CAbstractStatus* sink, int) override
    {
        starts.push_back(replace);
        ++startCount;
        m_sink = sink;
        return startResult;
    }

private:
    CAbstractStatus* m_sink = nullptr;
};

// The page on a window of its own in this thread, while drive works it
// from another thread.
struct PageRun
{
    FakeDefragJob job;
    int restarts = 0;

    void Run(const std::function<void(HWND page)>& drive)
    {
        CWnd host;
        ASSERT_TRUE(host.CreateEx(0, nullptr, "Quillomar", WS_POPUP | WS_VISIBLE, RECT{0, 0, 692, 395}, NULL, 0));
        CDefrag page(&host);
        page.UseEngineProcess(&job);
        page.SetRestart([this] {
            ++restarts;
            return TRUE;
        });
        ASSERT_TRUE(page.Create(0, &host));
        page.ShowWindow(SW_SHOW);
        TestPump::RunWhileUserDrives(page.GetSafeHwnd(), drive);
    }
};

// Answers the page's message with the given text (and caption) by button.
void Answer(const std::string& text, int button = IDOK)
{
    const HWND box = WaitForMessageBoxWith(::GetCurrentProcessId(), text, 30000);
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "no message: " << text;
    EXPECT_EQ(MessageBoxText(box), text);
    EXPECT_EQ(WindowText(box), "Quillomar");
    AnswerMessageBox(box, button);
    for (int i = 0; i < 100 && ::IsWindow(box); ++i)
        ::Sleep(50);
}

void AnswerQuestion(int button = IDOK)
{
    const HWND box = WaitForMessageBoxWith(::GetCurrentProcessId(), kQuestionPart, 30000);
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "no question before the analysis";
    AnswerMessageBox(box, button);
    for (int i = 0; i < 100 && ::IsWindow(box); ++i)
        ::Sleep(50);
}

bool Usable(HWND page, int id)
{
    return IsUsable(::GetDlgItem(page, id));
}

void ExpectStartFace(HWND page)
{
    EXPECT_TRUE(Usable(page, IDC_DEFRAG_ANALYSE));
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(page, IDC_DEFRAG_PROGRESS)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, IDC_DEFRAG_START)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, IDC_DEFRAG_BACK)));
}

void WaitUntilUsable(HWND page, int id)
{
    for (int i = 0; i < 800 && !Usable(page, id); ++i)
        ::Sleep(25);
}

void Analyse(HWND page)
{
    ASSERT_TRUE(ClickWhenUsable(page, IDC_DEFRAG_ANALYSE));
    ASSERT_NO_FATAL_FAILURE(AnswerQuestion());
}

// An analysis that ends worth compacting at 25 percent.
void AnalyseWorthIt(HWND page)
{
    ASSERT_NO_FATAL_FAILURE(Analyse(page));
    ASSERT_NO_FATAL_FAILURE(Answer("Registry analysis completed. Your computer registry is 25% fragmented.\n"
                                   "Press Defrag Button to start defragmentation."));
}

int BarPosition(HWND page)
{
    return static_cast<int>(::SendMessageA(::GetDlgItem(page, IDC_DEFRAG_PROGRESS), PBM_GETPOS, 0, 0));
}
}

TEST(DefragPage, AnAnalysisWorthItShowsThePercentAndTheAnalysedFaceAndTheSwapAsksToRestart)
{
    PageRun run;
    run.Run([&](HWND page) {
        ExpectStartFace(page);
        ASSERT_NO_FATAL_FAILURE(Analyse(page));
        const HWND box = WaitForMessageBoxWith(::GetCurrentProcessId(), "Registry analysis completed", 10000);
        ASSERT_NE(box, static_cast<HWND>(NULL));
        EXPECT_EQ(MessageBoxText(box), "Registry analysis completed. Your computer registry is 25% fragmented.\n"
                                       "Press Defrag Button to start defragmentation.");
        // Fifty steps of three would pass the end; the bar stops there.
        EXPECT_EQ(BarPosition(page), 100);
        AnswerMessageBox(box, IDOK);
        WaitUntilUsable(page, IDC_DEFRAG_START);
        EXPECT_TRUE(Usable(page, IDC_DEFRAG_START));
        EXPECT_TRUE(Usable(page, IDC_DEFRAG_BACK));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, IDC_DEFRAG_ANALYSE)));

        // Back and forth: the start face, then analysed again.
        ASSERT_TRUE(ClickWhenUsable(page, IDC_DEFRAG_BACK));
        WaitUntilUsable(page, IDC_DEFRAG_ANALYSE);
        ExpectStartFace(page);
        run.job.percent = 12;
        ASSERT_NO_FATAL_FAILURE(Analyse(page));
        ASSERT_NO_FATAL_FAILURE(Answer("Registry analysis completed. Your computer registry is 12% fragmented.\n"
                                       "Press Defrag Button to start defragmentation."));

        // The swap: no question first, then the restart question.
        run.job.result = 7;
        ASSERT_TRUE(ClickWhenUsable(page, IDC_DEFRAG_START));
        ASSERT_NO_FATAL_FAILURE(Answer("You must restart your system to complete registry defragmentation.\n"
                                       "Do you want to restart your system now?",
                                       IDNO));
        EXPECT_EQ(run.restarts, 0);
        for (int id : {IDC_DEFRAG_ANALYSE, IDC_DEFRAG_START, IDC_DEFRAG_BACK})
            EXPECT_FALSE(Usable(page, id)) << id;
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(page, IDC_DEFRAG_START)));
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(page, IDC_DEFRAG_BACK)));
    });
    EXPECT_EQ(run.job.starts, (std::vector<int>{0, 0, 1}));
}

TEST(DefragPage, YesToTheRestartQuestionRestartsWithoutAskingAgain)
{
    PageRun run;
    run.Run([&](HWND page) {
        ASSERT_NO_FATAL_FAILURE(AnalyseWorthIt(page));
        run.job.result = 7;
        ASSERT_TRUE(ClickWhenUsable(page, IDC_DEFRAG_START));
        ASSERT_NO_FATAL_FAILURE(Answer("You must restart your system to complete registry defragmentation.\n"
                                       "Do you want to restart your system now?",
                                       IDYES));
        for (int i = 0; i < 1000 && run.restarts == 0; ++i)
            ::Sleep(20);
    });
    EXPECT_EQ(run.restarts, 1);
}

TEST(DefragPage, FailedJobsSaySoAndLeaveThePageUsable)
{
    PageRun run;
    run.Run([&](HWND page) {
        // 0 and 5: the job failed; 9 cannot come from the engine.
        for (int result : {0, 5, 9, 1, 2})
        {
            SCOPED_TRACE(result);
            run.job.result = result;
            ASSERT_NO_FATAL_FAILURE(Analyse(page));
            ASSERT_NO_FATAL_FAILURE(Answer(kAnalysisFailed));
            WaitUntilUsable(page, IDC_DEFRAG_ANALYSE);
            ExpectStartFace(page);
            EXPECT_EQ(BarPosition(page), 0);
        }
        run.job.result = 4;
        ASSERT_NO_FATAL_FAILURE(Analyse(page));
        ASSERT_NO_FATAL_FAILURE(
            Answer("Error occurred due to low disk space, please empty some disk space and then retry."));
        run.job.result = 8;
        ASSERT_NO_FATAL_FAILURE(Analyse(page));
        ASSERT_NO_FATAL_FAILURE(
            Answer("Your registry is already defragmented, no need for registry defragmentation."));

        run.job.result = 6;
        ASSERT_NO_FATAL_FAILURE(AnalyseWorthIt(page));
        for (int result : {0, 5, 3})
        {
            SCOPED_TRACE(result);
            run.job.result = result;
            ASSERT_TRUE(ClickWhenUsable(page, IDC_DEFRAG_START));
            ASSERT_NO_FATAL_FAILURE(Answer(kDefragFailed));
            // The analysed face stays; only Back is left to press.
            EXPECT_TRUE(Usable(page, IDC_DEFRAG_BACK));
            EXPECT_FALSE(Usable(page, IDC_DEFRAG_START));
            ASSERT_TRUE(ClickWhenUsable(page, IDC_DEFRAG_BACK));
            WaitUntilUsable(page, IDC_DEFRAG_ANALYSE);
            run.job.result = 6;
            ASSERT_NO_FATAL_FAILURE(AnalyseWorthIt(page));
        }
    });
}

TEST(DefragPage, ARefusingStarterABusyEngineOrACancelLeaveTheButtonsAsTheyWere)
{
    PageRun run;
    run.Run([&](HWND page) {
        run.job.startResult = -1;
        ASSERT_NO_FATAL_FAILURE(Analyse(page));
        WaitUntilUsable(page, IDC_DEFRAG_ANALYSE);
        ExpectStartFace(page);

        run.job.startResult = 0;
        ASSERT_TRUE(ClickWhenUsable(page, IDC_DEFRAG_ANALYSE));
        ASSERT_NO_FATAL_FAILURE(AnswerQuestion(IDCANCEL));
        ExpectStartFace(page);

        run.job.busy = 1;
        ASSERT_TRUE(ClickWhenUsable(page, IDC_DEFRAG_ANALYSE));
        ASSERT_NO_FATAL_FAILURE(Answer("Please stop other active operation before starting registry analysis."));
        ExpectStartFace(page);
        run.job.busy = 0;

        ASSERT_NO_FATAL_FAILURE(AnalyseWorthIt(page));
        run.job.startResult = -1;
        ASSERT_TRUE(ClickWhenUsable(page, IDC_DEFRAG_START));
        for (int i = 0; i < 800 && run.job.startCount < 3; ++i)
            ::Sleep(25);
        WaitUntilUsable(page, IDC_DEFRAG_START);
        EXPECT_TRUE(Usable(page, IDC_DEFRAG_START)) << "a refused swap left Defrag disabled";
        run.job.busy = 1;
        ASSERT_TRUE(ClickWhenUsable(page, IDC_DEFRAG_START));
        ASSERT_NO_FATAL_FAILURE(
            Answer("Please stop other active operation before starting registry defragmentation."));
        EXPECT_TRUE(Usable(page, IDC_DEFRAG_START));
        run.job.busy = 0;
    });
    EXPECT_EQ(run.job.starts, (std::vector<int>{0, 0, 1}));
}

TEST(DefragPage, AnAnalysisLeavesTheFindingsOfTheLastScanForTheRepair)
{
    if (!RunInOwnFolder())
        return;
    CScanItemsInfo store;
    ASSERT_EQ(store.AddFoundItem("HKEY_CURRENT_USER\\Software\\Gone", 0x400, 0, 0), 1);
    theApp.m_pScanItems = &store;
    PageRun run;
    run.Run([&](HWND page) {
        ASSERT_NO_FATAL_FAILURE(AnalyseWorthIt(page));
    });
    theApp.m_pScanItems = nullptr;
    EXPECT_EQ(store.GetItemCount(0x400), 1);
}

TEST(DefragPage, TheJobsProgressDoesNotWaitForTheWindowThread)
{
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Quillomar", WS_POPUP | WS_VISIBLE, RECT{0, 0, 692, 395}, NULL, 0));
    FakeDefragJob job;
    CDefrag page(&host);
    page.UseEngineProcess(&job);
    ASSERT_TRUE(page.Create(0, &host));
    page.ShowWindow(SW_SHOW);
    // The compaction job's ten steps.
    EXPECT_TRUE(ReportProgressWhileWindowThreadBusy(page, 10)) << "the job's thread waited for the window thread";
    EXPECT_EQ(BarPosition(page.GetSafeHwnd()), 30) << "the bar follows once the window thread runs its messages";
    page.DestroyWindow();
}
