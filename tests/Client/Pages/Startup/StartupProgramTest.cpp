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

    int RowOf(const std::string& name, const char* status)
    {
        const Rows rows = ListRows(m_list);
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i][0] == name && rows[i][3] == status)
                return static_cast<int>(i);
        return -1;
    }

    // Selects the row of name and presses a button of the page; waits for
    // the list to be read again.
    void Act(const std::string& name, const char* status, int button)
    {
        const int row = RowOf(name, status);
        ASSERT_GE(row, 0) << name << " " << status;
        ASSERT_TRUE(ListSelectRow(m_list, row));
        SelectionWait wait{m_list, row};
        ASSERT_TRUE(WaitUntil(5000, &IsSelected, &wait));
        ASSERT_TRUE(ClickWhenUsable(m_window, button)) << "button " << button;
        // Every action reads the list afresh, which drops the selection.
        ASSERT_TRUE(WaitUntil(5000, [](void* c) { return !IsSelected(c); }, &wait));
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
    EXPECT_TRUE(SaveScreenshot(m_window, std::string("startup-page-") + TestEnv::Configuration()));

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
