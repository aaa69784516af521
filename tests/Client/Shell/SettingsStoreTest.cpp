// The settings store in both of its homes: the INI file beside the program
// and the values under HKEY_LOCAL_MACHINE "Software\Quillomar".
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Client/Shell/IniDocument.h"
#include "Client/Shell/SettingsStore.h"
#include "Framework/CHandle.h"
#include "Framework/CRegKey.h"
#include "support/TestRegistry.h"

namespace
{
const char* const kKey = "Software\\Quillomar";

std::string ReadFileText(const std::string& path)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr));
    if (!file)
        return "<missing>";
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got)
        text.append(buffer, got);
    return text;
}

// One program run: a fresh application record and document, as at start-up.
class SettingsRun
{
public:
    explicit SettingsRun(const SettingsLocation& location) : store(record, document, location)
    {
        store.onContextMenu = [this](bool present) { contextMenuCalls.push_back(present); };
        store.onLastScanStored = [this](const std::string& text) { shownLastScan.push_back(text); };
    }

    SettingsRecord record;
    IniDocument document;
    SettingsStore store;
    std::vector<bool> contextMenuCalls;
    std::vector<std::string> shownLastScan;
};

class IniSettings : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        m_location.portable = TRUE;
        m_location.iniPath = TestEnv::MakeScratchFolder("ini-" + name) + "qmsettings.ini";
        ::SetFileAttributesA(m_location.iniPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(m_location.iniPath.c_str());
    }

    void WriteIni(const std::string& settingsLines)
    {
        ASSERT_TRUE(TestEnv::WriteFile(m_location.iniPath, "[SETTINGS]\r\n" + settingsLines));
    }
    std::string FileText() const { return ReadFileText(m_location.iniPath); }
    // The value the file holds after a run, read by a fresh document.
    std::string Stored(const std::string& key) const
    {
        IniDocument doc;
        doc.Load(m_location.iniPath, false);
        return doc.GetValue("SETTINGS", key);
    }

    SettingsLocation m_location;
};

const char* const kDefaultFile =
    "[SETTINGS]\r\n"
    "AutoRepair=0\r\n"
    "AutoRestartSystem=0\r\n"
    "AutoShutdown=0\r\n"
    "AutoShutdownSystem=0\r\n"
    "ContextMenu=0\r\n"
    "FirstRun=0\r\n"
    "LastScan=Never\r\n"
    "LogScanSummary=0\r\n"
    "RestorePoint=0\r\n"
    "RunCount=1\r\n"
    "SoftwareUpdate=0\r\n";
}

TEST_F(IniSettings, FirstRunWritesEveryKeyWithItsDefaultInTheDocumentsOrder)
{
    SettingsRun run(m_location);
    run.store.Load();
    EXPECT_EQ(FileText(), kDefaultFile);
    EXPECT_EQ(run.record.firstRun, 1);
    EXPECT_EQ(run.record.runCount, 1u);
    EXPECT_EQ(run.record.lastScan, "Never");
    EXPECT_EQ(run.record.contextMenu, 0);
    EXPECT_TRUE(run.contextMenuCalls.empty()) << "a load leaves the Explorer entries alone";
}

TEST_F(IniSettings, SecondRunIsNoFirstRunAndCountsOn)
{
    SettingsRun(m_location).store.Load();
    SettingsRun second(m_location);
    second.store.Load();
    EXPECT_EQ(second.record.firstRun, 0);
    EXPECT_EQ(second.record.runCount, 2u);
    EXPECT_EQ(Stored("RunCount"), "2");
}

TEST_F(IniSettings, RunCountsThatAreNoPositiveNumberStartAgainAtOne)
{
    struct Case
    {
        const char* stored;
        DWORD loaded;
        const char* written;
    };
    const Case cases[] = {{"5", 6, "6"},     {" 7 ", 8, "8"},  {"0", 1, "1"},     {"", 1, "1"},
                          {"   ", 1, "1"},   {"abc", 1, "1"},  {"-6", 1, "1"},    {"12abc", 13, "13"},
                          {"-7", 4294967290u, "-6"}};
    for (const Case& c : cases)
    {
        WriteIni(std::string("RunCount=") + c.stored + "\r\n");
        SettingsRun run(m_location);
        run.store.Load();
        EXPECT_EQ(run.record.runCount, c.loaded) << "stored \"" << c.stored << "\"";
        EXPECT_EQ(Stored("RunCount"), c.written) << "stored \"" << c.stored << "\"";
    }
}

TEST_F(IniSettings, AFlagIsOnOnlyForExactlyOneAndAnythingElseIsRewrittenAsZero)
{
    WriteIni("AutoRepair=2\r\nRestorePoint= 1\r\nSoftwareUpdate=1 \r\nLogScanSummary=\r\n"
             "AutoShutdown=yes\r\nAutoShutdownSystem=1\r\nAutoRestartSystem=-1\r\nContextMenu=1\r\n");
    SettingsRun run(m_location);
    run.store.Load();
    EXPECT_EQ(run.record.autoRepair, 0);
    EXPECT_EQ(run.record.restorePoint, 0);
    EXPECT_EQ(run.record.softwareUpdate, 0);
    EXPECT_EQ(run.record.logScanSummary, 0);
    EXPECT_EQ(run.record.autoShutdown, 0);
    EXPECT_EQ(run.record.autoShutdownSystem, 1);
    EXPECT_EQ(run.record.autoRestartSystem, 0);
    EXPECT_EQ(run.record.contextMenu, 1);
    for (const char* key : {"AutoRepair", "RestorePoint", "SoftwareUpdate", "LogScanSummary", "AutoShutdown",
                            "AutoRestartSystem"})
        EXPECT_EQ(Stored(key), "0") << key;
    EXPECT_EQ(Stored("AutoShutdownSystem"), "1");
    EXPECT_EQ(Stored("ContextMenu"), "1");
}

TEST_F(IniSettings, TheExplorerMenuFlagSurvivesLoadAndSave)
{
    WriteIni("ContextMenu=1\r\n");
    SettingsRun run(m_location);
    run.store.Load();
    ASSERT_EQ(run.record.contextMenu, 1);
    run.store.Save();
    EXPECT_EQ(Stored("ContextMenu"), "1");
    EXPECT_EQ(run.contextMenuCalls, std::vector<bool>{true});
}

TEST_F(IniSettings, LastScanIsTrimmedAndBlanksReadAsNever)
{
    WriteIni("LastScan=  3 May 2024, 09:15AM \t\r\n");
    SettingsRun dated(m_location);
    dated.store.Load();
    EXPECT_EQ(dated.record.lastScan, "3 May 2024, 09:15AM");

    WriteIni("LastScan=   \r\n");
    SettingsRun blank(m_location);
    blank.store.Load();
    EXPECT_EQ(blank.record.lastScan, "Never");
}

TEST_F(IniSettings, GoodValuesAndForeignKeysSurviveALoad)
{
    ASSERT_TRUE(TestEnv::WriteFile(m_location.iniPath,
                                   "[Other]\r\nkeep=me\r\n"
                                   "[settings]\r\nAutoRepair=1\r\nAutoRestartSystem=1\r\nAutoShutdown=1\r\n"
                                   "AutoShutdownSystem=1\r\nContextMenu=1\r\nFirstRun=0\r\nLastActXErr=5\r\n"
                                   "LastScan=1 June 2024, 10:00AM\r\nLastSelectedScanTypes=16384\r\n"
                                   "LogScanSummary=1\r\nRestorePoint=1\r\nRunCount=41\r\nSoftwareUpdate=1\r\n"));
    SettingsRun run(m_location);
    run.store.Load();
    EXPECT_EQ(FileText(), "[Other]\r\nkeep=me\r\n"
                          "[settings]\r\nAutoRepair=1\r\nAutoRestartSystem=1\r\nAutoShutdown=1\r\n"
                          "AutoShutdownSystem=1\r\nContextMenu=1\r\nFirstRun=0\r\nLastActXErr=5\r\n"
                          "LastScan=1 June 2024, 10:00AM\r\nLastSelectedScanTypes=16384\r\n"
                          "LogScanSummary=1\r\nRestorePoint=1\r\nRunCount=42\r\nSoftwareUpdate=1\r\n");
    const SettingsRecord& r = run.record;
    EXPECT_EQ(r.autoRepair + r.autoRestartSystem + r.autoShutdown + r.autoShutdownSystem + r.contextMenu +
                  r.logScanSummary + r.restorePoint + r.softwareUpdate,
              8);
    EXPECT_EQ(r.firstRun, 0);
    EXPECT_EQ(r.runCount, 42u);
    EXPECT_EQ(r.lastScan, "1 June 2024, 10:00AM");
}

TEST_F(IniSettings, AFileWithoutSettingsLoadsAsEmptyAndIsRewrittenWithDefaults)
{
    ASSERT_TRUE(TestEnv::WriteFile(m_location.iniPath, std::string("\x01\xff\x00garbage\x00\r\n\x7f", 14)));
    SettingsRun run(m_location);
    run.store.Load();
    EXPECT_EQ(run.record.firstRun, 1);
    EXPECT_EQ(run.record.runCount, 1u);
    EXPECT_EQ(FileText(), kDefaultFile);
}

TEST_F(IniSettings, AFileThatCannotBeOpenedIsNeitherReadNorLost)
{
    WriteIni("RunCount=9\r\nAutoRepair=1\r\n");
    SettingsRun before(m_location);
    before.store.Load();
    ASSERT_EQ(before.record.runCount, 10u);
    const std::string saved = FileText();

    CHandle locked(::CreateFileA(m_location.iniPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 0, nullptr));
    ASSERT_TRUE(locked.IsValid());
    SettingsRun run(m_location);
    run.store.Load();
    EXPECT_EQ(run.record.runCount, 1u);
    EXPECT_EQ(run.record.autoRepair, 0);
    // The same store loading again keeps what its document already held.
    before.store.Load();
    EXPECT_EQ(before.record.autoRepair, 1);
    EXPECT_EQ(before.record.runCount, 11u);
    locked.Close();
    EXPECT_EQ(FileText(), saved);
}

TEST_F(IniSettings, SaveWritesTheOptionsOnlyAndKeepsCountsAndDate)
{
    SettingsRun run(m_location);
    run.store.Load();
    run.record.autoRepair = 1;
    run.record.contextMenu = 1;
    run.record.autoRestartSystem = 1;
    run.record.runCount = 77;
    run.record.lastScan = "changed";
    run.store.Save();
    EXPECT_EQ(FileText(), "[SETTINGS]\r\nAutoRepair=1\r\nAutoRestartSystem=1\r\nAutoShutdown=0\r\n"
                          "AutoShutdownSystem=0\r\nContextMenu=1\r\nFirstRun=0\r\nLastScan=Never\r\n"
                          "LogScanSummary=0\r\nRestorePoint=0\r\nRunCount=1\r\nSoftwareUpdate=0\r\n");
    run.record.contextMenu = 0;
    run.store.Save();
    EXPECT_EQ(run.contextMenuCalls, (std::vector<bool>{true, false}));
}

// A save that cannot be written whole keeps the file as it was and says so,
// for the settings page to tell.
TEST_F(IniSettings, ASaveThatCannotBeWrittenKeepsTheFileAndSaysSo)
{
    SettingsRun run(m_location);
    run.store.Load();
    ASSERT_TRUE(run.store.Save());
    const std::string saved = FileText();
    {
        // Another program reads the file and lets nobody write it or take it
        // away.
        CHandle held(::CreateFileA(m_location.iniPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   0, nullptr));
        ASSERT_TRUE(held.IsValid());
        run.record.autoRepair = 1;
        EXPECT_FALSE(run.store.Save());
        EXPECT_FALSE(run.store.SaveLastScan("14 July 2024, 08:05PM"));
        EXPECT_EQ(FileText(), saved);
    }
    EXPECT_TRUE(run.store.Save());
    EXPECT_EQ(Stored("AutoRepair"), "1");
    EXPECT_EQ(Stored("LastScan"), "14 July 2024, 08:05PM");
}

TEST_F(IniSettings, LastScanIsStoredTrimmedAndShownAndBlankTextIsRefused)
{
    SettingsRun run(m_location);
    run.store.Load();
    run.store.SaveLastScan("   ");
    EXPECT_EQ(run.record.lastScan, "Never");
    EXPECT_TRUE(run.shownLastScan.empty());
    run.store.SaveLastScan(" 14 July 2024, 08:05PM ");
    EXPECT_EQ(run.record.lastScan, "14 July 2024, 08:05PM");
    EXPECT_EQ(run.shownLastScan, std::vector<std::string>{"14 July 2024, 08:05PM"});
    EXPECT_EQ(Stored("LastScan"), "14 July 2024, 08:05PM");
}

TEST(IniSettingsHelpers, FlagDigitsAndEmptyCounts)
{
    EXPECT_STREQ(FlagToDigit(0), "0");
    EXPECT_STREQ(FlagToDigit(1), "1");
    EXPECT_STREQ(FlagToDigit(-3), "1");
    EXPECT_EQ(IniValueOrZero(" \t "), "0");
    EXPECT_EQ(IniValueOrZero(" 12 "), "12");
}

// ---- The registry home ----

namespace
{
class RegistrySettings : public testing::Test
{
protected:
    void SetUp() override
    {
        TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, kKey);
        TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, "Software\\Kestrune");
        m_location.portable = FALSE;
    }
    void TearDown() override { TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, kKey); }

    static void SetDword(const char* name, DWORD value)
    {
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kKey, KEY_SET_VALUE), ERROR_SUCCESS);
        ASSERT_EQ(key.SetDword(name, value), ERROR_SUCCESS);
    }
    static void SetText(const char* name, const std::string& text)
    {
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kKey, name, text));
    }
    // The stored type and bytes of one value.
    static bool Query(const char* name, DWORD& type, std::string& data)
    {
        CRegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kKey, KEY_QUERY_VALUE) != ERROR_SUCCESS)
            return false;
        char buffer[1024];
        DWORD size = sizeof(buffer);
        if (::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS)
            return false;
        data.assign(buffer, size);
        return true;
    }
    static DWORD StoredDword(const char* name)
    {
        DWORD type = 0;
        std::string data;
        if (!Query(name, type, data) || type != REG_DWORD || data.size() != 4)
            return 0xDEADBEEF;
        return *reinterpret_cast<const DWORD*>(data.data());
    }

    SettingsLocation m_location;
};
}

TEST_F(RegistrySettings, AMissingKeyIsCreatedWithEveryDefault)
{
    SettingsRun run(m_location);
    run.store.Load();
    for (const char* name : {"LogScanSummary", "FirstRun", "RestorePoint", "AutoRepair", "SoftwareUpdate",
                             "ContextMenu", "AutoShutdown", "AutoShutdownSystem", "AutoRestartSystem"})
        EXPECT_EQ(StoredDword(name), 0u) << name;
    EXPECT_EQ(StoredDword("RunCount"), 1u);
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Query("LastScan", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data.substr(0, 5), "Never");
    EXPECT_EQ(run.record.firstRun, 1);
    EXPECT_EQ(run.record.runCount, 1u);
    EXPECT_EQ(run.record.lastScan, "Never");
    EXPECT_TRUE(run.contextMenuCalls.empty());

    SettingsRun second(m_location);
    second.store.Load();
    EXPECT_EQ(second.record.firstRun, 0);
    EXPECT_EQ(second.record.runCount, 2u);
    EXPECT_EQ(StoredDword("RunCount"), 2u);
}

TEST_F(RegistrySettings, AStoredFirstRunIsNoFirstRunAndIsRewrittenAsZero)
{
    SetDword("FirstRun", 5);
    SettingsRun run(m_location);
    run.store.Load();
    EXPECT_EQ(run.record.firstRun, 0);
    EXPECT_EQ(StoredDword("FirstRun"), 0u);
}

TEST_F(RegistrySettings, RunCountsOutsideTheRangeStartAgainAtOne)
{
    const DWORD cases[][2] = {{5, 6}, {0, 1}, {0xFFFFFFFAu, 1}, {0xFFFFFFFFu, 1}, {0xFFFFFFF9u, 0xFFFFFFFAu}};
    for (const auto& c : cases)
    {
        SetDword("RunCount", c[0]);
        SettingsRun run(m_location);
        run.store.Load();
        EXPECT_EQ(run.record.runCount, c[1]) << c[0];
        EXPECT_EQ(StoredDword("RunCount"), c[1]) << c[0];
    }
}

TEST_F(RegistrySettings, AFlagIsOnOnlyForTheNumberOne)
{
    SetDword("AutoRepair", 2);
    SetDword("RestorePoint", 1);
    SetText("SoftwareUpdate", "1");
    SetText("AutoShutdown", "a text too long for a number");
    SettingsRun run(m_location);
    run.store.Load();
    EXPECT_EQ(run.record.autoRepair, 0);
    EXPECT_EQ(run.record.restorePoint, 1);
    EXPECT_EQ(run.record.softwareUpdate, 0);
    EXPECT_EQ(run.record.autoShutdown, 0);
    // Present values stay as they are; only what cannot be read as a number
    // counts as missing and gets its default.
    EXPECT_EQ(StoredDword("AutoRepair"), 2u);
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Query("SoftwareUpdate", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(StoredDword("AutoShutdown"), 0u);
}

TEST_F(RegistrySettings, TheExplorerMenuIsRegisteredForOneAndRemovedOtherwise)
{
    SetDword("ContextMenu", 1);
    SettingsRun on(m_location);
    on.store.Load();
    EXPECT_EQ(on.record.contextMenu, 1);
    EXPECT_EQ(on.contextMenuCalls, std::vector<bool>{true});

    SetDword("ContextMenu", 7);
    SettingsRun off(m_location);
    off.store.Load();
    EXPECT_EQ(off.record.contextMenu, 0);
    EXPECT_EQ(off.contextMenuCalls, std::vector<bool>{false});
}

TEST_F(RegistrySettings, LastScanTextsOfEveryLength)
{
    SetText("LastScan", " \t ");
    SettingsRun blank(m_location);
    blank.store.Load();
    EXPECT_EQ(blank.record.lastScan, "Never");

    // The program writes texts without a terminator; the longest one that
    // reads on every system must read whole and nothing beyond it.
    const std::string full(255, 'd');
    {
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
        ASSERT_EQ(key.SetStringUnterminated("LastScan", full), ERROR_SUCCESS);
    }
    SettingsRun longest(m_location);
    longest.store.Load();
    EXPECT_EQ(longest.record.lastScan, full);

    SetText("LastScan", std::string(300, 'x'));
    SettingsRun tooLong(m_location);
    tooLong.store.Load();
    EXPECT_EQ(tooLong.record.lastScan, "Never");
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Query("LastScan", type, data));
    EXPECT_EQ(data.substr(0, 5), "Never");
}

TEST_F(RegistrySettings, SaveWritesEveryOptionAsANumber)
{
    SettingsRun run(m_location);
    run.store.Load();
    run.record.logScanSummary = 1;
    run.record.autoShutdownSystem = 1;
    run.record.contextMenu = 1;
    run.store.Save();
    EXPECT_EQ(StoredDword("LogScanSummary"), 1u);
    EXPECT_EQ(StoredDword("AutoShutdownSystem"), 1u);
    EXPECT_EQ(StoredDword("ContextMenu"), 1u);
    EXPECT_EQ(StoredDword("FirstRun"), 0u);
    EXPECT_EQ(StoredDword("AutoRepair"), 0u);
    EXPECT_EQ(run.contextMenuCalls, std::vector<bool>{true});
}

TEST_F(RegistrySettings, LastScanIsStoredAsTextWithoutTerminator)
{
    SettingsRun run(m_location);
    run.store.Load();
    run.store.SaveLastScan("");
    EXPECT_TRUE(run.shownLastScan.empty());
    run.store.SaveLastScan(" 2 March 2025, 11:30PM ");
    EXPECT_EQ(run.record.lastScan, "2 March 2025, 11:30PM");
    EXPECT_EQ(run.shownLastScan, std::vector<std::string>{"2 March 2025, 11:30PM"});
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Query("LastScan", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data.substr(0, 21), "2 March 2025, 11:30PM");
}

TEST_F(RegistrySettings, TheSiblingProductCountsOnlyWhenOneOfItsPathsExists)
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, "Software\\Kestrune", "AppPath1", "C:\\no\\such\\place"));
    SettingsRun missing(m_location);
    missing.store.Load();
    EXPECT_FALSE(missing.store.IsSiblingInstalled());

    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, "Software\\Kestrune", "AppPath3", windows));
    SettingsRun present(m_location);
    present.store.Load();
    EXPECT_TRUE(present.store.IsSiblingInstalled());
    TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, "Software\\Kestrune");
}
