// The size texts and the last-result statistics in both stores, without
// windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/Scan/CScanDlg.h"
#include "Client/Scan/CScanningDlg.h"
#include "Client/Scan/FormatSizeKB.h"
#include "Client/Scan/LastResults.h"
#include "Engine/ScanCategory.h"
#include "support/TestRegistry.h"

namespace
{
const char kTestKey[] = "Software\\QmStatisticsTest";

SettingsLocation IniLocation(const std::string& path)
{
    SettingsLocation location;
    location.portable = TRUE;
    location.iniPath = path;
    return location;
}

SettingsLocation RegistryLocation()
{
    SettingsLocation location;
    location.portable = FALSE;
    location.registryRoot = HKEY_CURRENT_USER;
    location.registryKey = kTestKey;
    return location;
}

DWORD ReadDword(const char* name)
{
    DWORD value = 0xDEAD, size = sizeof(value);
    if (::RegGetValueA(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return 0xDEAD;
    return value;
}
}

TEST(FormatSizeKB, EachUnitStartsAboveTheLastOnesLimit)
{
    EXPECT_EQ(FormatSizeKB(0), "0KB");
    EXPECT_EQ(FormatSizeKB(1024), "1024KB");
    EXPECT_EQ(FormatSizeKB(1025), "1MB");
    EXPECT_EQ(FormatSizeKB(1536), "2MB");
    EXPECT_EQ(FormatSizeKB(1048577), "1.0GB");
    EXPECT_EQ(FormatSizeKB(3145729), "3.0GB");
    EXPECT_EQ(FormatSizeKB(1073741825.0), "1.00TB");
}

TEST(LastResults, IniValuesAreReadAsTheHomePageShowsThem)
{
    const std::string path = TestEnv::MakeScratchFolder("statistics-ini") + "qmsettings.ini";
    IniDocument document;
    const LastResults results(document, IniLocation(path));
    LastResults::StoredValues values;
    ASSERT_TRUE(results.ReadAll(values));
    EXPECT_EQ(values.size(), LastResults::AllNames().size());
    for (const auto& value : values)
        EXPECT_EQ(value.second.countText, "0") << value.first << " reads as 0 when missing";

    document.SetValue("SETTINGS", "LastRecBinClnSize", " 1536 ");
    document.SetValue("SETTINGS", "LastTmpFileClnSize", "12abc");
    document.SetValue("SETTINGS", "LastTmpFileErrSize", "abc");
    document.SetValue("SETTINGS", "LastFontErr", "  ");
    ASSERT_TRUE(results.ReadAll(values));
    EXPECT_EQ(FormatSizeKB(values["LastRecBinClnSize"].sizeKB), "2MB");
    EXPECT_EQ(values["LastTmpFileClnSize"].sizeKB, 12);
    EXPECT_EQ(values["LastTmpFileErrSize"].sizeKB, 0);
    EXPECT_EQ(values["LastFontErr"].countText, "0");
}

TEST(LastResults, ResetsWritesAndTheRunningTotalInTheIniFile)
{
    const std::string path = TestEnv::MakeScratchFolder("statistics-writes") + "qmsettings.ini";
    IniDocument document;
    const LastResults results(document, IniLocation(path));
    for (const char* name : {"LastFontCln", "LastInvTypeLibCln", "LastTotalClnCnt", "LastTotalJnkFileSize",
                             "LastFontErr", "LastInvTypeLibErr", "LastRecBinErrSize", "LastTotalErrCnt"})
        document.SetValue("SETTINGS", name, "7");

    results.ResetCleaned();
    results.ResetErrors();
    IniDocument saved;
    ASSERT_TRUE(saved.Load(path, false));
    for (const char* name : {"LastFontCln", "LastInvTypeLibCln", "LastTotalClnCnt", "LastFontErr", "LastTotalErrCnt"})
        EXPECT_EQ(saved.GetValue("SETTINGS", name), "0") << name;
    // A scan overwrites these itself; the running total is never reset.
    for (const char* name : {"LastTotalJnkFileSize", "LastInvTypeLibErr", "LastRecBinErrSize"})
        EXPECT_EQ(saved.GetValue("SETTINGS", name), "7") << name;

    LastResults::FoundStatistics found;
    found.counts = {{kScanFonts, 3}, {kScanSharedDlls, 2}};
    found.total = 5;
    found.tempFilesKB = 1536.7;
    results.WriteFound(found);
    LastResults::RepairedStatistics repaired;
    repaired.counts = {{kScanFonts, 3}};
    repaired.total = 3;
    repaired.recycleBinKB = 1536;
    repaired.junkRunningTotal = 3145729;
    results.WriteRepaired(repaired);
    ASSERT_TRUE(saved.Load(path, false));
    EXPECT_EQ(saved.GetValue("SETTINGS", "LastFontErr"), "3");
    EXPECT_EQ(saved.GetValue("SETTINGS", "LastSHDllErr"), "2");
    EXPECT_EQ(saved.GetValue("SETTINGS", "LastTmpFileErrSize"), "1536");
    EXPECT_EQ(saved.GetValue("SETTINGS", "LastTotalErrCnt"), "5");
    EXPECT_EQ(saved.GetValue("SETTINGS", "LastFontCln"), "3");
    EXPECT_EQ(saved.GetValue("SETTINGS", "LastRecBinClnSize"), "1536");
    EXPECT_EQ(saved.GetValue("SETTINGS", "LastTotalJnkFileSize"), "3145729");
}

TEST(LastResults, RegistryValuesAreDwordsOfTheSettingsKey)
{
    TestEnv::DeleteTree(HKEY_CURRENT_USER, kTestKey);
    IniDocument document;
    const LastResults results(document, RegistryLocation());
    LastResults::StoredValues values;
    ASSERT_TRUE(results.ReadAll(values)) << "a missing key is created";
    EXPECT_EQ(values["LastTotalClnCnt"].totalText, "0");

    LastResults::RepairedStatistics repaired;
    repaired.counts = {{kScanStartup, 2}, {kScanRecycleBin, 9}};
    repaired.total = 0xFFFFFFFF;
    repaired.tempFilesKB = 99.9;
    repaired.junkRunningTotal = 5;
    results.WriteRepaired(repaired);
    EXPECT_EQ(ReadDword("LastStartupCln"), 2u);
    EXPECT_EQ(ReadDword("LastTmpFileClnSize"), 99u);
    ASSERT_TRUE(results.ReadAll(values));
    EXPECT_EQ(values["LastTotalClnCnt"].totalText, "4294967295");
    EXPECT_EQ(values["LastTotalJnkFileSize"].sizeKB, 5);

    results.ResetCleaned();
    EXPECT_EQ(ReadDword("LastStartupCln"), 0u);
    EXPECT_EQ(ReadDword("LastTotalJnkFileSize"), 5u);
    TestEnv::DeleteTree(HKEY_CURRENT_USER, kTestKey);
}

TEST(ScanSelection, StoredMaskIsKeptAsItWasLeftAlsoWhenEmpty)
{
    const std::string path = TestEnv::MakeScratchFolder("selection") + "qmsettings.ini";
    IniDocument document;
    document.GetOrCreateSection("SETTINGS");
    // A first run stores the default and says nothing was stored.
    EXPECT_EQ(CScanDlg::LoadStoredSelection(document, IniLocation(path)), std::make_pair(false, DWORD(0)));
    EXPECT_EQ(document.GetValue("SETTINGS", "LastSelectedScanTypes"), "16643072");
    CScanDlg::StoreSelection(document, IniLocation(path), 0);
    EXPECT_EQ(CScanDlg::LoadStoredSelection(document, IniLocation(path)), std::make_pair(true, DWORD(0)));
    CScanDlg::StoreSelection(document, IniLocation(path), kScanFonts | kScanServices);
    IniDocument saved;
    ASSERT_TRUE(saved.Load(path, false));
    EXPECT_EQ(saved.GetValue("SETTINGS", "LastSelectedScanTypes"), std::to_string(kScanFonts | kScanServices));

    TestEnv::DeleteTree(HKEY_CURRENT_USER, kTestKey);
    EXPECT_EQ(CScanDlg::LoadStoredSelection(document, RegistryLocation()), std::make_pair(false, DWORD(0)));
    EXPECT_EQ(ReadDword("LastSelectedScanTypes"), CScanDlg::DefaultScanTypes());
    CScanDlg::StoreSelection(document, RegistryLocation(), 0);
    EXPECT_EQ(CScanDlg::LoadStoredSelection(document, RegistryLocation()), std::make_pair(true, DWORD(0)));
    TestEnv::DeleteTree(HKEY_CURRENT_USER, kTestKey);
}

TEST(ScanProgress, StatusTextsOfAnyLengthFitThePathCompaction)
{
    const std::string longText = "C:\\" + std::string(2000, 'a') + "\\file.txt";
    const std::string compacted = CScanningDlg::CompactStatusText(longText.c_str(), 365);
    EXPECT_LT(compacted.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_FALSE(compacted.empty());
    EXPECT_EQ(CScanningDlg::CompactStatusText("C:\\short.txt", 365), "C:\\short.txt");
    EXPECT_EQ(CScanningDlg::CompactStatusText(nullptr, 365), "");
}
