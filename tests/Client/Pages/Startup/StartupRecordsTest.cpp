// The startup manager's data side in the test process: what it lists, and
// that every disable and enable keeps one whole copy of an item, also when
// a step fails on the way.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Client/Pages/StartupLocations.h"
#include "Client/Pages/StartupManager.h"
#include "Client/Pages/StartupRegistry.h"
#include "Framework/AnsiText.h"
#include "Framework/CHandle.h"
#include "StartupPlanting.h"
#include "support/TestRegistry.h"

using namespace StartupPlanting;
using StartupLocations::kRunKey;
using StartupLocations::kStartupFolderKey;
using StartupLocations::kStartupRegKey;

namespace
{
class StartupRecordsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ClearAll();
        m_folder = StartupFolder(false);
        m_pss = StartupLocations::PssFolder();
    }
    void TearDown() override { ClearAll(); }

    void Reload() { m_startup.Reload(); }

    // The row of the first entry that the predicate picks; -1 when none.
    int RegistryRow(const std::string& valueName, int isHklm, int disabled) const
    {
        const auto& entries = m_startup.RegistryEntries();
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].valueName == valueName && entries[i].isHklm == isHklm && entries[i].disabled == disabled)
                return static_cast<int>(i);
        return -1;
    }
    int FolderRow(const std::string& item, int disabled) const
    {
        const auto& entries = m_startup.FolderEntries();
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].item == item && entries[i].disabled == disabled)
                return static_cast<int>(m_startup.RegistryEntries().size() + i);
        return -1;
    }

    StartupManager m_startup;
    std::string m_folder;
    std::string m_pss;
};
}

TEST_F(StartupRecordsTest, ListsRunValuesAndVisibleFolderFiles)
{
    const std::string longName(300, 'N');
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Plain", "C:\\Tools\\plain.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, longName, "C:\\Tools\\long.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Zz after the long name", "C:\\Tools\\z.exe"));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kRunKey, "Empty", REG_SZ, ""));
    ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kRunKey, "Multi", REG_MULTI_SZ, std::string("a.exe\0\0b.exe\0\0", 14)));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, StartupLocations::kWow64RunKey, "Wow", "C:\\x86\\wow.exe"));
    ASSERT_TRUE(MakeShortcut(m_folder + "\\Tool.lnk", "C:\\windows\\notepad.exe", "/a"));
    ASSERT_TRUE(WriteBytes(m_folder + "\\desktop.ini", "[.ShellClassInfo]"));
    ::SetFileAttributesA((m_folder + "\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::CreateDirectoryA((m_folder + "\\Sub.dir").c_str(), nullptr);
    Reload();

    std::vector<std::string> names;
    for (const auto& entry : m_startup.RegistryEntries())
        names.push_back(entry.valueName + "=" + entry.command);
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = {"Multi=a.exe", "Multi=b.exe", "Plain=C:\\Tools\\plain.exe",
                                         longName + "=C:\\Tools\\long.exe", "Zz after the long name=C:\\Tools\\z.exe"};
    // The Run key of 32-bit programs, listed by either build on a 64-bit Windows.
    if (TestEnv::Is64BitWindows())
        expected.push_back("Wow=C:\\x86\\wow.exe");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(m_startup.RegistryEntryAt(RegistryRow("Multi", 1, 0))->keyPath, kRunKey);

    ASSERT_EQ(m_startup.FolderEntries().size(), 1u) << "hidden files and folders are not listed";
    const StartupFolderEntry* tool = m_startup.FolderEntryAt(FolderRow("Tool", 0));
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(AnsiText::ToLower(tool->command), "c:\\windows\\notepad.exe");
    EXPECT_EQ(tool->location, "Startup");
    EXPECT_EQ(tool->backup, m_pss + "Tool.lnkStartup");
    std::string key = m_folder + "\\Tool.lnk";
    std::replace(key.begin(), key.end(), '\\', '^');
    EXPECT_EQ(tool->key, key);
}

TEST_F(StartupRecordsTest, ProgramNameOfACommand)
{
    EXPECT_EQ(StartupRegistry::ExeNameFromCommand("\"C:\\Program Files\\App\\App.exe\" /min"), "App");
    EXPECT_EQ(StartupRegistry::ExeNameFromCommand("C:\\TOOLS\\SHOUT.EXE -q"), "SHOUT");
    EXPECT_EQ(StartupRegistry::ExeNameFromCommand("rundll32 shell32,Control_RunDLL"), "");
    EXPECT_EQ(StartupRegistry::ExeNameFromCommand("plain.exe"), "");

    // Without a program name the record's item is the value's own name.
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Panel", "rundll32 shell32,Control_RunDLL"));
    Reload();
    ASSERT_TRUE(m_startup.Disable(RegistryRow("Panel", 0, 0)));
    EXPECT_EQ(RecordText(kStartupRegKey, "Panel", "item"), "Panel");
    EXPECT_EQ(RecordText(kStartupRegKey, "Panel", "hkey"), "HKCU");
    EXPECT_EQ(RecordText(kStartupRegKey, "Panel", "inimapping"), "0");
}

TEST_F(StartupRecordsTest, DisabledValueComesBackWholeWithItsOwnType)
{
    const std::string longCommand = "\"%ProgramFiles%\\Long\\long.exe\" " + std::string(3000, 'a');
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kRunKey, "Expand", longCommand, REG_EXPAND_SZ));
    Value before;
    ASSERT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kRunKey, "Expand", before));
    Reload();
    ASSERT_TRUE(m_startup.Disable(RegistryRow("Expand", 1, 0)));
    EXPECT_TRUE(Values(HKEY_LOCAL_MACHINE, kRunKey).empty());
    EXPECT_EQ(RecordText(kStartupRegKey, "Expand", "item"), "long");

    Reload();
    const int row = RegistryRow("Expand", 1, 1);
    ASSERT_GE(row, 0);
    EXPECT_EQ(m_startup.RegistryEntryAt(row)->command, longCommand) << "read back whole";
    ASSERT_TRUE(m_startup.Enable(row));
    Value after;
    ASSERT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kRunKey, "Expand", after));
    EXPECT_EQ(after, before);
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), kStartupRegKey).empty());
}

TEST_F(StartupRecordsTest, RecordsWithoutATypeComeBackAsPlainStrings)
{
    // As Windows' own configuration tool writes them.
    const std::string record = std::string(kStartupRegKey) + "\\Old";
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, record, "item", "old"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, record, "command", "C:\\Old\\old.exe"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, record, "key", kRunKey));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, record, "hkey", "HKCU"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, record, "inimapping", "0"));
    Reload();
    ASSERT_TRUE(m_startup.Enable(RegistryRow("Old", 0, 1)));
    Value value;
    ASSERT_TRUE(GetValue(HKEY_CURRENT_USER, kRunKey, "Old", value));
    EXPECT_EQ(value, (Value{REG_SZ, std::string("C:\\Old\\old.exe") + '\0'}));
}

TEST_F(StartupRecordsTest, FailedStepsKeepTheRunValueOrItsRecord)
{
    // A record name longer than the registry allows cannot be written: the
    // value stays.
    const std::string longName(300, 'L');
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, longName, "C:\\l.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Gone", "C:\\gone.exe"));
    Reload();
    EXPECT_FALSE(m_startup.Disable(RegistryRow(longName, 0, 0)));
    EXPECT_TRUE(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, longName));
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), kStartupRegKey).empty());

    // A value that cannot be written back (its key is gone) keeps its record.
    ASSERT_TRUE(m_startup.Disable(RegistryRow("Gone", 0, 0)));
    ASSERT_TRUE(DeleteKey(HKEY_CURRENT_USER, kRunKey));
    Reload();
    EXPECT_FALSE(m_startup.Enable(RegistryRow("Gone", 0, 1)));
    Reload();
    EXPECT_GE(RegistryRow("Gone", 0, 1), 0);
}

TEST_F(StartupRecordsTest, ItemsSharingOneNameKeepRecordsOfTheirOwn)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Shared", "C:\\user\\shared.exe"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kRunKey, "Shared", "C:\\machine\\shared.exe", REG_EXPAND_SZ));
    const std::string multi("one.exe\0two.exe\0three.exe\0\0", 27);
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kRunKey, "Multi", REG_MULTI_SZ, multi));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "Back\\slash", "C:\\bs.exe"));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kRunKey, "", REG_SZ, std::string("C:\\default.exe") + '\0'));
    const auto userBefore = Values(HKEY_CURRENT_USER, kRunKey);
    const auto machineBefore = Values(HKEY_LOCAL_MACHINE, kRunKey);

    // One string of a list goes alone; the others stay in the value.
    Reload();
    ASSERT_TRUE(m_startup.Disable(RegistryRow("Multi", 0, 0)));
    Value rest;
    ASSERT_TRUE(GetValue(HKEY_CURRENT_USER, kRunKey, "Multi", rest));
    EXPECT_EQ(rest, (Value{REG_MULTI_SZ, std::string("two.exe\0three.exe\0\0", 19)}));

    Reload();
    m_startup.DisableAll();
    EXPECT_TRUE(Values(HKEY_CURRENT_USER, kRunKey).empty());
    EXPECT_TRUE(Values(HKEY_LOCAL_MACHINE, kRunKey).empty());
    EXPECT_EQ(Subkeys(StartupLocations::RecordRoot(), kStartupRegKey).size(), 7u);

    Reload();
    m_startup.EnableAll();
    EXPECT_EQ(Values(HKEY_CURRENT_USER, kRunKey), userBefore);
    EXPECT_EQ(Values(HKEY_LOCAL_MACHINE, kRunKey), machineBefore);
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), kStartupRegKey).empty());
}

TEST_F(StartupRecordsTest, FolderFileMovesOnlyWithItsWholeRecord)
{
    // The records key does not exist yet: it is made.
    DeleteKey(StartupLocations::RecordRoot(), kStartupFolderKey);
    ASSERT_TRUE(Subkeys(StartupLocations::RecordRoot(), StartupLocations::kConfigKey).empty());
    const std::string path = m_folder + "\\Run me.bat";
    ASSERT_TRUE(WriteBytes(path, "@echo off\r\n"));
    Reload();
    ASSERT_TRUE(m_startup.Disable(FolderRow("Run me", 0)));
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(ReadBytes(m_pss + "Run me.batStartup"), "@echo off\r\n");
    std::string key = path;
    std::replace(key.begin(), key.end(), '\\', '^');
    EXPECT_EQ(RecordText(kStartupFolderKey, key, "path"), path);
    EXPECT_EQ(RecordText(kStartupFolderKey, key, "backup"), m_pss + "Run me.batStartup");
    EXPECT_EQ(RecordText(kStartupFolderKey, key, "location"), "Startup");
    EXPECT_EQ(RecordText(kStartupFolderKey, key, "item"), "Run me");
    EXPECT_EQ(RecordText(kStartupFolderKey, key, "command"), path);

    // A path that Windows takes but that is too long for a record name:
    // the file stays.
    const std::string longItem(258 - m_folder.size() - 5, 'f');
    const std::string longPath = m_folder + "\\" + longItem + ".txt";
    ASSERT_TRUE(WriteBytes(longPath, "long"));
    // A file another program holds open cannot be moved: the record goes.
    const std::string busy = m_folder + "\\Busy.txt";
    ASSERT_TRUE(WriteBytes(busy, "busy"));
    // Whatever holds the copy's name, the copy gets a name of its own.
    const std::string blocked = m_folder + "\\Blocked.txt";
    ASSERT_TRUE(WriteBytes(blocked, "blocked"));
    ASSERT_TRUE(::CreateDirectoryA((m_pss + "Blocked.txtStartup").c_str(), nullptr));
    Reload();
    EXPECT_FALSE(m_startup.Disable(FolderRow(longItem, 0)));
    {
        CHandle held(::CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.IsValid());
        EXPECT_FALSE(m_startup.Disable(FolderRow("Busy", 0)));
        ASSERT_EQ(m_startup.Refusals().size(), 1u);
        EXPECT_EQ(m_startup.Refusals()[0].change, kStartupFailed);
    }
    EXPECT_TRUE(m_startup.Disable(FolderRow("Blocked", 0)));
    EXPECT_EQ(ReadBytes(m_pss + "Blocked.txtStartup (2)"), "blocked");
    ::RemoveDirectoryA((m_pss + "Blocked.txtStartup").c_str());
    EXPECT_EQ(ReadBytes(longPath), "long");
    EXPECT_EQ(ReadBytes(busy), "busy");
    EXPECT_EQ(Subkeys(StartupLocations::RecordRoot(), kStartupFolderKey).size(), 2u);
}

TEST_F(StartupRecordsTest, FolderRecordStaysUntilItsFileIsBack)
{
    const std::string path = m_folder + "\\Tool.txt";
    ASSERT_TRUE(WriteBytes(path, "tool"));
    Reload();
    ASSERT_TRUE(m_startup.Disable(FolderRow("Tool", 0)));

    // A file of that name came back meanwhile: neither is touched.
    ASSERT_TRUE(WriteBytes(path, "newer"));
    Reload();
    EXPECT_FALSE(m_startup.Disable(FolderRow("Tool", 0))) << "a second record of one file";
    EXPECT_FALSE(m_startup.Enable(FolderRow("Tool", 1)));
    EXPECT_EQ(ReadBytes(path), "newer");
    EXPECT_EQ(ReadBytes(m_pss + "Tool.txtStartup"), "tool");
    ASSERT_TRUE(::DeleteFileA(path.c_str()));

    // The folder is gone.
    const std::string away = m_folder + ".away";
    ASSERT_TRUE(::MoveFileA(m_folder.c_str(), away.c_str()));
    Reload();
    const int row = FolderRow("Tool", 1);
    ASSERT_GE(row, 0);
    EXPECT_FALSE(m_startup.Enable(row));
    EXPECT_EQ(ReadBytes(m_pss + "Tool.txtStartup"), "tool");
    ASSERT_TRUE(::MoveFileA(away.c_str(), m_folder.c_str()));

    // Once it can, the item comes back and its record goes.
    Reload();
    ASSERT_TRUE(m_startup.Enable(FolderRow("Tool", 1)));
    EXPECT_EQ(ReadBytes(path), "tool");
    EXPECT_FALSE(Exists(m_pss + "Tool.txtStartup"));
    EXPECT_TRUE(Subkeys(StartupLocations::RecordRoot(), kStartupFolderKey).empty());
}

TEST_F(StartupRecordsTest, EveryRefusedItemIsNamedOnceAndTheListStaysShort)
{
    // First in any order the registry lists them.
    const std::string longName = "Aaa" + std::string(200, 'N');
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kRunKey, longName, "C:\\long.exe"));
    for (int i = 0; i < 17; ++i)
        ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kRunKey, AnsiText::Format("Machine %02d", i), "C:\\m.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kRunKey, "User", "C:\\u.exe"));
    {
        TestEnv::KeyAccess runKey(HKEY_LOCAL_MACHINE, kRunKey, TestEnv::KeyAccess::kReadOnly,
                                  StartupLocations::kView);
        ASSERT_TRUE(runKey.Applied());
        Reload();
        m_startup.DisableAll();
    }
    ASSERT_EQ(m_startup.Refusals().size(), 18u);
    for (const auto& refusal : m_startup.Refusals())
    {
        EXPECT_EQ(refusal.location, "HKLM");
        EXPECT_EQ(refusal.change, kStartupDenied);
    }
    const std::string text = m_startup.RefusalText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 15) << text;
    EXPECT_NE(text.find("\"Machine 00\" (HKLM) could not be disabled: Windows refused the change"), std::string::npos);
    EXPECT_NE(text.find("\n... and 3 more."), std::string::npos) << text;
    EXPECT_EQ(text.find(longName), std::string::npos) << "a long name is cut";
    EXPECT_NE(text.find("\"" + longName.substr(0, 80) + "...\" (HKLM)"), std::string::npos) << text;
    EXPECT_EQ(Values(HKEY_LOCAL_MACHINE, kRunKey).size(), 18u);
    EXPECT_EQ(Subkeys(StartupLocations::RecordRoot(), kStartupRegKey), std::vector<std::string>{"User"});

    // The next action starts with no refusals of its own.
    Reload();
    EXPECT_TRUE(m_startup.Enable(RegistryRow("User", 0, 1)));
    EXPECT_TRUE(m_startup.Refusals().empty());
    EXPECT_EQ(m_startup.RefusalText(), "");
}
