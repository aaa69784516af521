// Folder variables expanded against the folders this Windows reports.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "Engine/PathVariables.h"
#include "Framework/AnsiText.h"
#include "ScanTestSupport.h"
#include "support/TestRegistry.h"

namespace
{
enum Source
{
    kDrive,
    kTempParent,
    kTemp,
    kShell,
};

enum Fold
{
    kNoFold,
    kLowerOnly,
    kSystem,
    kProgramFiles,
};

struct Expected
{
    const char* token;
    Source source;
    int csidl;
    Fold fold;
};

const Expected kExpected[] = {
    {"%SystemDrive%", kDrive, CSIDL_WINDOWS, kNoFold},
    {"%LocalSettings%", kTempParent, 0, kNoFold},
    {"%WinDir%", kShell, CSIDL_WINDOWS, kLowerOnly},
    {"%SystemRoot%", kShell, CSIDL_WINDOWS, kLowerOnly},
    {"%SystemDir%", kShell, CSIDL_SYSTEM, kSystem},
    {"%CommonProgramFiles%", kShell, CSIDL_PROGRAM_FILES_COMMON, kProgramFiles},
    {"%CommonProgramFiles(x86)%", kShell, CSIDL_PROGRAM_FILES_COMMONX86, kLowerOnly},
    {"%ProgramFiles%", kShell, CSIDL_PROGRAM_FILES, kProgramFiles},
    {"%ProgramFiles(x86)%", kShell, CSIDL_PROGRAM_FILESX86, kLowerOnly},
    {"%UserProfile%", kShell, CSIDL_PROFILE, kLowerOnly},
    {"%AppData%", kShell, CSIDL_APPDATA, kLowerOnly},
    {"%InternetCache%", kShell, CSIDL_INTERNET_CACHE, kLowerOnly},
    {"%CDBurnArea%", kShell, CSIDL_CDBURN_AREA, kLowerOnly},
    {"%CommonAdminTools%", kShell, CSIDL_COMMON_ADMINTOOLS, kLowerOnly},
    {"%CommonAppData%", kShell, CSIDL_COMMON_APPDATA, kLowerOnly},
    {"%CommonDesktopDirectory%", kShell, CSIDL_COMMON_DESKTOPDIRECTORY, kLowerOnly},
    {"%CommonDocuments%", kShell, CSIDL_COMMON_DOCUMENTS, kLowerOnly},
    {"%CommonFavorites%", kShell, CSIDL_COMMON_FAVORITES, kLowerOnly},
    {"%CommonMusic%", kShell, CSIDL_COMMON_MUSIC, kLowerOnly},
    {"%CommonPictures%", kShell, CSIDL_COMMON_PICTURES, kLowerOnly},
    {"%CommonPrograms%", kShell, CSIDL_COMMON_PROGRAMS, kLowerOnly},
    {"%CommonStartMenu%", kShell, CSIDL_COMMON_STARTMENU, kLowerOnly},
    {"%CommonStartup%", kShell, CSIDL_COMMON_STARTUP, kLowerOnly},
    {"%CommonTemplates%", kShell, CSIDL_COMMON_TEMPLATES, kLowerOnly},
    {"%CommonVideo%", kShell, CSIDL_COMMON_VIDEO, kLowerOnly},
    {"%Cookies%", kShell, CSIDL_COOKIES, kLowerOnly},
    {"%DesktopDirectory%", kShell, CSIDL_DESKTOPDIRECTORY, kLowerOnly},
    {"%Favorites%", kShell, CSIDL_FAVORITES, kLowerOnly},
    {"%History%", kShell, CSIDL_HISTORY, kLowerOnly},
    {"%LocalAppData%", kShell, CSIDL_LOCAL_APPDATA, kLowerOnly},
    {"%MyMusic%", kShell, CSIDL_MYMUSIC, kLowerOnly},
    {"%MyPictures%", kShell, CSIDL_MYPICTURES, kLowerOnly},
    {"%MyVideo%", kShell, CSIDL_MYVIDEO, kLowerOnly},
    {"%NetHood%", kShell, CSIDL_NETHOOD, kLowerOnly},
    {"%Personal%", kShell, CSIDL_PERSONAL, kLowerOnly},
    {"%PrintHood%", kShell, CSIDL_PRINTHOOD, kLowerOnly},
    {"%Programs%", kShell, CSIDL_PROGRAMS, kLowerOnly},
    {"%Recent%", kShell, CSIDL_RECENT, kLowerOnly},
    {"%SendTo%", kShell, CSIDL_SENDTO, kLowerOnly},
    {"%StartMenu%", kShell, CSIDL_STARTMENU, kLowerOnly},
    {"%StartMenuPrograms%", kShell, CSIDL_STARTMENU, kLowerOnly},
    {"%Startup%", kShell, CSIDL_STARTUP, kLowerOnly},
    {"%Temp%", kTemp, 0, kNoFold},
    {"%Templates%", kShell, CSIDL_TEMPLATES, kLowerOnly},
    {"%AdminTools%", kShell, CSIDL_ADMINTOOLS, kLowerOnly},
};

std::string TempPath()
{
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH, buffer);
    return length && length < MAX_PATH ? std::string(buffer) : std::string();
}

// The folder the system reports for the row; empty when it refuses.
std::string ReportedFolder(const Expected& row)
{
    switch (row.source)
    {
    case kDrive:
        return ScanTest::ShellFolder(row.csidl).substr(0, 2);
    case kTempParent:
    {
        const std::string temp = TempPath();
        return temp.size() >= 6 ? temp.substr(0, temp.size() - 6) : std::string();
    }
    case kTemp:
        return TempPath();
    case kShell:
        return ScanTest::ShellFolder(row.csidl);
    }
    return std::string();
}

void ApplyFolding(std::string& text, Fold fold)
{
    if (fold == kNoFold)
        return;
    AnsiText::MakeLower(text);
    if (fold == kSystem)
        AnsiText::ReplaceAll(text, "syswow64", "system32");
    if (fold == kProgramFiles)
        AnsiText::ReplaceAll(text, "program files (x86)", "program files");
}

// Sets the variables the temporary folder is read from, for one test.
class TempFolderOverride
{
public:
    explicit TempFolderOverride(const std::string& folder) : m_tmp(Read("TMP")), m_temp(Read("TEMP"))
    {
        ::SetEnvironmentVariableA("TMP", folder.c_str());
        ::SetEnvironmentVariableA("TEMP", folder.c_str());
    }
    ~TempFolderOverride()
    {
        ::SetEnvironmentVariableA("TMP", m_tmp.c_str());
        ::SetEnvironmentVariableA("TEMP", m_temp.c_str());
    }

private:
    static std::string Read(const char* name)
    {
        char buffer[32768] = {};
        ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
        return buffer;
    }
    std::string m_tmp;
    std::string m_temp;
};

std::string Expand(std::string text, int windows64, int* result = nullptr)
{
    ScanTestJob job;
    job.Set64BitWindows(windows64);
    const int replaced = ExpandPathVariables(text, job);
    if (result)
        *result = replaced;
    return text;
}
}

TEST(PathVariableTable, HoldsTheFortyFiveTokensInTheirOrder)
{
    ASSERT_EQ(PathVariableCount, sizeof(kExpected) / sizeof(kExpected[0]));
    for (size_t i = 0; i < PathVariableCount; ++i)
        EXPECT_STREQ(PathVariableTable[i].token, kExpected[i].token) << "row " << i + 1;
}

// Every token, written in capitals, against the folder the system reports,
// with and without the folding of a 64-bit Windows.
TEST(PathVariables, EveryTokenExpandsToTheReportedFolder)
{
    int refused = 0;
    for (const Expected& row : kExpected)
    {
        for (int windows64 : {0, 1})
        {
            const std::string rest = "\\Qm Dir\\File.TXT";
            int result = -1;
            const std::string expanded = Expand(ScanTest::Upper(row.token) + rest, windows64, &result);
            const std::string folder = ReportedFolder(row);
            std::string expected = folder.empty() ? ScanTest::Lower(row.token) + "\\qm dir\\file.txt"
                                                  : folder + "\\qm dir\\file.txt";
            if (windows64)
                ApplyFolding(expected, row.fold);
            EXPECT_EQ(expanded, expected) << row.token << " 64-bit Windows=" << windows64;
            EXPECT_EQ(result, folder.empty() ? 0 : 1) << row.token;
            if (folder.empty() && windows64)
                ++refused;
        }
    }
    // The shell of this Windows knows nearly every folder.
    EXPECT_LE(refused, 4);
}

TEST(PathVariables, FoldsThirtyTwoBitFoldersOn64BitWindows)
{
    const std::string programFiles = ScanTest::ShellFolder(CSIDL_PROGRAM_FILES);
    const std::string system = ScanTest::ShellFolder(CSIDL_SYSTEM);
    ScanTestJob job;
    std::string text = "%ProgramFiles%\\App\\a.exe";
    ExpandPathVariables(text, job);
    std::string systemText = "%SystemDir%\\Drivers\\X.SYS";
    ExpandPathVariables(systemText, job);
    // The shell hands a 32-bit program its own folders.
    EXPECT_EQ(ScanTest::Lower(programFiles).find("(x86)") != std::string::npos, TestEnv::IsWow64()) << programFiles;
    if (TestEnv::Is64BitWindows())
    {
        // Either build judges the native folders, in one lower-cased form.
        EXPECT_EQ(text, ScanTest::Lower(ScanTest::WindowsFolder()).substr(0, 2) + "\\program files\\app\\a.exe");
        EXPECT_EQ(systemText, ScanTest::Lower(ScanTest::WindowsFolder()) + "\\system32\\drivers\\x.sys");
    }
    else
    {
        EXPECT_EQ(text, programFiles + "\\app\\a.exe");
        EXPECT_EQ(systemText, system + "\\drivers\\x.sys");
    }
    // The explicit 32-bit folder keeps its name.
    std::string x86 = "%ProgramFiles(x86)%\\a.exe";
    ScanTestJob windows64;
    windows64.Set64BitWindows(1);
    ExpandPathVariables(x86, windows64);
    EXPECT_EQ(x86, ScanTest::Lower(ScanTest::ShellFolder(CSIDL_PROGRAM_FILESX86)) + "\\a.exe");
}

TEST(PathVariables, ShortTextsAreOnlyLowerCased)
{
    int result = -1;
    EXPECT_EQ(Expand("AbC", 0, &result), "abc");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Expand("%Temp%", 0, &result), "%temp%");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Expand("C:\\NO\\VARIABLE.TXT", 0, &result), "c:\\no\\variable.txt");
    EXPECT_EQ(result, 0);
}

TEST(PathVariables, OnlyTheEarliestRowIsReplacedAndEveryOccurrenceOfIt)
{
    const std::string windows = ScanTest::ShellFolder(CSIDL_WINDOWS);
    EXPECT_EQ(Expand("%WINDIR%\\Notepad.EXE", 0), windows + "\\notepad.exe");
    EXPECT_EQ(Expand("%ProgramFiles%\\a;%WinDir%\\b", 0), "%programfiles%\\a;" + windows + "\\b");
    int result = 0;
    EXPECT_EQ(Expand("%WinDir%\\a;%windir%\\b", 0, &result), windows + "\\a;" + windows + "\\b");
    EXPECT_EQ(result, 1);
    // Row 40 does not shadow row 41.
    EXPECT_EQ(Expand("%StartMenuPrograms%\\x.lnk", 0), ScanTest::ShellFolder(CSIDL_STARTMENU) + "\\x.lnk");
    // A variable outside the table stays.
    EXPECT_EQ(Expand("%ProgramData%\\qm\\app.exe", 1, &result), "%programdata%\\qm\\app.exe");
    EXPECT_EQ(result, 0);
}

TEST(PathVariables, SystemDriveIsNeverFolded)
{
    const std::string drive = ScanTest::ShellFolder(CSIDL_WINDOWS).substr(0, 2);
    EXPECT_EQ(Expand("%SystemDrive%\\boot.ini", 1), drive + "\\boot.ini");
    EXPECT_EQ(Expand("%SystemDrive%\\boot.ini", 0), drive + "\\boot.ini");
}

TEST(PathVariables, LocalSettingsIsTheParentOfTheTemporaryFolder)
{
    {
        TempFolderOverride temp("C:\\Users\\u\\AppData\\Local\\Temp\\");
        EXPECT_EQ(Expand("%LocalSettings%\\x.dat", 1), "C:\\Users\\u\\AppData\\Local\\x.dat");
        EXPECT_EQ(Expand("%Temp%A.tmp", 1), "C:\\Users\\u\\AppData\\Local\\Temp\\a.tmp");
    }
    {
        // Too short to lose "\Temp\": no folder at all, not a cut one.
        TempFolderOverride temp("C:\\");
        int result = -1;
        EXPECT_EQ(Expand("%LocalSettings%\\x.dat", 0, &result), "%localsettings%\\x.dat");
        EXPECT_EQ(result, 0);
        EXPECT_EQ(Expand("%Temp%x.dat", 0), "C:\\x.dat");
    }
    {
        // A temporary folder longer than a path can be is refused.
        TempFolderOverride temp("C:\\" + std::string(300, 'a') + "\\");
        int result = -1;
        EXPECT_EQ(Expand("%LocalSettings%\\x.dat", 0, &result), "%localsettings%\\x.dat");
        EXPECT_EQ(result, 0);
        EXPECT_EQ(Expand("%Temp%x.dat", 0, &result), "%temp%x.dat");
        EXPECT_EQ(result, 0);
    }
}
