// The shared file and key tests, against files and keys planted here.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "Engine/FileTests.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"
#include "ScanTestSupport.h"
#include "support/TestRegistry.h"

namespace
{
const char kTestRoot[] = "c:\\qmfiletests\\";

std::string Planted(const std::string& relative)
{
    const std::string path = kTestRoot + relative;
    EXPECT_TRUE(ScanTest::PlantFile(path)) << path;
    return path;
}

std::string ShortName(const std::string& path)
{
    char buffer[MAX_PATH] = {};
    ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return buffer;
}

int Present(const std::string& text, int windows64 = -1)
{
    ScanTestJob job;
    if (windows64 >= 0)
        job.Set64BitWindows(windows64);
    RedirectionOff off;
    return IsReferencedFilePresent(job, text);
}

int Locate(std::string& path)
{
    ScanTestJob job;
    RedirectionOff off;
    return LocateReferencedFile(path, job);
}
}

TEST(LocateReferencedFile, FindsBareNamesUnderTheWindowsAndSystemFolders)
{
    std::string path = "notepad.exe";
    EXPECT_EQ(Locate(path), 1);
    EXPECT_EQ(path, ScanTest::WindowsFolder() + "\\notepad.exe");

    path = "\"QMGONE-NOWHERE.EXE\"";
    EXPECT_EQ(Locate(path), 0);
    EXPECT_EQ(path, "qmgone-nowhere.exe");

    // A file only 32-bit programs see in their system folder is still there.
    const std::string thirtyTwo = ScanTest::ThirtyTwoBitSystemFolder() + "\\qmfiletest32.dll";
    ASSERT_TRUE(ScanTest::PlantFile(thirtyTwo));
    path = "qmfiletest32.dll";
    EXPECT_EQ(Locate(path), 1);
    EXPECT_EQ(ScanTest::Lower(path), ScanTest::Lower(thirtyTwo));
}

TEST(LocateReferencedFile, BareNamesAreLookedUpWhereAStartWouldFindThem)
{
    const std::string onPath = Planted("onpath\\qmonpath.exe");
    const std::string registered = Planted("registered\\qmregistered.exe");
    const std::string inFolder = Planted("inpathvalue\\qmbyfolder.exe");
    Planted("current\\qmcurrent.exe");
    const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    ASSERT_TRUE(ScanTest::SetValue(HKEY_CURRENT_USER, std::string(kAppPaths) + "QmRegistered.exe", "",
                                   "\"" + registered + "\""));
    ASSERT_TRUE(
        ScanTest::SetValue(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "qmbyfolder.exe", "", "qmbyfolder.exe"));
    ASSERT_TRUE(ScanTest::SetValue(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "qmbyfolder.exe", "Path",
                                   std::string(kTestRoot) + "inpathvalue\\"));

    char oldPath[32768] = {};
    ::GetEnvironmentVariableA("PATH", oldPath, sizeof(oldPath));
    ::SetEnvironmentVariableA("PATH", (std::string(oldPath) + ";relative\\;\"" + kTestRoot + "onpath\\\"").c_str());
    char oldCurrent[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, oldCurrent);
    ::SetCurrentDirectoryA((std::string(kTestRoot) + "current").c_str());

    std::string path = "qmonpath.exe";
    EXPECT_EQ(Locate(path), 1);
    EXPECT_EQ(path, onPath);
    path = "\"qmregistered.exe\"";
    EXPECT_EQ(Locate(path), 1);
    EXPECT_EQ(path, registered);
    path = "qmbyfolder.exe";
    EXPECT_EQ(Locate(path), 1);
    EXPECT_EQ(path, inFolder);
    // Registered in the other view of a 64-bit Windows (a program of the
    // other kind), for either build; the one view of a 32-bit Windows.
    const std::string otherKind = Planted("otherview\\qmotherkind.exe");
    ASSERT_TRUE(ScanTest::SetValue(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "qmotherkind.exe", "", otherKind,
                                   TestEnv::OtherView()));
    path = "qmotherkind.exe";
    EXPECT_EQ(Locate(path), 1);
    EXPECT_EQ(path, otherKind);
    // The engine's current folder is not where a start looks.
    path = "qmcurrent.exe";
    EXPECT_EQ(Locate(path), 0);
    {
        ScanTestJob job;
        EXPECT_EQ(FileExistsSecondChance(job, "qmcurrent.exe"), 0);
        job.Set64BitWindows(1);
        EXPECT_EQ(FileExistsSecondChance(job, "qmcurrent.exe"), 0);
    }
    // A folder of PATH that cannot be judged leaves every bare name unjudged.
    ::SetEnvironmentVariableA("PATH", (std::string(oldPath) + ";\\\\qmserver\\tools").c_str());
    path = "qmcurrent.exe";
    EXPECT_EQ(Locate(path), 1);

    ::SetCurrentDirectoryA(oldCurrent);
    ::SetEnvironmentVariableA("PATH", oldPath);
    TestEnv::DeleteTree(HKEY_CURRENT_USER, std::string(kAppPaths) + "QmRegistered.exe");
    TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "qmbyfolder.exe");
    CRegKey appPaths;
    if (appPaths.Open(HKEY_LOCAL_MACHINE, kAppPaths, KEY_ALL_ACCESS | TestEnv::OtherView()) == ERROR_SUCCESS)
        ::RegDeleteTreeA(appPaths.Get(), "qmotherkind.exe");
}

TEST(LocateReferencedFile, ExpandsVariablesAndStripsFileUrls)
{
    const std::string file = Planted("page.htm");
    std::string path = "file:///c:/qmfiletests/page.htm";
    EXPECT_EQ(Locate(path), 1);
    EXPECT_EQ(path, "c:/qmfiletests/page.htm");

    path = "file:///c:/qmfiletests/gone.htm";
    EXPECT_EQ(Locate(path), 0);
    EXPECT_EQ(path, "c:/qmfiletests/gone.htm");

    path = "%WinDir%\\notepad.exe";
    EXPECT_EQ(Locate(path), 1);
    path = "%WinDir%\\qmgone.exe";
    EXPECT_EQ(Locate(path), 0);
    // A wildcard or a folder counts as found.
    path = "c:\\qmfiletests\\pa*.htm";
    EXPECT_EQ(Locate(path), 1);
    path = "c:\\qmfiletests";
    EXPECT_EQ(Locate(path), 1);
}

TEST(LocateReferencedFile, WhatCannotBeJudgedCountsAsFound)
{
    // Variables the expansion does not know, found or not.
    const std::string programData = ScanTest::ShellFolder(CSIDL_COMMON_APPDATA);
    ASSERT_TRUE(ScanTest::PlantFile(programData + "\\qm\\app.exe"));
    for (const char* text : {"%ProgramData%\\qm\\app.exe", "%ALLUSERSPROFILE%\\qm\\gone.exe", "%PUBLIC%\\gone.exe",
                             "%ProgramW6432%\\qm\\gone.exe"})
    {
        std::string path = text;
        EXPECT_EQ(Locate(path), 1) << text;
    }
    // Drives that are not there and network shares.
    for (const char* text : {"p:\\qm\\tool.exe", "\\\\qmserver\\share\\tool.exe"})
    {
        std::string path = text;
        EXPECT_EQ(Locate(path), 1) << text;
    }
    // A lone percent sign is no variable.
    std::string path = "c:\\qmgone\\100%.exe";
    EXPECT_EQ(Locate(path), 0);
}

TEST(IsReferencedFilePresent, CutsTheTextDownToTheFileItNames)
{
    const std::string app = Planted("Program Files\\App\\App.exe");
    EXPECT_EQ(Present("\"C:\\QmFileTests\\Program Files\\App\\App.exe\" /min"), 1);
    EXPECT_EQ(Present("\"C:\\QmFileTests\\Program Files\\App\\Gone.exe\" /min"), 0);
    EXPECT_EQ(Present("@C:\\QmFileTests\\Program Files\\App\\App.exe  "), 1);
    EXPECT_EQ(Present("c:\\qmfiletests\\program files\\app\\app.exe -run now"), 1);
    EXPECT_EQ(Present("c:\\qmfiletests\\program files\\app\\app.exe\\run"), 1);
    EXPECT_EQ(Present("c:\\qmfiletests\\program files\\app\\gone.exe\\run"), 0);
    EXPECT_EQ(Present("c:\\qmfiletests\\program files\\app\\app.exe;c:\\other"), 1);

    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(Present(std::string(system) + "\\shell32.dll,-154"), 1);
    EXPECT_EQ(Present(std::string(system) + "\\qmgone.dll,-154"), 0);
    // A drive path with a colon is judged: the colon does not make it doubtful.
    EXPECT_EQ(Present("c:\\qmfiletests\\missing.txt"), 0);
    EXPECT_EQ(Present("D:\\QMGONE\\MISSING.TXT"), 1); // D: is not a local disk here
}

TEST(IsReferencedFilePresent, LeavesAloneWhatItCannotJudge)
{
    for (const std::string& text : std::vector<std::string>{
             "", "rundll32.exe c:\\x\\y.dll,Entry", "%SystemRoot%\\system32\\qmgone.dll", "c:\\qmgone\\a.exe d:\\b.exe",
             "q:\\qmgone\\a.exe", "\\\\server\\share\\a.exe", "qmgone.exe", "p:\\qmgone\\tool.exe",
             "c:\\qmgone\\" + std::string(250, 'x') + ".exe", "c:\\qmgone\\a*.exe", "c:\\qmgone\\a|b.exe"})
        EXPECT_EQ(Present(text), 1) << text;
}

TEST(IsReferencedFilePresent, ShortNamesGoThroughTheShell)
{
    const std::string longPath = Planted("Long Folder Name\\Long Program Name.exe");
    const std::string shortPath = ShortName(longPath);
    ASSERT_NE(shortPath.find('~'), std::string::npos) << shortPath;
    EXPECT_EQ(Present(shortPath), 1);
    EXPECT_EQ(Present("c:\\qmgone~1\\progra~1.exe"), 0);
    // A short name together with a character no path holds.
    EXPECT_EQ(Present("c:\\progra~1\\qmgone\\a?.exe"), 0);

    std::string expanded;
    EXPECT_EQ(ExpandShortPath(expanded, shortPath), 1);
    EXPECT_EQ(ScanTest::Lower(expanded), ScanTest::Lower(longPath));
    expanded = "unchanged";
    EXPECT_EQ(ExpandShortPath(expanded, "c:\\progra~1\\qmgone\\a?.exe"), 0);
    EXPECT_EQ(expanded, "unchanged");
}

TEST(IsReferencedFilePresent, NamesWithCommasSemicolonsAndPercentSignsAreFound)
{
    Planted("report, final.txt");
    Planted("a;b.dll");
    Planted("100%.txt");
    EXPECT_EQ(Present("c:\\qmfiletests\\report, final.txt"), 1);
    EXPECT_EQ(Present("\"c:\\qmfiletests\\report, final.txt\""), 1);
    EXPECT_EQ(Present("c:\\qmfiletests\\a;b.dll"), 1);
    EXPECT_EQ(Present("c:\\qmfiletests\\100%.txt"), 1);
    EXPECT_EQ(Present("c:\\qmfiletests\\gone, final.txt"), 0);
}

TEST(FileExistsSecondChance, LooksInTheOtherSystemFolderOn64BitWindows)
{
    // The job as the program makes it judges the folders of the Windows it
    // runs on, whichever build it is.
    ScanTestJob job;
    EXPECT_EQ(job.Is64BitWindows() != 0, TestEnv::Is64BitWindows());
    ScanTestJob windows64;
    windows64.Set64BitWindows(1);
    ScanTestJob windows32;
    windows32.Set64BitWindows(0);
    RedirectionOff off;
    // Too short to fold: missing at once on a 64-bit Windows.
    EXPECT_EQ(FileExistsSecondChance(windows64, "C:\\a.txt"), 0);
    EXPECT_EQ(FileExistsSecondChance(windows32, "C:\\qmgone.txt"), 0);
    EXPECT_EQ(FileExistsSecondChanceNative(windows64, "C:\\a.txt"), 0);
    if (!TestEnv::Is64BitWindows())
        return;

    const std::string system = ScanTest::WindowsFolder() + "\\system32\\";
    const std::string syswow = ScanTest::WindowsFolder() + "\\syswow64\\";
    ASSERT_TRUE(ScanTest::PlantFile(syswow + "qmsecond32.dll"));
    ASSERT_TRUE(TestEnv::WriteNativeSystemFile("qmsecond64.dll", "qm"));
    EXPECT_NE(FileExistsSecondChance(job, system + "QMSECOND32.DLL"), 0);
    EXPECT_EQ(FileExistsSecondChance(windows32, system + "qmsecond32.dll"), 0);
    EXPECT_EQ(FileExistsSecondChance(job, system + "qmgone.dll"), 0);
    EXPECT_NE(FileExistsSecondChanceNative(job, syswow + "qmsecond64.dll"), 0);
    EXPECT_EQ(FileExistsSecondChanceNative(job, syswow + "qmgone.dll"), 0);

    const std::string programFiles = ScanTest::ShellFolder(CSIDL_PROGRAM_FILESX86);
    ASSERT_TRUE(ScanTest::PlantFile(programFiles + "\\QmVendor\\tool.exe"));
    std::string nativeName = ScanTest::Lower(programFiles);
    AnsiText::ReplaceAll(nativeName, " (x86)", "");
    ASSERT_NE(nativeName, ScanTest::Lower(programFiles));
    EXPECT_NE(FileExistsSecondChance(job, nativeName + "\\qmvendor\\tool.exe"), 0);
    // Already the 32-bit name: folded once more, it names nothing.
    EXPECT_EQ(FileExistsSecondChance(job, programFiles + "\\qmvendor\\gone.exe"), 0);
    ASSERT_TRUE(ScanTest::PlantFile(nativeName + "\\QmNativeVendor\\tool.exe"));
    EXPECT_NE(FileExistsSecondChanceNative(job, programFiles + "\\qmnativevendor\\tool.exe"), 0);
    EXPECT_EQ(FileExistsSecondChanceNative(job, programFiles + "\\qmvendor\\tool.exe"), 0);
}

TEST(IsKeyWritable, RefusesOnlyKeysThatDenySettingValues)
{
    const std::string key = "Software\\QmFileTests\\Locked";
    ASSERT_TRUE(ScanTest::CreateKey(HKEY_CURRENT_USER, key));
    EXPECT_EQ(IsKeyWritable("HKEY_CURRENT_USER", key), 1);
    ASSERT_TRUE(ScanTest::DenySetValue(HKEY_CURRENT_USER, key));
    EXPECT_EQ(IsKeyWritable("HKEY_CURRENT_USER", key), 0);
    // Unknown or lower-case root names are not judged.
    EXPECT_EQ(IsKeyWritable("hkey_current_user", key), 1);
    EXPECT_EQ(IsKeyWritable("HKCU", key), 1);
    EXPECT_EQ(IsKeyWritable("HKEY_LOCAL_MACHINE", "Software\\QmFileTests\\NoSuchKey"), 1);
    ASSERT_TRUE(ScanTest::AllowEverything(HKEY_CURRENT_USER, key));
    EXPECT_EQ(IsKeyWritable("HKEY_CURRENT_USER", key), 1);
    TestEnv::DeleteTree(HKEY_CURRENT_USER, "Software\\QmFileTests");
}

TEST(FormatRegistryValueText, RendersEachType)
{
    std::string text = "old";
    const BYTE two[] = {0x01, 0x02};
    FormatRegistryValueText(two, REG_BINARY, 2, text);
    EXPECT_EQ(text, "hexvalueinreg--:01,02,\n");

    BYTE bytes[23];
    for (int i = 0; i < 23; ++i)
        bytes[i] = static_cast<BYTE>(i);
    FormatRegistryValueText(bytes, REG_BINARY, 23, text);
    EXPECT_EQ(text, "hexvalueinreg--:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n16,\n");

    FormatRegistryValueText(bytes, REG_MULTI_SZ, 0, text);
    EXPECT_EQ(text, "hexvalueinreg--(7):\n");
    FormatRegistryValueText(two, REG_EXPAND_SZ, 1, text);
    EXPECT_EQ(text, "hexvalueinreg--(2):01,\n");

    const DWORD value = 0x1F;
    FormatRegistryValueText(reinterpret_cast<const BYTE*>(&value), REG_DWORD, 4, text);
    EXPECT_EQ(text, "dword:0000001f\n");
    // A short DWORD is read only as far as it goes.
    const BYTE shortDword[] = {0x34, 0x12};
    FormatRegistryValueText(shortDword, REG_DWORD, 2, text);
    EXPECT_EQ(text, "dword:00001234\n");

    const char sz[] = {'a', 'b', 'c'}; // stored without its terminator
    FormatRegistryValueText(reinterpret_cast<const BYTE*>(sz), REG_SZ, 3, text);
    EXPECT_EQ(text, "abc");
    FormatRegistryValueText(two, REG_QWORD, 2, text);
    EXPECT_EQ(text, "abc");
    FormatRegistryValueText(two, REG_NONE, 2, text);
    EXPECT_EQ(text, "abc");
}

TEST(ProgramExtension, CountsOnlyWhereTheFileNameEnds)
{
    EXPECT_EQ(FindProgramExtension("c:\\qm.exec\\tool.exe"), 15u);
    EXPECT_EQ(FindProgramExtension("c:\\a.exe"), 4u);
    for (const char* text : {"c:\\a.exe b", "c:\\a.exe\" b", "c:\\a.exe' b", "c:\\a.exe/x", "c:\\a.exe,1"})
        EXPECT_EQ(FindProgramExtension(text), 4u) << text;
    EXPECT_EQ(FindProgramExtension("c:\\a.exec"), std::string::npos);
    EXPECT_EQ(FindProgramExtension("c:\\a.dll"), std::string::npos);

    std::string text = "c:\\qm.exec\\tool.exe\" -x";
    EXPECT_TRUE(CutAfterProgramExtension(text));
    EXPECT_EQ(text, "c:\\qm.exec\\tool.exe");
    text = "c:\\a.exeb";
    EXPECT_FALSE(CutAfterProgramExtension(text));
    EXPECT_EQ(text, "c:\\a.exeb");
}

TEST(FindsFileOrFolder, AnswersAsAFindFirstLookupDoes)
{
    // The scanners judge a name "missing" by the lookup's answer and by its
    // error being file or path not found or an invalid name.
    const auto missingError = [](DWORD error) {
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
    };
    const std::string file = Planted("lookup\\app.exe");
    const std::string folder = kTestRoot + std::string("lookup");
    for (const std::string& path :
         {file, folder, folder + "\\", folder + "/", std::string("c:\\"), std::string("c:"), folder + "\\.",
          folder + "\\..", file + ".", file + "\\", file + "\\x", folder + "\\a*.exe", folder + "\\app.ex?",
          folder + "\\app<", folder + "\\\"app.exe\"", file + "|x", folder + "\\gone.exe",
          kTestRoot + std::string("gone\\app.exe"), std::string(""), ShortName(file), std::string("c:/qmfiletests/lookup/app.exe")})
    {
        SCOPED_TRACE(path);
        WIN32_FIND_DATAA data;
        const HANDLE search = ::FindFirstFileA(path.c_str(), &data);
        const bool found = search != INVALID_HANDLE_VALUE;
        const bool lookupMissing = !found && missingError(::GetLastError());
        if (found)
            ::FindClose(search);
        EXPECT_EQ(FindsFileOrFolder(path), found);
        if (!found)
        {
            EXPECT_EQ(missingError(::GetLastError()), lookupMissing);
        }
    }
}
