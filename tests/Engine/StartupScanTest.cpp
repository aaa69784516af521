// The startup-item scan through the job object, against planted Run values
// and Start-menu order records.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <gtest/gtest.h>

#include "Engine/ScanCategory.h"
#include "ScanTestSupport.h"
#include "support/TestRegistry.h"

namespace
{
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kRunOnceEx[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const char kMenuOrder[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder";
const char kStartMenuOrder[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";
const char kStartMenu2Order[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs";

std::string UserValue(const std::string& key, const std::string& name)
{
    return "HKEY_CURRENT_USER\\" + key + kItemValueSeparator + name;
}

std::string MachineValue(const std::string& key, const std::string& name)
{
    return "HKEY_LOCAL_MACHINE\\" + key + kItemValueSeparator + name;
}

std::vector<std::string> Sorted(std::vector<std::string> texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::vector<std::string> FoundWithCategory(const std::vector<RecordingStatus::Call>& calls, DWORD category)
{
    std::vector<std::string> texts;
    for (const RecordingStatus::Call& call : calls)
        if (call.op == "found")
        {
            EXPECT_EQ(call.value, static_cast<long long>(category)) << call.text;
            EXPECT_EQ(call.first, 0);
            EXPECT_EQ(call.second, 0);
            texts.push_back(call.text);
        }
    return texts;
}

size_t StatusCount(const std::vector<RecordingStatus::Call>& calls, const std::string& text)
{
    return static_cast<size_t>(std::count_if(calls.begin(), calls.end(), [&](const RecordingStatus::Call& call) {
        return call.op == "status" && call.code == "S" && call.text == text;
    }));
}

class StartupScan : public ::testing::Test
{
protected:
    void SetUp() override { ClearAll(); }
    void TearDown() override { ClearAll(); }

    static void ClearAll()
    {
        for (const char* key : {kRun, kRunOnce, kRunOnceEx})
        {
            ScanTest::ClearKey(HKEY_CURRENT_USER, key);
            ScanTest::ClearKey(HKEY_LOCAL_MACHINE, key);
            if (TestEnv::OtherView())
                ScanTest::ClearKey(HKEY_LOCAL_MACHINE, key, TestEnv::OtherView());
        }
        TestEnv::DeleteTree(HKEY_CURRENT_USER, kMenuOrder);
    }

    std::vector<RecordingStatus::Call> Scan()
    {
        ScanTestJob job;
        return ScanTest::RunScan(job, m_status, kScanStartup);
    }

    RecordingStatus m_status;
};
}

// Run values that name programs which exist in every form the scanner
// understands are left alone; those whose program is gone are found once each.
TEST_F(StartupScan, ReportsExactlyTheRunValuesWhoseProgramIsGone)
{
    const HKEY user = HKEY_CURRENT_USER;
    const HKEY machine = HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(ScanTest::PlantFile("c:\\qmstartup\\tool.exe"));
    ASSERT_TRUE(ScanTest::PlantFile("c:\\qmstartup\\Quoted App.exe"));
    ASSERT_TRUE(ScanTest::PlantFile("c:\\qm.exec\\tool.exe"));
    ASSERT_TRUE(ScanTest::PlantFile(ScanTest::ShellFolder(CSIDL_PROGRAM_FILES) + "\\QmVendor\\vendor.exe"));
    ASSERT_TRUE(ScanTest::PlantFile(ScanTest::ShellFolder(CSIDL_COMMON_APPDATA) + "\\qm\\app.exe"));
    const std::string longProgram = "c:\\qmstartup\\Long Folder Name\\Long Program Name.exe";
    ASSERT_TRUE(ScanTest::PlantFile(longProgram));
    char shortProgram[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameA(longProgram.c_str(), shortProgram, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortProgram).find('~'), std::string::npos) << shortProgram;
    // Programs that only one view of the system folder holds.
    ASSERT_TRUE(TestEnv::WriteNativeSystemFile("qmnative.exe", "qm"));
    ASSERT_TRUE(ScanTest::PlantFile(ScanTest::ThirtyTwoBitSystemFolder() + "\\qm32only.exe"));
    const std::string windows = ScanTest::WindowsFolder();

    const std::vector<std::pair<std::string, std::string>> kept = {
        {"QmPlain", "c:\\qmstartup\\tool.exe"},
        {"QmCapitals", "C:\\QMSTARTUP\\TOOL.EXE"},
        {"QmQuotedArgs", "\"C:\\QmStartup\\Quoted App.EXE\" /min -x \"c:\\qmgone\\other.exe\""},
        {"QmApostrophes", "'c:\\qmstartup\\tool.exe'"},
        {"QmVariable", "%ProgramFiles%\\QmVendor\\vendor.exe /background"},
        {"QmUnknownVariable", "%ProgramData%\\qm\\app.exe"},
        {"QmUnknownVariableGone", "%ALLUSERSPROFILE%\\qmgone\\app.exe"},
        {"QmShortName", shortProgram},
        {"QmRundll", "rundll32.exe c:\\qmgone\\library.dll,Entry"},
        {"QmRundllCapitals", "RUNDLL32.EXE shell32.dll,Control_RunDLL"},
        {"QmBareName", "notepad.exe"},
        {"QmNoProgram", "c:\\qmgone\\script.vbs"},
        {"QmExeInFolderName", "c:\\qm.exec\\tool.exe -start"},
        {"QmNetworkShare", "\\\\qmserver\\share\\tool.exe"},
        {"QmUnpluggedDrive", "p:\\qm\\tool.exe"},
        {"QmNative", windows + "\\system32\\qmnative.exe"},
        {"QmNativeBare", "qmnative.exe"},
        {"Qm32Only", windows + "\\system32\\qm32only.exe"},
        {"Qm32OnlyBare", "qm32only.exe"},
        {"Qm32OnlyVariable", "%SystemDir%\\qm32only.exe"},
    };
    const std::vector<std::pair<std::string, std::string>> gone = {
        {"QmGonePlain", "c:\\qmgone\\tool.exe"},
        {"QmGoneQuoted", "\"C:\\QmGone\\Quoted App.exe\" /min"},
        {"QmGoneVariable", "%WinDir%\\qmgone.exe"},
        {"QmGoneShortName", "c:\\qmgone~1\\progra~1.exe"},
        {"QmGoneComma", "c:\\qmgone\\tool.exe,1"},
        {"QmGoneExeFolder", "c:\\qmgone.exec\\tool.exe"},
        {"QmGoneEmpty", ""},
        {"QmGoneOnlyQuotes", "\"'\\\\'\""},
        {"", "c:\\qmgone\\default.exe"},
    };
    std::vector<std::string> expected;
    for (const auto& value : kept)
        ASSERT_TRUE(ScanTest::SetValue(user, kRun, value.first, value.second)) << value.first;
    for (const auto& value : gone)
    {
        ASSERT_TRUE(ScanTest::SetValue(user, kRun, value.first, value.second)) << value.first;
        expected.push_back(UserValue(kRun, value.first));
    }
    // Values without data and the subkeys of the Run keys are not looked at.
    ASSERT_TRUE(ScanTest::SetEmptyBinaryValue(user, kRunOnce, "QmNoData"));
    ASSERT_TRUE(ScanTest::SetValue(user, std::string(kRun) + "\\QmSub", "QmInSubkey", "c:\\qmgone\\sub.exe"));
    ASSERT_TRUE(ScanTest::SetValue(user, kRunOnce, "QmOnce", "c:\\qmgone\\once.exe"));
    expected.push_back(UserValue(kRunOnce, "QmOnce"));

    ASSERT_TRUE(ScanTest::SetValue(machine, kRun, "QmMachineGone", "c:\\qmgone\\machine.exe"));
    ASSERT_TRUE(ScanTest::SetValue(machine, kRun, "QmMachineKept", "c:\\qmstartup\\tool.exe"));
    ASSERT_TRUE(ScanTest::SetValue(machine, kRunOnce, "QmMachineOnce", "c:\\qmgone\\machineonce.exe"));
    ASSERT_TRUE(ScanTest::SetValue(machine, kRunOnceEx, "QmMachineOnceEx", "c:\\qmgone\\onceex.exe"));
    ASSERT_TRUE(ScanTest::SetValue(machine, std::string(kRunOnceEx) + "\\0001", "QmNumbered", "c:\\qmgone\\n.exe"));
    expected.push_back(MachineValue(kRun, "QmMachineGone"));
    expected.push_back(MachineValue(kRunOnce, "QmMachineOnce"));
    expected.push_back(MachineValue(kRunOnceEx, "QmMachineOnceEx"));
    // The other view of a 64-bit Windows is not this program's: what it
    // holds is not scanned.
    if (TestEnv::OtherView())
    {
        ASSERT_TRUE(
            ScanTest::SetValue(machine, kRun, "QmOtherView", "c:\\qmgone\\other.exe", TestEnv::OtherView()));
    }

    const std::vector<RecordingStatus::Call> calls = Scan();
    const std::vector<std::string> found = FoundWithCategory(calls, kScanStartup);
    EXPECT_EQ(Sorted(found), Sorted(expected));

    // One status for each value with data, naming the key alone.
    EXPECT_EQ(StatusCount(calls, kRun), kept.size() + gone.size() + 2u);
    EXPECT_EQ(StatusCount(calls, kRunOnce), 1u + 1u);
    EXPECT_EQ(StatusCount(calls, kRunOnceEx), 1u);

    // The keys in their list order: user Run, user RunOnce, then the machine's.
    const auto at = [&](const std::string& text) {
        return std::find(found.begin(), found.end(), text) - found.begin();
    };
    EXPECT_LT(at(UserValue(kRun, "QmGonePlain")), at(UserValue(kRunOnce, "QmOnce")));
    EXPECT_LT(at(UserValue(kRunOnce, "QmOnce")), at(MachineValue(kRun, "QmMachineGone")));
    EXPECT_LT(at(MachineValue(kRunOnce, "QmMachineOnce")), at(MachineValue(kRunOnceEx, "QmMachineOnceEx")));
}

// A bare program name is found where a start finds it, never in the
// engine's current folder.
TEST_F(StartupScan, BareProgramNamesAreFoundOnThePathOnly)
{
    ASSERT_TRUE(ScanTest::PlantFile("c:\\qmstartpath\\qmonpath.exe"));
    ASSERT_TRUE(ScanTest::PlantFile("c:\\qmstartcurrent\\qmcurrentonly.exe"));
    ASSERT_TRUE(ScanTest::SetValue(HKEY_CURRENT_USER, kRun, "QmOnPath", "qmonpath.exe /min"));
    ASSERT_TRUE(ScanTest::SetValue(HKEY_CURRENT_USER, kRun, "QmCurrentOnly", "\"qmcurrentonly.exe\" -x"));
    char oldPath[32768] = {};
    ::GetEnvironmentVariableA("PATH", oldPath, sizeof(oldPath));
    ::SetEnvironmentVariableA("PATH", (std::string(oldPath) + ";c:\\qmstartpath").c_str());
    char oldCurrent[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, oldCurrent);
    ::SetCurrentDirectoryA("c:\\qmstartcurrent");

    const std::vector<std::string> found = FoundWithCategory(Scan(), kScanStartup);
    ::SetCurrentDirectoryA(oldCurrent);
    ::SetEnvironmentVariableA("PATH", oldPath);
    EXPECT_EQ(found, std::vector<std::string>{UserValue(kRun, "QmCurrentOnly")});
}

TEST_F(StartupScan, ReportsMenuOrderRecordsOfFoldersThatExistNowhere)
{
    const std::string startMenu = ScanTest::ShellFolder(CSIDL_STARTMENU);
    ASSERT_TRUE(::CreateDirectoryA((startMenu + "\\Programs\\QmKeptFolder").c_str(), nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(ScanTest::PlantFile(ScanTest::ShellFolder(CSIDL_PROGRAM_FILES) + "\\QmKeptVendor"));
    ASSERT_TRUE(::CreateDirectoryA((ScanTest::ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\QmKeptCommon").c_str(),
                                   nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
    for (const char* name : {"QmKeptFolder", "QmKeptVendor", "QmKeptCommon", "QmGoneFolder"})
        ASSERT_TRUE(ScanTest::CreateKey(HKEY_CURRENT_USER, std::string(kStartMenuOrder) + "\\" + name));
    ASSERT_TRUE(ScanTest::CreateKey(HKEY_CURRENT_USER, std::string(kStartMenu2Order) + "\\QmGoneFolder2"));

    const std::vector<RecordingStatus::Call> calls = Scan();
    EXPECT_EQ(FoundWithCategory(calls, kScanStartup),
              (std::vector<std::string>{"HKEY_CURRENT_USER\\" + std::string(kStartMenuOrder) + "\\QmGoneFolder",
                                        "HKEY_CURRENT_USER\\" + std::string(kStartMenu2Order) + "\\QmGoneFolder2"}));
    EXPECT_EQ(StatusCount(calls, std::string(kStartMenuOrder) + "\\QmKeptFolder"), 1u);
    EXPECT_EQ(StatusCount(calls, std::string(kStartMenu2Order) + "\\QmGoneFolder2"), 1u);

    // Without the first menu-order key the second is still scanned.
    TestEnv::DeleteTree(HKEY_CURRENT_USER, std::string(kMenuOrder) + "\\Start Menu");
    m_status.Reset();
    EXPECT_EQ(FoundWithCategory(Scan(), kScanStartup),
              (std::vector<std::string>{"HKEY_CURRENT_USER\\" + std::string(kStartMenu2Order) + "\\QmGoneFolder2"}));
}

TEST_F(StartupScan, LeavesOutEntriesWhoseKeyRefusesWriting)
{
    ASSERT_TRUE(ScanTest::SetValue(HKEY_CURRENT_USER, kRunOnce, "QmLocked", "c:\\qmgone\\locked.exe"));
    ASSERT_TRUE(ScanTest::SetValue(HKEY_LOCAL_MACHINE, kRun, "QmOpen", "c:\\qmgone\\open.exe"));
    const std::string lockedRecord = std::string(kStartMenuOrder) + "\\QmLockedFolder";
    ASSERT_TRUE(ScanTest::CreateKey(HKEY_CURRENT_USER, lockedRecord));
    ASSERT_TRUE(ScanTest::DenySetValue(HKEY_CURRENT_USER, kRunOnce));
    ASSERT_TRUE(ScanTest::DenySetValue(HKEY_CURRENT_USER, lockedRecord));

    const std::vector<RecordingStatus::Call> calls = Scan();
    EXPECT_TRUE(ScanTest::AllowEverything(HKEY_CURRENT_USER, kRunOnce));
    EXPECT_TRUE(ScanTest::AllowEverything(HKEY_CURRENT_USER, lockedRecord));

    EXPECT_EQ(FoundWithCategory(calls, kScanStartup), (std::vector<std::string>{MachineValue(kRun, "QmOpen")}));
    // The locked value was looked at all the same.
    EXPECT_EQ(StatusCount(calls, kRunOnce), 1u);
    EXPECT_EQ(StatusCount(calls, lockedRecord), 1u);
}

TEST_F(StartupScan, CancelInsideTheSecondKeyLeavesTheRestUnscanned)
{
    ASSERT_TRUE(ScanTest::SetValue(HKEY_CURRENT_USER, kRun, "QmFirst", "c:\\qmgone\\first.exe"));
    ASSERT_TRUE(ScanTest::SetValue(HKEY_CURRENT_USER, kRunOnce, "QmOnceA", "c:\\qmgone\\a.exe"));
    ASSERT_TRUE(ScanTest::SetValue(HKEY_CURRENT_USER, kRunOnce, "QmOnceB", "c:\\qmgone\\b.exe"));
    ASSERT_TRUE(ScanTest::SetValue(HKEY_LOCAL_MACHINE, kRun, "QmMachine", "c:\\qmgone\\machine.exe"));
    ASSERT_TRUE(ScanTest::CreateKey(HKEY_CURRENT_USER, std::string(kStartMenu2Order) + "\\QmGoneFolder"));

    ScanTestJob job;
    m_status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "status" && call.code == "S" && call.text == kRunOnce)
            job.Stop(1);
    };
    const std::vector<RecordingStatus::Call> calls = ScanTest::RunScan(job, m_status, kScanStartup);
    const std::vector<std::string> found = FoundWithCategory(calls, kScanStartup);
    // The value being checked when the cancel came is the last one.
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], UserValue(kRun, "QmFirst"));
    EXPECT_EQ(StatusCount(calls, kRunOnce), 1u);
    EXPECT_EQ(StatusCount(calls, kRun), 1u);
    EXPECT_EQ(StatusCount(calls, std::string(kStartMenu2Order) + "\\QmGoneFolder"), 0u);

    std::vector<std::string> letters = {"X", "U", "N", "D", "A", "H", "S", "R", "C", "E", "F", "V", "Scanning"};
    EXPECT_EQ(m_status.StatusCodes(), letters);
    EXPECT_EQ(m_status.Result(), 0);
}
