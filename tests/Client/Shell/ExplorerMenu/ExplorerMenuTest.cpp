// The Explorer menu entries: made and removed when the settings are saved,
// with the program's own path; other verbs left alone; and the real program
// started by the entry's command as Explorer would start it; the settings
// page of the real program makes and removes them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/ExplorerContextMenu.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "Framework/ModulePath.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

// The program's application object, as the program itself has it.
CRegClientApp theApp;

namespace
{
const char* const kFileMenu = "*\\shell\\Quillomar";
const char* const kFolderMenu = "Folder\\shell\\Quillomar";

std::string DefaultValue(const std::string& key)
{
    HKEY opened = NULL;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return "(no key)";
    char value[1024] = {};
    DWORD size = sizeof(value) - 1;
    DWORD type = 0;
    const LONG result = ::RegQueryValueExA(opened, "", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(opened);
    if (result != ERROR_SUCCESS)
        return "(no value)";
    return type == REG_SZ ? std::string(value) : "(not text)";
}

bool HasKey(const std::string& key)
{
    return TestEnv::KeyExists(HKEY_CLASSES_ROOT, key);
}

// Apply on the settings page: the record's flag, then the store's save.
void ApplyContextMenuSetting(int on)
{
    theApp.m_settings.contextMenu = on;
    theApp.SaveSettings();
}

class ExplorerMenuTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // Verbs of other programs that must outlive ours.
        ASSERT_TRUE(TestEnv::SetString(HKEY_CLASSES_ROOT, "*\\shell\\ZTestViewer\\command", "", "viewer.exe \"%1\""));
        ASSERT_TRUE(TestEnv::SetString(HKEY_CLASSES_ROOT, "Folder\\shell\\ZTestBrowse", "", "Browse here"));
    }
    void TearDown() override
    {
        TestEnv::DeleteTree(HKEY_CLASSES_ROOT, "*\\shell\\ZTestViewer");
        TestEnv::DeleteTree(HKEY_CLASSES_ROOT, "Folder\\shell\\ZTestBrowse");
        TestEnv::DeleteTree(HKEY_CLASSES_ROOT, kFileMenu);
        TestEnv::DeleteTree(HKEY_CLASSES_ROOT, kFolderMenu);
    }
};

TEST_F(ExplorerMenuTest, ApplyWithTheSettingOnAddsBothEntriesAndOffRemovesThem)
{
    const std::string command = "\"" + ModulePath::FileName() + "\" \"%1\"";
    for (int round = 0; round < 2; ++round)
    {
        // Registering twice rewrites the same keys.
        ApplyContextMenuSetting(1);
        for (const std::string menu : {kFileMenu, kFolderMenu})
        {
            EXPECT_EQ(DefaultValue(menu), "Scan with Quillomar") << menu;
            EXPECT_EQ(DefaultValue(menu + "\\command"), command) << menu;
        }
    }

    ApplyContextMenuSetting(0);
    EXPECT_FALSE(HasKey(kFileMenu));
    EXPECT_FALSE(HasKey(kFolderMenu));
    EXPECT_EQ(DefaultValue("*\\shell\\ZTestViewer\\command"), "viewer.exe \"%1\"");
    EXPECT_EQ(DefaultValue("Folder\\shell\\ZTestBrowse"), "Browse here");
    EXPECT_TRUE(HasKey("*\\shell"));
    EXPECT_TRUE(HasKey("Folder\\shell"));
}

TEST_F(ExplorerMenuTest, UnregisteringLeavesNothingOfOursBehind)
{
    // A menu key whose command is gone would still show a dead entry.
    ASSERT_TRUE(TestEnv::SetString(HKEY_CLASSES_ROOT, kFileMenu, "", "Scan with Quillomar"));
    ExplorerContextMenu(HKEY_CLASSES_ROOT, "Quillomar", "C:\\q\\Quillomar.exe").Unregister();
    EXPECT_FALSE(HasKey(kFileMenu));

    // A key below ours that is not our command is not ours to delete.
    ASSERT_TRUE(TestEnv::SetString(HKEY_CLASSES_ROOT, std::string(kFolderMenu) + "\\command", "", "x"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_CLASSES_ROOT, std::string(kFolderMenu) + "\\ddeexec", "", "y"));
    ExplorerContextMenu(HKEY_CLASSES_ROOT, "Quillomar", "C:\\q\\Quillomar.exe").Unregister();
    EXPECT_FALSE(HasKey(std::string(kFolderMenu) + "\\command"));
    EXPECT_EQ(DefaultValue(std::string(kFolderMenu) + "\\ddeexec"), "y");
}

// Explorer replaces %1 with the chosen path and starts the command in a
// folder of its own choosing; the program opens as usual and keeps its
// files beside itself.
TEST(ExplorerMenuProgram, StartedFromTheEntryTheProgramOpensAsUsual)
{
    const std::string folder = ProgramDriver::MakeProgramFolder("explorer-menu");
    const std::string exe = folder + "Quillomar.exe";
    const std::string elsewhere = TestEnv::MakeScratchFolder("chosen by the user");
    const std::string file = elsewhere + "a file with blanks.txt";
    ASSERT_TRUE(TestEnv::WriteFile(file, "text"));
    const ExplorerContextMenu menu(HKEY_CLASSES_ROOT, "Quillomar", exe);

    for (const std::string& chosen : {file, elsewhere.substr(0, elsewhere.size() - 1)})
    {
        SCOPED_TRACE(chosen);
        std::string command = menu.CommandLine();
        command.replace(command.find("%1"), 2, chosen);
        ASSERT_EQ(command.substr(0, exe.size() + 3), "\"" + exe + "\" ");
        ProgramDriver::RunningProgram program;
        ASSERT_TRUE(program.Start(exe, command.substr(exe.size() + 3), elsewhere));
        const HWND window = program.WaitForMainWindow();
        ASSERT_NE(window, static_cast<HWND>(NULL));
        EXPECT_NE(ProgramDriver::WaitForUsable(window, IDC_HOME_BUTTON, 10000), static_cast<HWND>(NULL));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, IDC_SCAN_BUTTON))) << "the scan page is shown";
        ASSERT_TRUE(ProgramDriver::PressButton(window, IDC_CLOSE_BUTTON));
        DWORD code = 1;
        EXPECT_TRUE(program.WaitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
    }
    EXPECT_TRUE(TestEnv::FileExists(folder + "qmsettings.ini"));
    EXPECT_FALSE(TestEnv::FileExists(elsewhere + "qmsettings.ini"));
}
}

// The real program: the box on its settings page makes the entries, for
// files and folders, with the program's own path; closing the program while
// the page shows stores the box without Apply; leaving the page with the box
// cleared takes the entries away.
TEST(ExplorerMenuProgram, TheSettingsPageMakesTheEntriesAndTheyGoWhenTheBoxIsCleared)
{
    const std::string folder = ProgramDriver::MakeProgramFolder("explorer-menu-settings");
    const std::string exe = folder + "Quillomar.exe";
    const std::string ini = folder + "qmsettings.ini";
    const std::string command = "\"" + exe + "\" \"%1\"";
    TestEnv::DeleteTree(HKEY_CLASSES_ROOT, kFileMenu);
    TestEnv::DeleteTree(HKEY_CLASSES_ROOT, kFolderMenu);

    ProgramDriver::RunningProgram program;
    ASSERT_TRUE(program.Start(exe));
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, static_cast<HWND>(NULL));
    HWND page = ProgramDriver::ShowSettingsPage(window);
    ASSERT_NE(page, static_cast<HWND>(NULL));
    for (int id : {IDC_CONTEXT_MENU, IDC_AUTO_REPAIR})
        ASSERT_TRUE(ProgramDriver::ClickWhenUsable(page, id)) << id;
    ASSERT_TRUE(ProgramDriver::WaitFor(10000, [&] {
        return ::SendMessageA(::GetDlgItem(page, IDC_AUTO_REPAIR), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }));
    EXPECT_EQ(TestEnv::SettingsValue(ini, "ContextMenu"), "0") << "stored before the page was left";
    // Closed with the page on show and nothing applied.
    ASSERT_TRUE(ProgramDriver::ClickWhenUsable(window, IDC_CLOSE_BUTTON));
    DWORD code = 1;
    ASSERT_TRUE(program.WaitForExit(15000, &code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(TestEnv::SettingsValue(ini, "ContextMenu"), "1");
    EXPECT_EQ(TestEnv::SettingsValue(ini, "AutoRepair"), "1");
    for (const std::string menu : {kFileMenu, kFolderMenu})
    {
        EXPECT_EQ(DefaultValue(menu), "Scan with Quillomar") << menu;
        EXPECT_EQ(DefaultValue(menu + "\\command"), command) << menu;
    }

    ProgramDriver::RunningProgram again;
    ASSERT_TRUE(again.Start(exe));
    window = again.WaitForMainWindow();
    ASSERT_NE(window, static_cast<HWND>(NULL));
    page = ProgramDriver::ShowSettingsPage(window);
    ASSERT_NE(page, static_cast<HWND>(NULL));
    EXPECT_EQ(::SendMessageA(::GetDlgItem(page, IDC_CONTEXT_MENU), BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_TRUE(ProgramDriver::ClickWhenUsable(page, IDC_CONTEXT_MENU));
    ASSERT_TRUE(ProgramDriver::WaitFor(10000, [&] {
        return ::SendMessageA(::GetDlgItem(page, IDC_CONTEXT_MENU), BM_GETCHECK, 0, 0) == BST_UNCHECKED;
    }));
    EXPECT_TRUE(HasKey(kFileMenu)) << "removed before the page was left";
    // Leaving the page takes the entries away and then stores the box: the
    // one is done a moment before the other.
    ASSERT_TRUE(ProgramDriver::ClickWhenUsable(window, IDC_HOME_BUTTON));
    EXPECT_TRUE(ProgramDriver::WaitFor(10000, [] { return !HasKey(kFileMenu) && !HasKey(kFolderMenu); }))
        << "the entries stayed";
    EXPECT_TRUE(ProgramDriver::WaitFor(10000, [&] { return TestEnv::SettingsValue(ini, "ContextMenu") == "0"; }))
        << "the cleared box was not stored: ContextMenu=" << TestEnv::SettingsValue(ini, "ContextMenu");
    ASSERT_TRUE(ProgramDriver::ClickWhenUsable(window, IDC_CLOSE_BUTTON));
    EXPECT_TRUE(again.WaitForExit(15000, &code));
}
