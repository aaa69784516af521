// The backup page of the real Quillomar.exe, driven from this process as a
// user would: a full backup with its progress, restores and deletes of the
// files in the backup folder, and what the page says when a job fails or a
// file went away.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Client/Pages/BackupList.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/res/BackupResource.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ShellResource.h"
#include "Engine/BackupFolder.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;

namespace
{
const char kTreeKey[] = "Software\\QmBackupPage";

// A backup as the repair writes it before deleting a finding: the key of
// the finding with its value.
std::string RepairBackup(const std::string& key, const std::string& value)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n"
           "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Software\">\r\n"
           "    <k name=\"QmBackupPage\">\r\n     <k name=\"" +
           key + "\">\r\n      <v name=\"Target\" value=\"" + value +
           "\"/>\r\n     </k>\r\n    </k>\r\n   </k>\r\n  </k>\r\n </registry>\r\n";
}

// A whole backup (it ends as every backup does) that the reader refuses:
// the key in it has an attribute no writer makes.
std::string DamagedBackup()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n"
           "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Software\">\r\n"
           "    <k name=\"QmBackupPage\" odd=\"1\">\r\n    </k>\r\n   </k>\r\n  </k>\r\n </registry>\r\n";
}

// Whether the file ends with the end tag of a backup's root element (and
// nothing after it but line ends and blanks).
bool IsWholeBackup(const std::string& path)
{
    const std::string content = TestEnv::ReadFile(path);
    const size_t end = content.find_last_not_of(" \t\r\n");
    const std::string tag = "</registry>";
    return end != std::string::npos && end + 1 >= tag.size() &&
           content.compare(end + 1 - tag.size(), tag.size(), tag) == 0;
}

// Every file of the folder named as a backup that does not end as a whole
// backup does.
std::vector<std::string> CutOffBackups(const std::string& folder)
{
    std::vector<std::string> cut;
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((folder + "*.rbk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return cut;
    do
        if (!IsWholeBackup(folder + found.cFileName))
            cut.push_back(found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return cut;
}

class BackupPage : public testing::Test
{
protected:
    void SetUp() override
    {
        TestEnv::DeleteTree(HKEY_CURRENT_USER, kTreeKey);
        m_folder = MakeProgramFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
        // The machine-and-user subfolder is the same for every program of
        // this prefix; only the program's folder differs.
        const std::string subfolder = BackupFolder::MachineFolder().substr(BackupFolder::BaseFolder().size());
        m_backups = m_folder + "RegBackup\\" + subfolder + "\\";
    }
    void TearDown() override
    {
        if (m_window && !m_program.HasEnded())
        {
            PressButton(m_window, IDC_CLOSE_BUTTON);
            EXPECT_TRUE(m_program.WaitForExit(15000)) << "the program did not end";
        }
        TestEnv::DeleteTree(HKEY_CURRENT_USER, kTreeKey);
    }

    void Plant(const std::string& name, const std::string& content)
    {
        ::CreateDirectoryA((m_folder + "RegBackup").c_str(), nullptr);
        ::CreateDirectoryA(m_backups.c_str(), nullptr);
        ASSERT_TRUE(TestEnv::WriteFile(m_backups + name, content)) << name;
    }
    bool Exists(const std::string& name) const { return TestEnv::FileExists(m_backups + name); }

    void StartOnBackupPage()
    {
        ASSERT_TRUE(m_program.Start(m_folder + "Quillomar.exe"));
        m_window = m_program.WaitForMainWindow();
        ASSERT_NE(m_window, static_cast<HWND>(NULL));
        ASSERT_TRUE(ClickWhenUsable(m_window, IDC_BACKUP_BUTTON));
        m_list = WaitForUsable(m_window, IDC_BACKUP_LIST);
        ASSERT_NE(m_list, static_cast<HWND>(NULL)) << "the backup page did not show";
        m_page = ::GetParent(m_list);
    }

    // Switching away and back reloads the list.
    void ShowPageAgain()
    {
        ASSERT_TRUE(ClickWhenUsable(m_window, IDC_HOME_BUTTON));
        ASSERT_TRUE(ClickWhenUsable(m_window, IDC_BACKUP_BUTTON));
        ASSERT_NE(WaitForUsable(m_window, IDC_BACKUP_LIST), static_cast<HWND>(NULL));
    }

    std::vector<std::string> Titles() const
    {
        std::vector<std::string> titles;
        for (const auto& row : ListRows(m_list))
            titles.push_back(row.empty() ? std::string() : row[0]);
        return titles;
    }

    // Waits for the page's message, checks its caption and answers it.
    void ExpectMessage(const std::string& text, DWORD milliseconds = 30000)
    {
        const HWND box = WaitForMessageBoxWith(m_program.ProcessId(), text, milliseconds);
        ASSERT_NE(box, static_cast<HWND>(NULL)) << "no message saying: " << text;
        EXPECT_EQ(MessageBoxText(box), text);
        EXPECT_EQ(WindowText(box), "Quillomar");
        AnswerMessageBox(box, IDOK);
        for (int i = 0; i < 100 && ::IsWindow(box); ++i)
            ::Sleep(50);
    }

    // Plants a whole backup the reader refuses, restores it from the page and
    // waits for the parse error; NULL when it never came.
    HWND RestoreADamagedBackup()
    {
        Plant("01012020_101010_REGBACKUP.rbk", DamagedBackup());
        StartOnBackupPage();
        if (::testing::Test::HasFatalFailure() || !ListSelectRowAndWait(m_list, 0) ||
            !ClickWhenUsable(m_window, IDC_BACKUP_RESTORE))
            return NULL;
        return WaitForMessageBoxWith(m_program.ProcessId(), "Parse error in line", 60000);
    }

    // Closes the program as a user would: answers every box and asks again
    // while it refuses because a job runs. True when it ended.
    bool CloseAsAUserWould(DWORD milliseconds = 180000)
    {
        const DWORD start = ::GetTickCount();
        DWORD lastClose = 0;
        while (!m_program.WaitForExit(100))
        {
            if (::GetTickCount() - start > milliseconds)
                return false;
            if (const HWND box = WaitForMessageBoxOf(m_program.ProcessId(), 100))
            {
                AnswerMessageBox(box, IDOK);
                continue;
            }
            if (::GetTickCount() - lastClose > 2000)
            {
                PressButton(m_window, IDC_CLOSE_BUTTON);
                lastClose = ::GetTickCount();
            }
        }
        return true;
    }

    bool JobButtonsUsable() const
    {
        for (int id : {IDC_BACKUP_CREATE, IDC_BACKUP_RESTORE, IDC_BACKUP_DELETE})
            if (!IsUsable(::GetDlgItem(m_page, id)))
                return false;
        return true;
    }

    std::string m_folder;
    std::string m_backups;
    RunningProgram m_program;
    HWND m_window = NULL;
    HWND m_list = NULL;
    HWND m_page = NULL;
};
}

TEST_F(BackupPage, AFullBackupRunsWithItsProgressAndIsListedFirstBesideTheRepairsBackups)
{
    ASSERT_NO_FATAL_FAILURE(Plant("14022024_093000_REGBACKUP.rbk", RepairBackup("Old", "C:\\old.exe")));
    ASSERT_NO_FATAL_FAILURE(StartOnBackupPage());
    EXPECT_EQ(WindowText(FindVisibleControl(m_window, IDC_CAPTION_LABEL)), "BACKUP");
    EXPECT_EQ(WindowText(::GetDlgItem(m_page, IDC_BACKUP_DETAILS_LABEL)),
              "This will allow you to restore or remove registry backups, created during registry repair.");
    ASSERT_EQ(ListColumnCount(m_list), 2);
    ASSERT_EQ(Titles(), std::vector<std::string>{"14022024_093000_REGBACKUP"});
    EXPECT_TRUE(JobButtonsUsable());

    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_BACKUP_CREATE));
    const HWND box = WaitForMessageBoxWith(m_program.ProcessId(), "Backup successfully created.", 180000);
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "the full backup did not end";
    EXPECT_EQ(::SendMessageA(::GetDlgItem(m_page, IDC_BACKUP_PROGRESS), PBM_GETPOS, 0, 0), 100);
    EXPECT_TRUE(JobButtonsUsable());

    const auto rows = ListRows(m_list);
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0].size(), 2u);
    const std::string& made = rows[0][0];
    EXPECT_EQ(made.size(), std::string("DDMMYYYY_HHMMSS_FULL_REGBACKUP").size()) << made;
    EXPECT_NE(made.find("_FULL_REGBACKUP"), std::string::npos);
    EXPECT_TRUE(Exists(made + ".rbk"));
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    const std::string month = BackupList::FormatDate(now);
    EXPECT_EQ(rows[0][1].substr(0, month.find(' ')), month.substr(0, month.find(' '))) << rows[0][1];
    EXPECT_EQ(rows[1][0], "14022024_093000_REGBACKUP");
    EXPECT_FALSE(rows[1][1].empty());
    AnswerMessageBox(box, IDOK);
    for (int i = 0; i < 100 && ::IsWindow(box); ++i)
        ::Sleep(50);
    EXPECT_TRUE(SaveScreenshot(m_window, "backup-page"));
}

TEST_F(BackupPage, ARestoreBringsTheTreeBackAndConsumesOnlyTheFileItRestored)
{
    const std::string restored = std::string(kTreeKey) + "\\Restored";
    ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, restored, "Target", "C:\\gone.exe"));
    ASSERT_TRUE(TestEnv::DeleteTree(HKEY_CURRENT_USER, restored));
    ASSERT_NO_FATAL_FAILURE(Plant("01012020_101010_REGBACKUP.rbk", RepairBackup("Restored", "C:\\gone.exe")));
    ASSERT_NO_FATAL_FAILURE(Plant("02012021_101010_REGBACKUP.rbk", RepairBackup("Other", "C:\\other.exe")));
    ASSERT_NO_FATAL_FAILURE(StartOnBackupPage());
    ASSERT_EQ(Titles(), (std::vector<std::string>{"02012021_101010_REGBACKUP", "01012020_101010_REGBACKUP"}));
    ASSERT_TRUE(ListSelectRowAndWait(m_list, 1));
    // A backup made after the list was shown moves every row down when the
    // list is rebuilt, which it is as the restore starts.
    ASSERT_NO_FATAL_FAILURE(Plant("03012022_101010_REGBACKUP.rbk", RepairBackup("Newer", "C:\\newer.exe")));

    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_BACKUP_RESTORE));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("Backup successfully restored.", 60000));
    EXPECT_TRUE(TestEnv::ValueExists(HKEY_CURRENT_USER, restored, "Target"));
    EXPECT_FALSE(TestEnv::KeyExists(HKEY_CURRENT_USER, std::string(kTreeKey) + "\\Other"));
    EXPECT_FALSE(Exists("01012020_101010_REGBACKUP.rbk")) << "the restored file was not consumed";
    EXPECT_TRUE(Exists("02012021_101010_REGBACKUP.rbk"));
    EXPECT_TRUE(Exists("03012022_101010_REGBACKUP.rbk"));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"03012022_101010_REGBACKUP", "02012021_101010_REGBACKUP"}));
    EXPECT_TRUE(JobButtonsUsable());
}

TEST_F(BackupPage, DeleteRemovesOnlyTheChosenFileAndAFileGoneSinceListingIsSaidSo)
{
    ASSERT_NO_FATAL_FAILURE(Plant("01012020_101010_REGBACKUP.rbk", RepairBackup("A", "C:\\a.exe")));
    ASSERT_NO_FATAL_FAILURE(Plant("02012021_101010_FULL_REGBACKUP.rbk", RepairBackup("B", "C:\\b.exe")));
    ASSERT_NO_FATAL_FAILURE(StartOnBackupPage());
    ASSERT_EQ(ListRowCount(m_list), 2);

    // Nothing selected: both buttons only reload the list.
    for (int id : {IDC_BACKUP_DELETE, IDC_BACKUP_RESTORE})
    {
        ASSERT_TRUE(IsUsable(::GetDlgItem(m_page, id)));
        ASSERT_TRUE(ClickButton(m_page, id));
        EXPECT_EQ(ListRowCount(m_list), 2) << id;
    }
    EXPECT_TRUE(Exists("01012020_101010_REGBACKUP.rbk"));
    EXPECT_TRUE(Exists("02012021_101010_FULL_REGBACKUP.rbk"));

    ASSERT_TRUE(ListSelectRowAndWait(m_list, 1));
    ASSERT_TRUE(IsUsable(::GetDlgItem(m_page, IDC_BACKUP_DELETE)));
    ASSERT_TRUE(ClickButton(m_page, IDC_BACKUP_DELETE));
    EXPECT_FALSE(Exists("01012020_101010_REGBACKUP.rbk"));
    EXPECT_TRUE(Exists("02012021_101010_FULL_REGBACKUP.rbk"));
    EXPECT_EQ(Titles(), std::vector<std::string>{"02012021_101010_FULL_REGBACKUP"});

    // The file goes away behind the page's back: restore and delete say so
    // and the list is reloaded.
    ASSERT_TRUE(::DeleteFileA((m_backups + "02012021_101010_FULL_REGBACKUP.rbk").c_str()));
    ASSERT_TRUE(ListSelectRowAndWait(m_list, 0));
    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_BACKUP_RESTORE));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("The selected backup file no longer exists. The list has been reloaded."));
    EXPECT_EQ(ListRowCount(m_list), 0);

    ASSERT_NO_FATAL_FAILURE(Plant("03012022_101010_REGBACKUP.rbk", RepairBackup("C", "C:\\c.exe")));
    ASSERT_NO_FATAL_FAILURE(ShowPageAgain());
    ASSERT_EQ(Titles(), std::vector<std::string>{"03012022_101010_REGBACKUP"});
    ASSERT_TRUE(::DeleteFileA((m_backups + "03012022_101010_REGBACKUP.rbk").c_str()));
    ASSERT_TRUE(ListSelectRowAndWait(m_list, 0));
    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_BACKUP_DELETE));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("The selected backup file no longer exists. The list has been reloaded."));
    EXPECT_EQ(ListRowCount(m_list), 0);
    EXPECT_FALSE(TestEnv::KeyExists(HKEY_CURRENT_USER, kTreeKey)) << "a delete restored something";
}

TEST_F(BackupPage, AFailedRestoreKeepsItsFileAndAFailedBackupIsSaidToHaveFailed)
{
    // The engine's reader finds the fault; the page shows its message.
    const HWND parseError = RestoreADamagedBackup();
    ASSERT_NE(parseError, static_cast<HWND>(NULL));
    AnswerMessageBox(parseError, IDOK);
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("The registry restore failed. The backup file was kept.", 60000));
    EXPECT_TRUE(Exists("01012020_101010_REGBACKUP.rbk"));
    EXPECT_EQ(Titles(), std::vector<std::string>{"01012020_101010_REGBACKUP"});
    EXPECT_TRUE(JobButtonsUsable());

    // A file where the machine's backup folder should be: no backup can be made.
    ASSERT_TRUE(::DeleteFileA((m_backups + "01012020_101010_REGBACKUP.rbk").c_str()));
    ASSERT_TRUE(::RemoveDirectoryA(m_backups.substr(0, m_backups.size() - 1).c_str()));
    ASSERT_TRUE(TestEnv::WriteFile(m_backups.substr(0, m_backups.size() - 1), "in the way"));
    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_BACKUP_CREATE));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(
        "The registry backup failed. Please check that the program's folder can be written to.", 60000));
    EXPECT_TRUE(JobButtonsUsable());
}

TEST_F(BackupPage, AJobsMessageBelongsToTheMainWindowAndHoldsNoJobOpen)
{
    const HWND parseError = RestoreADamagedBackup();
    ASSERT_NE(parseError, static_cast<HWND>(NULL));
    EXPECT_EQ(MessageBoxText(parseError), "Parse error in line 5 : (Unknown attribute 'odd')");
    EXPECT_EQ(::GetWindow(parseError, GW_OWNER), m_window);

    // The job is over while its message is up: a close is not refused for a
    // running job, and the program ends once the messages are answered.
    ASSERT_TRUE(PressButton(m_window, IDC_CLOSE_BUTTON));
    EXPECT_EQ(WaitForMessageBoxWith(m_program.ProcessId(), "Please stop active operation", 2000),
              static_cast<HWND>(NULL));
    AnswerMessageBox(parseError, IDOK);
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("The registry restore failed. The backup file was kept."));
    EXPECT_TRUE(m_program.WaitForExit(15000)) << "the close was lost";
    EXPECT_TRUE(Exists("01012020_101010_REGBACKUP.rbk"));
}

TEST_F(BackupPage, AScanMayStartWhileAJobsMessageIsUp)
{
    const HWND parseError = RestoreADamagedBackup();
    ASSERT_NE(parseError, static_cast<HWND>(NULL));
    EXPECT_EQ(::GetWindow(parseError, GW_OWNER), m_window);
    // A scheduled scan asks the main window to scan; it is dropped while a
    // job runs. The restore is over, so the scan starts.
    ASSERT_TRUE(::PostMessageA(m_window, WM_INSTANCE_REQUEST, 1, 0));
    const HWND caption = FindControl(m_window, IDC_CAPTION_LABEL);
    EXPECT_TRUE(WaitFor(10000, [caption] { return WindowText(caption) == "SCANNING"; }))
        << "the scan did not start: " << WindowText(caption);
    AnswerMessageBox(parseError, IDOK);
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("The registry restore failed. The backup file was kept."));
    EXPECT_TRUE(WaitFor(240000, [this] { return IsUsable(FindVisibleControl(m_window, IDC_SHOW_RESULTS)); }))
        << "the scan did not end";
}

TEST_F(BackupPage, APartlyRestoredBackupNamesTheKeysItCouldNotWrite)
{
    const std::string closed = std::string(kTreeKey) + "\\Closed";
    ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, closed, "Target", "C:\\now.exe"));
    // A key the user may not open, as the machine's keys are to a user
    // without rights; the key beside it is written.
    const TestEnv::KeyAccess access(HKEY_CURRENT_USER, closed, TestEnv::KeyAccess::kClosed);
    ASSERT_TRUE(access.Applied());
    ASSERT_NO_FATAL_FAILURE(Plant("01012020_101010_REGBACKUP.rbk",
                                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n"
                                  "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Software\">\r\n"
                                  "    <k name=\"QmBackupPage\">\r\n"
                                  "     <k name=\"Closed\">\r\n      <v name=\"Target\" value=\"C:\\then.exe\"/>\r\n"
                                  "     </k>\r\n"
                                  "     <k name=\"Open\">\r\n      <v name=\"Target\" value=\"C:\\then.exe\"/>\r\n"
                                  "     </k>\r\n    </k>\r\n   </k>\r\n  </k>\r\n </registry>\r\n"));
    ASSERT_NO_FATAL_FAILURE(StartOnBackupPage());
    ASSERT_TRUE(ListSelectRowAndWait(m_list, 0));
    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_BACKUP_RESTORE));
    const HWND box = WaitForMessageBoxWith(m_program.ProcessId(), "partly restored", 60000);
    ASSERT_NE(box, static_cast<HWND>(NULL));
    EXPECT_EQ(MessageBoxText(box), "The registry was only partly restored. These keys could not be written:\n\n"
                                   "HKEY_CURRENT_USER\\Software\\QmBackupPage\\Closed\n\nThe backup file was kept.");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), m_window);
    AnswerMessageBox(box, IDOK);
    for (int i = 0; i < 100 && ::IsWindow(box); ++i)
        ::Sleep(50);
    // The file stays listed for another try.
    EXPECT_EQ(Titles(), std::vector<std::string>{"01012020_101010_REGBACKUP"});
    EXPECT_TRUE(SaveScreenshot(m_window, "backup-partly-restored"));
    EXPECT_TRUE(TestEnv::ValueExists(HKEY_CURRENT_USER, std::string(kTreeKey) + "\\Open", "Target"));
    EXPECT_TRUE(Exists("01012020_101010_REGBACKUP.rbk"));
}

TEST_F(BackupPage, ACutOffBackupIsListedRefusedWholeAndDeletable)
{
    // What an earlier version left when it ended during a backup: the key
    // chain begun, the value and the root's end never written.
    const std::string whole = RepairBackup("CutOff", "C:\\cut.exe");
    ASSERT_NO_FATAL_FAILURE(Plant("01012020_101010_REGBACKUP.rbk", whole.substr(0, whole.find("      <v "))));
    ASSERT_NO_FATAL_FAILURE(StartOnBackupPage());
    ASSERT_EQ(Titles(), std::vector<std::string>{"01012020_101010_REGBACKUP"});
    ASSERT_TRUE(ListSelectRowAndWait(m_list, 0));
    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_BACKUP_RESTORE));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("Parse error in line 6 : (Unexpected end of file)", 60000));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("The registry restore failed. The backup file was kept.", 60000));
    EXPECT_FALSE(TestEnv::KeyExists(HKEY_CURRENT_USER, kTreeKey)) << "a refused restore wrote keys";
    EXPECT_EQ(Titles(), std::vector<std::string>{"01012020_101010_REGBACKUP"});
    ASSERT_TRUE(ListSelectRowAndWait(m_list, 0));
    ASSERT_TRUE(IsUsable(::GetDlgItem(m_page, IDC_BACKUP_DELETE)));
    ASSERT_TRUE(ClickButton(m_page, IDC_BACKUP_DELETE));
    EXPECT_FALSE(Exists("01012020_101010_REGBACKUP.rbk"));
    EXPECT_EQ(ListRowCount(m_list), 0);
}

TEST_F(BackupPage, ABackupCutOffByTheProgramsEndIsNeverListed)
{
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        ASSERT_NO_FATAL_FAILURE(StartOnBackupPage());
        EXPECT_EQ(ListRowCount(m_list), 0) << "attempt " << attempt;
        ASSERT_TRUE(IsUsable(::GetDlgItem(m_page, IDC_BACKUP_CREATE)));
        // A Create click and a close, back to back: the program may end while
        // the backup starts or runs.
        ASSERT_TRUE(PressButton(m_page, IDC_BACKUP_CREATE));
        ASSERT_TRUE(PressButton(m_window, IDC_CLOSE_BUTTON));
        ASSERT_TRUE(CloseAsAUserWould()) << "attempt " << attempt;
        // A backup is named as one only once it is whole.
        EXPECT_EQ(CutOffBackups(m_backups), std::vector<std::string>()) << "attempt " << attempt;
        ASSERT_NO_FATAL_FAILURE(StartOnBackupPage());
        const std::vector<std::string> offered = Titles();
        EXPECT_LE(offered.size(), 1u) << "attempt " << attempt;
        ASSERT_TRUE(CloseAsAUserWould());
        // A backup that went through is removed, so that each attempt starts alike.
        for (const std::string& title : offered)
            ::DeleteFileA((m_backups + title + ".rbk").c_str());
    }
}
