// A repair of thousands of findings in the real Quillomar.exe, watched from
// this second process: the main window answers every question throughout,
// as the repair starts, while it runs, as it ends and on the home page
// after, and the repair's result is the same as ever.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/res/ScanPagesResource.h"
#include "Client/res/ShellResource.h"
#include "support/AnswerTimeProbe.h"
#include "support/LargeRepair.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;

namespace
{
const char kDeadKey[] = "Software\\QmAnswerRoad\\Dead";
// Enough that asking the registry after each of them on the window thread
// would hold it for seconds.
const int kFindings = 6000;
// A window that a user would call hung keeps a question waiting this long.
const DWORD kAnswerLimitMs = 2000;
const DWORD kWatchAfterMs = 2000;

std::string Report(const AnswerTimeProbe::Answers& answers)
{
    return std::to_string(answers.unanswered) + " of " + std::to_string(answers.Count()) +
           " questions unanswered within " + std::to_string(kAnswerLimitMs) + " ms; longest wait " +
           std::to_string(static_cast<int>(answers.MaxMs())) + " ms";
}
}

TEST(RepairRoad, TheWindowAnswersThroughoutALargeRepair)
{
    ASSERT_TRUE(LargeRepair::PlantDeadReferences(kDeadKey, kFindings));
    const std::string folder = MakeProgramFolder("repair-answer");
    ASSERT_TRUE(LargeRepair::WriteSettings(folder));
    RunningProgram program;
    ASSERT_TRUE(program.Start(folder + "Quillomar.exe"));
    const HWND mainWindow = program.WaitForMainWindow();
    ASSERT_NE(mainWindow, static_cast<HWND>(NULL));
    ASSERT_NE(ScanAndShowResults(mainWindow, 300000), static_cast<HWND>(NULL));

    AnswerTimeProbe probe(mainWindow, kAnswerLimitMs);
    ASSERT_TRUE(LargeRepair::RepairAndWaitForHome(mainWindow, 600000)) << "the repair did not end on the home page";
    const AnswerTimeProbe::Answers during = probe.TakeAnswers();
    ::Sleep(kWatchAfterMs);
    probe.Stop();
    const AnswerTimeProbe::Answers after = probe.TakeAnswers();

    EXPECT_GT(during.Count(), 0u);
    EXPECT_EQ(during.unanswered, 0) << "from Repair to the home page: " << Report(during);
    EXPECT_EQ(after.unanswered, 0) << "on the home page after the repair: " << Report(after);

    // What the user sees of the repair is what it did.
    EXPECT_EQ(LargeRepair::DeadReferencesLeft(kDeadKey, kFindings), 0);
    EXPECT_EQ(WindowText(FindVisibleControl(mainWindow, IDC_HOME_TOTAL_REPAIRED)), std::to_string(kFindings));
    EXPECT_EQ(TestEnv::SettingsValue(folder + "qmsettings.ini", "LastTotalClnCnt"), std::to_string(kFindings));
    EXPECT_TRUE(SaveScreenshot(mainWindow, "repair-answer-home"));

    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    EXPECT_TRUE(program.WaitForExit(60000)) << "the program did not end";
}
