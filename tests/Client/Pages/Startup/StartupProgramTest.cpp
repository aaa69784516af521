// The startup page of the real Quillomar.exe, driven from this process as a
// user would: what it lists, and that disabling and enabling everything
// gives every value and file back exactly.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "Client/Pages/StartupLocations.h"
#include "Client/res/ShellResource.h"
#include "Client/res/StartupResource.h"
#include "Framework/AnsiText.h"
#include "StartupPlanting.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;
using namespace StartupPlanting;
using StartupLocations::kRunKey;
using Rows = std::vector<std::vector<std::string>>;

namespace
{
struct RowsWait
{
    HWND list;
    bool (*done)(const Rows&);
    Rows rows;
};
bool RowsDone(void* context)
{
    RowsWait* wait = static_cast<RowsWait*>(context);
    wait->rows = ListRows(wait->list);
    return wait->done(wait->rows);
}

bool AllHaveStatus(const Rows& rows, const char* status)
{
    return !rows.empty() && std::all_of(rows.begin(), rows.end(), [status](const std::vector<std::string>& row) {
        return row.size() == 4 && row[3] == status;
    });
}

struct SelectionWait
{
    HWND list;
    int row;
};
bool IsSelected(void* context)
{
    const SelectionWait* wait = static_cast<const SelectionWait*>(context);
    return ListGetItemState(wait->list, wait->row, LVIS_SELECTED) != 0;
}

class StartupProgramTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ClearAll();
        // Dot-files are then listed like others; hidden ones are hidden by
        // their attribute.
        TestEnv::SetString(HKEY_CURRENT_USER, "Software\\Wine", "ShowDotFiles", "Y");
        m_user = StartupFolder(false);
        m_common = StartupFolder(true);
        m_pss = StartupLocations::PssFolder();
        m_exe = MakeProgramFolder(testing::UnitTest::GetInstance()->current_test_info()->name()) + "Quillomar.exe";
    }
    void TearDown() override
    {
        if (m_window && !m_program.HasEnded())
        {
            PressButton(m_window, IDC_CLOSE_BUTTON);
            EXPECT_TRUE(m_program.WaitForExit(15000));
        }
        ClearAll();
    }

    void OpenStartupPage()
    {
        ASSERT_TRUE(m_program.Start(m_exe));
        m_window = m_program.WaitForMainWindow();
        ASSERT_NE(m_window, static_cast<HWND>(NULL));
        ASSERT_TRUE(ClickWhenUsable(m_window, IDC_STARTUP_BUTTON));
        m_list = WaitForUsable(m_window, IDC_STARTUP_LIST);
        ASSERT_NE(m_list, static_cast<HWND>(NULL));
    }

    Rows WaitForRows(bool (*done)(const Rows&))
    {
        RowsWait wait{m_list, done, {}};
        EXPECT_TRUE(WaitUntil(10000, &RowsDone, &wait)) << "the list did not come to the expected state";
        return wait.rows;
    }

    // The first row of that name and status (and command, when given).
    int RowOf(const std::string& name, const char* status, const std::string& command = std::string())
    {
        const Rows rows = ListRows(m_list);
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i][0] == name && rows[i][3] == status && (command.empty() || rows[i][1] == command))
                return static_cast<int>(i);
        return -1;
    }

    // Selects the row of name and presses a button of the page; waits for
    // the list to be read again.
    void Act(const std::string& name, const char* status, int button, const std::string& command = std::string())
    {
        const int row = RowOf(name, status, command);
        ASSERT_GE(row, 0) << name << " " << status << " " << command;
        ASSERT_TRUE(ListSelectRow(m_list, row));
        SelectionWait wait{m_list, row};
        ASSERT_TRUE(WaitUntil(5000, &IsSelected, &wait));
        ASSERT_TRUE(ClickWhenUsable(m_window, button)) << "button " << button;
        // Every action reads the list afresh, which drops the selection.
        ASSERT_TRUE(WaitUntil(5000, [](void* c) { return !IsSelected(c); }, &wait));
    }

    // The page's message of the changes it could not make: its text, once
    // answered as a user would.
    std::string AnswerRefusal(const std::string& part)
    {
        const HWND box = WaitForMessageBoxWith(m_program.ProcessId(), part, 10000);
        EXPECT_NE(box, static_cast<HWND>(NULL)) << "no message tells: " << part;
        if (!box)
            return std::string();
        const std::string text = MessageBoxText(box);
        EXPECT_TRUE(AnswerMessageBox(box, IDOK));
        EXPECT_TRUE(WaitFor(5000, [box] { return !::IsWindow(box); }));
        return text;
    }

    // The page reads the list afresh whenever it is shown.
    void ShowPageAgain()
    {
        ASSERT_TRUE(ClickWhenUsable(m_window, IDC_HOME_BUTTON));
        ASSERT_TRUE(WaitFor(5000, [this] { return !::IsWindowVisible(m_list); }));
        ASSERT_TRUE(ClickWhenUsable(m_window, IDC_STARTUP_BUTTON));
        ASSERT_NE(WaitForUsable(m_window, IDC_STARTUP_LIST), static_cast<HWND>(NULL));
    }

    RunningProgram m_program;
    HWND m_window = NULL;
    HWND m_list = NULL;
    std::string m_user, m_common, m_pss, m_exe;
};
}

TEST_F(StartupProgramTest, ListsEverythingAndDisableAllThenEnableAllGivesItAllBack)
{
    const std::string longCommand = "C:\\Long\\long.exe " + std::string(1500, 'x');
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Plain", "C:\\Tools\\plain.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Quoted", "\"C:\\Program Files\\App\\App.exe\" /min /tray"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Expand", "%ProgramFiles%\\Exp\\exp.exe -x", REG_EXPAND_SZ));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Long", longCommand));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Name With Blanks", "C:\\b\\blanks.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Shared", "C:\\user\\shared.exe"));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kRunKey, "List", REG_MULTI_SZ, std::string("l1.exe\0l2.exe\0\0", 15)));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kRunKey, "Shared", "C:\\machine\\shared.exe"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, StartupLocations::kWow64RunKey, "Wow", "C:\\x86\\wow.exe"));
    ASSERT_TRUE(MakeShortcut(m_user + "\\Tool.lnk", "C:\\windows\\notepad.exe", "/a"));
    ASSERT_TRUE(WriteBytes(m_user + "\\start.bat", "@echo started\r\n"));
    ASSERT_TRUE(WriteBytes(m_user + "\\notes.txt", std::string("bytes\0kept", 10)));
    ASSERT_TRUE(WriteBytes(m_user + "\\.profile", "dot"));
    ASSERT_TRUE(WriteBytes(m_user + "\\desktop.ini", "[.ShellClassInfo]"));
    ::SetFileAttributesA((m_user + "\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(MakeShortcut(m_common + "\\Everyone.lnk", "C:\\windows\\regedit.exe", ""));
    const auto userValues = Values(HKEY_CURRENT_USER, kRunKey);
    const auto machineValues = Values(HKEY_LOCAL_MACHINE, kRunKey);
    const auto wowValues = Values(HKEY_LOCAL_MACHINE, StartupLocations::kWow64RunKey);
    const auto userFiles = Files(m_user);
    const auto commonFiles = Files(m_common);

    ASSERT_NO_FATAL_FAILURE(OpenStartupPage());
    Rows rows = ListRows(m_list);
    // Shortcut targets come in the case the shell gives them.
    for (auto& row : rows)
        if (row.size() == 4 && (row[0] == "Tool" || row[0] == "Everyone"))
            row[1] = AnsiText::ToLower(row[1]);
    std::sort(rows.begin(), rows.end());
    Rows expected = {
        {".profile", m_user + "\\.profile", "Startup", "Enabled"},
        {"Everyone", "c:\\windows\\regedit.exe", "Common Startup", "Enabled"},
        {"Expand", "%ProgramFiles%\\Exp\\exp.exe -x", "HKCU", "Enabled"},
        {"List", "l1.exe", "HKCU", "Enabled"},
        {"List", "l2.exe", "HKCU", "Enabled"},
        {"Long", longCommand, "HKCU", "Enabled"},
        {"Name With Blanks", "C:\\b\\blanks.exe", "HKCU", "Enabled"},
        {"Plain", "C:\\Tools\\plain.exe", "HKCU", "Enabled"},
        {"Quoted", "\"C:\\Program Files\\App\\App.exe\" /min /tray", "HKCU", "Enabled"},
        {"Shared", "C:\\machine\\shared.exe", "HKLM", "Enabled"},
        {"Shared", "C:\\user\\shared.exe", "HKCU", "Enabled"},
        {"Tool", "c:\\windows\\notepad.exe", "Startup", "Enabled"},
        {"notes", m_user + "\\notes.txt", "Startup", "Enabled"},
        {"start", m_user + "\\start.bat", "Startup", "Enabled"},
    };
    // The Run key of 32-bit programs, listed by either build on a 64-bit Windows.
    if (TestEnv::Is64BitWindows())
        expected.push_back({"Wow", "C:\\x86\\wow.exe", "HKLM", "Enabled"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rows, expected);
    EXPECT_TRUE(SaveScreenshot(m_window, "startup-page"));

    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_STARTUP_DISABLE_ALL));
    rows = WaitForRows([](const Rows& r) { return AllHaveStatus(r, "Disabled"); });
    EXPECT_EQ(rows.size(), expected.size());
    EXPECT_TRUE(Values(HKEY_CURRENT_USER, kRunKey).empty());
    EXPECT_TRUE(Values(HKEY_LOCAL_MACHINE, kRunKey).empty());
    EXPECT_EQ(Values(HKEY_LOCAL_MACHINE, StartupLocations::kWow64RunKey).empty(), TestEnv::Is64BitWindows());
    EXPECT_EQ(Files(m_user).size(), 1u) << "only the hidden file stays";
    EXPECT_EQ(Files(m_pss.substr(0, m_pss.size() - 1)).size(), 5u);

    ASSERT_TRUE(ClickWhenUsable(m_window, IDC_STARTUP_ENABLE_ALL));
    rows = WaitForRows([](const Rows& r) { return AllHaveStatus(r, "Enabled"); });
    EXPECT_EQ(rows.size(), expected.size());
    EXPECT_EQ(Values(HKEY_CURRENT_USER, kRunKey), userValues);
    EXPECT_EQ(Values(HKEY_LOCAL_MACHINE, kRunKey), machineValues);
    EXPECT_EQ(Values(HKEY_LOCAL_MACHINE, StartupLocations::kWow64RunKey), wowValues);
    EXPECT_EQ(Files(m_user), userFiles);
    EXPECT_EQ(Files(m_common), commonFiles);
    EXPECT_TRUE(Files(m_pss.substr(0, m_pss.size() - 1)).empty());
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), StartupLocations::kStartupRegKey).empty());
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), StartupLocations::kStartupFolderKey).empty());
}

TEST_F(StartupProgramTest, DisablesEnablesAndRemovesOneItem)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Solo", "C:\\solo\\solo.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Unwanted", "C:\\unwanted.exe"));
    const std::string file = m_user + "\\Helper.cmd";
    ASSERT_TRUE(WriteBytes(file, "helper"));
    ASSERT_NO_FATAL_FAILURE(OpenStartupPage());

    ASSERT_NO_FATAL_FAILURE(Act("Solo", "Enabled", IDC_STARTUP_DISABLE));
    EXPECT_GE(RowOf("Solo", "Disabled"), 0);
    EXPECT_FALSE(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, "Solo"));
    ASSERT_NO_FATAL_FAILURE(Act("Solo", "Disabled", IDC_STARTUP_ENABLE));
    EXPECT_GE(RowOf("Solo", "Enabled"), 0);
    EXPECT_TRUE(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, "Solo"));

    ASSERT_NO_FATAL_FAILURE(Act("Unwanted", "Enabled", IDC_STARTUP_REMOVE));
    EXPECT_EQ(RowOf("Unwanted", "Enabled"), -1);
    EXPECT_FALSE(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, "Unwanted"));
    ASSERT_NO_FATAL_FAILURE(Act("Solo", "Enabled", IDC_STARTUP_DISABLE));
    ASSERT_NO_FATAL_FAILURE(Act("Solo", "Disabled", IDC_STARTUP_REMOVE));
    EXPECT_EQ(ListRowCount(m_list), 1);
    EXPECT_FALSE(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, "Solo"));
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), StartupLocations::kStartupRegKey).empty());

    // A file of the disabled item's name comes back meanwhile: enabling
    // leaves both, and the item stays disabled.
    ASSERT_NO_FATAL_FAILURE(Act("Helper", "Enabled", IDC_STARTUP_DISABLE));
    const std::string copy = m_pss + "Helper.cmdStartup";
    EXPECT_EQ(ReadBytes(copy), "helper");
    ASSERT_TRUE(WriteBytes(file, "newer"));
    ASSERT_NO_FATAL_FAILURE(Act("Helper", "Disabled", IDC_STARTUP_ENABLE));
    AnswerRefusal("\"Helper\" (Startup) could not be enabled");
    EXPECT_GE(RowOf("Helper", "Disabled"), 0);
    EXPECT_EQ(ReadBytes(file), "newer");
    EXPECT_EQ(ReadBytes(copy), "helper");

    // Removing the disabled item deletes its copy, read-only or not.
    ::SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_NO_FATAL_FAILURE(Act("Helper", "Disabled", IDC_STARTUP_REMOVE));
    EXPECT_EQ(RowOf("Helper", "Disabled"), -1);
    EXPECT_FALSE(Exists(copy));
    EXPECT_EQ(ReadBytes(file), "newer");
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), StartupLocations::kStartupFolderKey).empty());

    ASSERT_NO_FATAL_FAILURE(Act("Helper", "Enabled", IDC_STARTUP_REMOVE));
    EXPECT_EQ(ListRowCount(m_list), 0);
    EXPECT_FALSE(Exists(file));
}

TEST_F(StartupProgramTest, Windows52ListsNoWow6432NodeKey)
{
    const char* const appDefaults = "Software\\Wine\\AppDefaults\\Quillomar.exe";
    ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, appDefaults, "Version", "win2003"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kRunKey, "Native", "C:\\native.exe"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, StartupLocations::kWow64RunKey, "Wow", "C:\\x86\\wow.exe"));
    OpenStartupPage();
    TestEnv::DeleteTree(HKEY_CURRENT_USER, appDefaults);
    ASSERT_FALSE(HasFatalFailure());
    const Rows rows = ListRows(m_list);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "Native");
}

// The records and "pss" are the machine's, the Startup folders each user's
// own: another user's disabled file of the same name keeps its copy.
TEST_F(StartupProgramTest, FilesOfOneNameInTwoUsersFoldersKeepCopiesOfTheirOwn)
{
    const std::string theirs = "C:\\users\\qmother\\Start Menu\\Programs\\Startup\\Tool.txt";
    std::string theirKey = theirs;
    std::replace(theirKey.begin(), theirKey.end(), '\\', '^');
    const std::string theirCopy = m_pss + "Tool.txtStartup";
    ::CreateDirectoryA(m_pss.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(theirCopy, "theirs"));
    const std::string theirRecord = std::string(StartupLocations::kStartupFolderKey) + "\\" + theirKey;
    const HKEY records = StartupLocations::RecordRoot();
    ASSERT_TRUE(SetText(records, theirRecord, "item", "Tool"));
    ASSERT_TRUE(SetText(records, theirRecord, "command", theirs));
    ASSERT_TRUE(SetText(records, theirRecord, "backup", theirCopy));
    ASSERT_TRUE(SetText(records, theirRecord, "location", "Startup"));
    ASSERT_TRUE(SetText(records, theirRecord, "path", theirs));
    const std::string mine = m_user + "\\Tool.txt";
    ASSERT_TRUE(WriteBytes(mine, "mine"));
    std::string myKey = mine;
    std::replace(myKey.begin(), myKey.end(), '\\', '^');

    ASSERT_NO_FATAL_FAILURE(OpenStartupPage());
    ASSERT_NO_FATAL_FAILURE(Act("Tool", "Enabled", IDC_STARTUP_DISABLE));
    EXPECT_FALSE(Exists(mine));
    EXPECT_EQ(ReadBytes(theirCopy), "theirs");
    const std::string myCopy = RecordText(StartupLocations::kStartupFolderKey, myKey, "backup");
    EXPECT_NE(AnsiText::ToLower(myCopy), AnsiText::ToLower(theirCopy));
    EXPECT_EQ(ReadBytes(myCopy), "mine");
    EXPECT_EQ(Subkeys(records, StartupLocations::kStartupFolderKey).size(), 2u);

    ASSERT_NO_FATAL_FAILURE(Act("Tool", "Disabled", IDC_STARTUP_ENABLE, mine));
    EXPECT_EQ(ReadBytes(mine), "mine");
    EXPECT_FALSE(Exists(myCopy));
    EXPECT_EQ(ReadBytes(theirCopy), "theirs");
    EXPECT_EQ(RecordText(StartupLocations::kStartupFolderKey, theirKey, "backup"), theirCopy);
    EXPECT_GE(RowOf("Tool", "Disabled", theirs), 0);
    EXPECT_GE(RowOf("Tool", "Enabled", mine), 0);
}

// A program that registered itself again after it was disabled keeps its new
// value, and the record stays until the user removes one of the two.
TEST_F(StartupProgramTest, EnableNeverWritesOverAValueThatCameBack)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Solo", "C:\\old\\solo.exe"));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kRunKey, "List", REG_MULTI_SZ, std::string("a.exe\0b.exe\0\0", 13)));
    ASSERT_NO_FATAL_FAILURE(OpenStartupPage());
    ASSERT_NO_FATAL_FAILURE(Act("Solo", "Enabled", IDC_STARTUP_DISABLE));
    ASSERT_NO_FATAL_FAILURE(Act("List", "Enabled", IDC_STARTUP_DISABLE, "a.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Solo", "C:\\new\\solo.exe"));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kRunKey, "List", REG_MULTI_SZ, std::string("a.exe\0b.exe\0\0", 13)));

    ASSERT_NO_FATAL_FAILURE(Act("Solo", "Disabled", IDC_STARTUP_ENABLE));
    const std::string text = AnswerRefusal("\"Solo\" (HKCU) could not be enabled");
    EXPECT_NE(text.find("holds a value of that name again"), std::string::npos) << text;
    Value value;
    ASSERT_TRUE(GetValue(HKEY_CURRENT_USER, kRunKey, "Solo", value));
    EXPECT_EQ(value.data, std::string("C:\\new\\solo.exe") + '\0');
    // A list that holds the string again is not given it twice.
    ASSERT_NO_FATAL_FAILURE(Act("List", "Disabled", IDC_STARTUP_ENABLE, "a.exe"));
    AnswerRefusal("\"List\" (HKCU) could not be enabled");
    ASSERT_TRUE(GetValue(HKEY_CURRENT_USER, kRunKey, "List", value));
    EXPECT_EQ(value.data, std::string("a.exe\0b.exe\0\0", 13));
    EXPECT_EQ(Subkeys(StartupLocations::RecordRoot(), StartupLocations::kStartupRegKey).size(), 2u);
    EXPECT_GE(RowOf("Solo", "Enabled", "C:\\new\\solo.exe"), 0);
    EXPECT_GE(RowOf("Solo", "Disabled", "C:\\old\\solo.exe"), 0);

    // Remove clears the record; the live value stays.
    ASSERT_NO_FATAL_FAILURE(Act("Solo", "Disabled", IDC_STARTUP_REMOVE));
    EXPECT_EQ(RowOf("Solo", "Disabled"), -1);
    ASSERT_TRUE(GetValue(HKEY_CURRENT_USER, kRunKey, "Solo", value));
    EXPECT_EQ(value.data, std::string("C:\\new\\solo.exe") + '\0');
}

// A file that came back while its record exists can be neither disabled
// nor enabled: the user is told why, and Remove clears the old item.
TEST_F(StartupProgramTest, ARecreatedFileIsExplainedAndRemoveClearsIt)
{
    const std::string file = m_user + "\\Helper.cmd";
    ASSERT_TRUE(WriteBytes(file, "helper"));
    ASSERT_NO_FATAL_FAILURE(OpenStartupPage());
    ASSERT_NO_FATAL_FAILURE(Act("Helper", "Enabled", IDC_STARTUP_DISABLE));
    ASSERT_TRUE(WriteBytes(file, "newer"));
    ASSERT_NO_FATAL_FAILURE(ShowPageAgain());

    ASSERT_NO_FATAL_FAILURE(Act("Helper", "Enabled", IDC_STARTUP_DISABLE));
    std::string text = AnswerRefusal("\"Helper\" (Startup) could not be disabled");
    EXPECT_NE(text.find("a disabled copy of it is kept already"), std::string::npos) << text;
    ASSERT_NO_FATAL_FAILURE(Act("Helper", "Disabled", IDC_STARTUP_ENABLE));
    text = AnswerRefusal("\"Helper\" (Startup) could not be enabled");
    EXPECT_NE(text.find("a file of that name is in its Startup folder again"), std::string::npos) << text;
    EXPECT_EQ(ReadBytes(file), "newer");
    EXPECT_EQ(ReadBytes(m_pss + "Helper.cmdStartup"), "helper");

    ASSERT_NO_FATAL_FAILURE(Act("Helper", "Disabled", IDC_STARTUP_REMOVE));
    EXPECT_FALSE(Exists(m_pss + "Helper.cmdStartup"));
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), StartupLocations::kStartupFolderKey).empty());
    ASSERT_NO_FATAL_FAILURE(Act("Helper", "Enabled", IDC_STARTUP_DISABLE));
    EXPECT_EQ(ReadBytes(m_pss + "Helper.cmdStartup"), "newer");
    EXPECT_GE(RowOf("Helper", "Disabled"), 0);
}

// A user without rights to HKLM's Run key and to the records of folder
// files: each item that cannot be changed is named, and none is half-done.
TEST_F(StartupProgramTest, RefusedWritesAreToldAndLeaveNothingHalfDone)
{
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kRunKey, "Machine", "C:\\machine\\m.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "User", "C:\\user\\u.exe"));
    ASSERT_TRUE(WriteBytes(m_common + "\\Everyone.txt", "common"));
    ASSERT_TRUE(CreateKey(StartupLocations::RecordRoot(), StartupLocations::kStartupFolderKey));
    const std::string machineBefore = Values(HKEY_LOCAL_MACHINE, kRunKey)["Machine"].data;
    {
        TestEnv::KeyAccess runKey(HKEY_LOCAL_MACHINE, kRunKey, TestEnv::KeyAccess::kReadOnly,
                                  StartupLocations::kView);
        TestEnv::KeyAccess folderRecords(StartupLocations::RecordRoot(), StartupLocations::kStartupFolderKey,
                                         TestEnv::KeyAccess::kReadOnly, StartupLocations::kView);
        ASSERT_TRUE(runKey.Applied() && folderRecords.Applied());
        ASSERT_NO_FATAL_FAILURE(OpenStartupPage());
        ASSERT_TRUE(ClickWhenUsable(m_window, IDC_STARTUP_DISABLE_ALL));
        const std::string text = AnswerRefusal("could not be disabled");
        EXPECT_TRUE(SaveScreenshot(m_window, "startup-refused"));
        EXPECT_NE(text.find("\"Machine\" (HKLM) could not be disabled: Windows refused the change"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("\"Everyone\" (Common Startup) could not be disabled"), std::string::npos) << text;
        EXPECT_EQ(text.find("\"User\""), std::string::npos) << text;
    }
    EXPECT_EQ(Values(HKEY_LOCAL_MACHINE, kRunKey)["Machine"].data, machineBefore);
    EXPECT_FALSE(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, "User"));
    EXPECT_EQ(Subkeys(StartupLocations::RecordRoot(), StartupLocations::kStartupRegKey),
              std::vector<std::string>{"User"});
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), StartupLocations::kStartupFolderKey).empty());
    EXPECT_EQ(ReadBytes(m_common + "\\Everyone.txt"), "common");
    EXPECT_TRUE(Files(m_pss.substr(0, m_pss.size() - 1)).empty());
    EXPECT_GE(RowOf("Machine", "Enabled"), 0);
    EXPECT_GE(RowOf("Everyone", "Enabled"), 0);

    // A record that Windows refuses to delete (a key that holds another):
    // the value it gave back goes again, so the item is never there twice.
    const std::string userRecord = std::string(StartupLocations::kStartupRegKey) + "\\User";
    ASSERT_TRUE(CreateKey(StartupLocations::RecordRoot(), userRecord + "\\Held"));
    ASSERT_NO_FATAL_FAILURE(Act("User", "Disabled", IDC_STARTUP_ENABLE));
    AnswerRefusal("\"User\" (HKCU) could not be enabled: Windows refused the change");
    EXPECT_FALSE(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, "User"));
    EXPECT_GE(RowOf("User", "Disabled"), 0);
    EXPECT_EQ(RowOf("User", "Enabled"), -1);
    ASSERT_TRUE(DeleteKey(StartupLocations::RecordRoot(), userRecord + "\\Held"));
    ASSERT_NO_FATAL_FAILURE(Act("User", "Disabled", IDC_STARTUP_ENABLE));
    EXPECT_TRUE(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, "User"));
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), StartupLocations::kStartupRegKey).empty());
}
