// The defragmentation page of the real Quillomar.exe over the real engine.
// Under Wine the hive list is empty, so the hives are planted as Windows
// would list them; the restart itself is left to the application's own
// tests (it ends every process of the prefix).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Client/res/DefragResource.h"
#include "Client/res/ShellResource.h"
#include "PlantedHives.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;

namespace
{
const char kQuestionPart[] = "Before running registry analysis/defragmentation";
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\Quillomar.exe";

class DefragProgram : public testing::Test
{
protected:
    void TearDown() override
    {
        if (m_window && !m_program.HasEnded())
        {
            PressButton(m_window, IDC_CLOSE_BUTTON);
            EXPECT_TRUE(m_program.WaitForExit(15000)) << "the program did not end";
        }
        TestEnv::DeleteTree(HKEY_CURRENT_USER, kAppDefaults);
    }

    void StartOnDefragPage()
    {
        const std::string folder =
            MakeProgramFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(m_program.Start(folder + "Quillomar.exe"));
        m_window = m_program.WaitForMainWindow();
        ASSERT_NE(m_window, static_cast<HWND>(NULL));
        ASSERT_TRUE(ClickWhenUsable(m_window, IDC_DEFRAG_BUTTON));
        const HWND analyse = WaitForUsable(m_window, IDC_DEFRAG_ANALYSE);
        ASSERT_NE(analyse, static_cast<HWND>(NULL)) << "the defragmentation page did not show";
        m_page = ::GetParent(analyse);
    }

    HWND Box(const std::string& textPart, DWORD milliseconds = 60000)
    {
        return WaitForMessageBoxWith(m_program.ProcessId(), textPart, milliseconds);
    }

    void Answer(HWND box, int button)
    {
        ASSERT_NE(box, static_cast<HWND>(NULL));
        EXPECT_EQ(WindowText(box), "Quillomar");
        AnswerMessageBox(box, button);
        for (int i = 0; i < 100 && ::IsWindow(box); ++i)
            ::Sleep(50);
    }

    void Analyse()
    {
        ASSERT_TRUE(ClickWhenUsable(m_page, IDC_DEFRAG_ANALYSE));
        ASSERT_NO_FATAL_FAILURE(Answer(Box(kQuestionPart, 10000), IDOK));
    }

    bool Usable(int id) const { return IsUsable(::GetDlgItem(m_page, id)); }

    RunningProgram m_program;
    HWND m_window = NULL;
    HWND m_page = NULL;
};
}

TEST_F(DefragProgram, WithWinesEmptyHiveListTheAnalysisSaysItFailed)
{
    ASSERT_NO_FATAL_FAILURE(StartOnDefragPage());
    EXPECT_EQ(WindowText(FindVisibleControl(m_window, IDC_CAPTION_LABEL)), "");
    EXPECT_TRUE(SaveScreenshot(m_window, "defrag-page-start"));
    ASSERT_NO_FATAL_FAILURE(Analyse());
    const HWND box = Box("Registry analysis failed");
    ASSERT_NE(box, static_cast<HWND>(NULL));
    EXPECT_EQ(MessageBoxText(box), "Registry analysis failed, please follow the below instructions and then retry;\n"
                                   "Close all running applications\nFree some disk space.");
    ASSERT_NO_FATAL_FAILURE(Answer(box, IDOK));
    EXPECT_TRUE(Usable(IDC_DEFRAG_ANALYSE));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(m_page, IDC_DEFRAG_START)));
}

TEST_F(DefragProgram, PlantedHivesAreAnalysedCompactedAndTheRestartIsDeclined)
{
    PlantedHives hives{PlantedHives::InWindowsHiveList()};
    hives.AddHive(HKEY_LOCAL_MACHINE, "QmDefragPage", 25);
    // Wine refuses a save that carries the hive file's access list, which
    // every Windows but 5.2 gets; on 5.2 the copies are saved without one.
    ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, kAppDefaults, "Version", "win2003"));
    ASSERT_NO_FATAL_FAILURE(StartOnDefragPage());

    ASSERT_NO_FATAL_FAILURE(Analyse());
    const HWND analysed = Box("Registry analysis completed");
    if (!analysed)
        if (const HWND other = m_program.WaitForMessageBox(1000))
            ADD_FAILURE() << "the page said: " << MessageBoxText(other);
    ASSERT_NE(analysed, static_cast<HWND>(NULL)) << "the analysis did not find the planted hive worth compacting";
    EXPECT_EQ(MessageBoxText(analysed), "Registry analysis completed. Your computer registry is 25% fragmented.\n"
                                        "Press Defrag Button to start defragmentation.");
    ASSERT_NO_FATAL_FAILURE(Answer(analysed, IDOK));
    ASSERT_NE(WaitForUsable(m_page, IDC_DEFRAG_START), static_cast<HWND>(NULL));
    EXPECT_TRUE(Usable(IDC_DEFRAG_BACK));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(m_page, IDC_DEFRAG_ANALYSE)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(m_page, IDC_DEFRAG_PROGRESS)));
    EXPECT_TRUE(SaveScreenshot(m_window, "defrag-page-analysed"));
    EXPECT_EQ(FilesIn(WindowsWorkFolder()).count("LM_QmDefragPage"), 1u) << "no compacted copy";

    // Switching pages leaves the face as it is.
    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_HOME_BUTTON));
    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_DEFRAG_BUTTON));
    ASSERT_NE(WaitForUsable(m_page, IDC_DEFRAG_START), static_cast<HWND>(NULL));

    ASSERT_TRUE(ClickWhenUsable(m_page, IDC_DEFRAG_START));
    const HWND restart = Box("You must restart your system");
    ASSERT_NE(restart, static_cast<HWND>(NULL)) << "the swap did not ask to restart";
    EXPECT_EQ(MessageBoxText(restart), "You must restart your system to complete registry defragmentation.\n"
                                       "Do you want to restart your system now?");
    ASSERT_NO_FATAL_FAILURE(Answer(restart, IDNO));
    for (int id : {IDC_DEFRAG_ANALYSE, IDC_DEFRAG_START, IDC_DEFRAG_BACK})
        EXPECT_FALSE(Usable(id)) << id;
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(m_page, IDC_DEFRAG_START)));
    EXPECT_FALSE(m_program.HasEnded());
}
