// The pieces of start-up that need no window: the command line, the Windows
// version code, the engine binding and the shared instance data.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Client/Shell/CCommandLineInfoEx.h"
#include "Client/Shell/EngineBinding.h"
#include "Client/Shell/SharedInstanceData.h"
#include "Client/Shell/WindowsVersion.h"
#include "Framework/Wow64.h"
#include "Engine/CAbstractProcess.h"
#include "Framework/ModulePath.h"
#include "support/TestRegistry.h"

namespace
{
CCommandLineInfoEx Parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "Quillomar.exe");
    CCommandLineInfoEx info;
    info.ParseArguments(static_cast<int>(arguments.size()), arguments.data());
    return info;
}
}

TEST(CommandLine, ScheduleAndStartScanInAnyCaseWithOrWithoutSwitchMark)
{
    for (const char* word : {"SCHEDULE", "schedule", "-Schedule", "/SCHEDULE", " schedule\t"})
    {
        const CCommandLineInfoEx info = Parse({word});
        EXPECT_EQ(info.m_bSchedule, 1) << word;
        EXPECT_EQ(info.m_bStartScan, 0) << word;
    }
    for (const char* word : {"STARTSCAN", "startscan", "/StartScan", "-STARTSCAN"})
    {
        const CCommandLineInfoEx info = Parse({word});
        EXPECT_EQ(info.m_bStartScan, 1) << word;
        EXPECT_EQ(info.m_bSchedule, 0) << word;
    }
    const CCommandLineInfoEx both = Parse({"startscan", "SCHEDULE"});
    EXPECT_EQ(both.m_bSchedule + both.m_bStartScan, 2);
    const CCommandLineInfoEx neither = Parse({"--schedule", "SCHEDULED"});
    EXPECT_EQ(neither.m_bSchedule + neither.m_bStartScan, 0);
}

TEST(CommandLine, AnExistingFileOrFolderIsKeptAsThePath)
{
    const std::string folder = TestEnv::MakeScratchFolder("cmdline");
    const std::string file = folder + "item.txt";
    ASSERT_TRUE(TestEnv::WriteFile(file, "x"));
    const std::string bare = folder.substr(0, folder.size() - 1);

    EXPECT_EQ(Parse({file.c_str()}).m_strPath, file);
    EXPECT_EQ(Parse({bare.c_str()}).m_strPath, bare);
    // A folder typed in quotes as "C:\folder\" arrives with a trailing quote.
    const std::string quoted = bare + "\"";
    EXPECT_EQ(Parse({quoted.c_str()}).m_strPath, quoted);
    const std::string padded = "  " + file + " ";
    EXPECT_EQ(Parse({padded.c_str()}).m_strPath, file);
    const std::string missing = folder + "nothing here";
    EXPECT_EQ(Parse({missing.c_str()}).m_strPath, "");
    // A folder's search always finds its "." entry, so an empty one counts too.
    const std::string empty = TestEnv::MakeScratchFolder("cmdline-empty");
    EXPECT_EQ(Parse({empty.c_str()}).m_strPath, empty);
}

TEST(WindowsVersionCode, EveryKnownVersionHasItsCode)
{
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_NT, 5, 0), 2);
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_NT, 5, 1), 3);
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_NT, 5, 2), 5);
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_NT, 6, 0), 4);
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_NT, 6, 1), 6);
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_NT, 6, 2), 7);
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_NT, 6, 3), 8);
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_NT, 10, 0), 10);
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_NT, 4, 0), 0);
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_NT, 6, 4), 0);
    EXPECT_EQ(WindowsVersion::CodeOf(VER_PLATFORM_WIN32_WINDOWS, 5, 1), 0);
}

TEST(WindowsVersionCode, FiveZeroAndUnknownVersionsAreNotSupported)
{
    for (int code : {3, 4, 5, 6, 7, 8, 10})
        EXPECT_TRUE(WindowsVersion::IsSupported(code)) << code;
    for (int code : {0, 1, 2, 9, 11})
        EXPECT_FALSE(WindowsVersion::IsSupported(code)) << code;
    // Wine reports a supported version unless told otherwise.
    EXPECT_TRUE(WindowsVersion::IsSupported(WindowsVersion::Current()));
}

TEST(WindowsVersionCode, Wow64MatchesTheKindOfPrefix)
{
    // wow64: a 32-bit build on a 64-bit Windows; win32: a 32-bit build on a
    // 32-bit Windows; win64: a 64-bit build on a 64-bit Windows.
    const char* kind = std::getenv("QM_WINEARCH");
    const std::string configuration = kind ? kind : "wow64";
    EXPECT_EQ(Wow64::IsCurrentProcess(), configuration == "wow64");
    EXPECT_EQ(Wow64::Is64BitWindows(), configuration != "win32");
    // The view the process does not see by itself, and the native one.
    const REGSAM other = configuration == "wow64" ? KEY_WOW64_64KEY : configuration == "win64" ? KEY_WOW64_32KEY : 0;
    EXPECT_EQ(Wow64::OtherView(), other);
    EXPECT_EQ(Wow64::NativeView(), configuration == "win32" ? 0u : static_cast<REGSAM>(KEY_WOW64_64KEY));
    EXPECT_EQ(Wow64::ThirtyTwoBitView(), configuration == "win64" ? static_cast<REGSAM>(KEY_WOW64_32KEY) : 0u);
}

// Runs in a copy of this program that Wine was told to present a given
// Windows to (the test below starts it).
TEST(ManifestedVersion, TheProgramSeesTheVersionItWasToldOf)
{
    const char* expected = std::getenv("QM_EXPECTED_VERSION_CODE");
    if (!expected)
        GTEST_SKIP() << "only in the copy started by WindowsVersionCode.TheManifestLetsNewWindowsReportItself";
    EXPECT_EQ(WindowsVersion::Current(), std::atoi(expected));
}

TEST(WindowsVersionCode, TheManifestLetsNewWindowsReportItself)
{
    // Without a manifest that names them, 8.1 and 10 report themselves as 8.
    const std::string folder = TestEnv::MakeScratchFolder("version-probe");
    const std::string copy = folder + "qm-version-probe.exe";
    ASSERT_TRUE(::CopyFileA(ModulePath::FileName().c_str(), copy.c_str(), FALSE));
    const char* const key = "Software\\Wine\\AppDefaults\\qm-version-probe.exe";
    for (const auto& version : {std::make_pair("win81", "8"), std::make_pair("win10", "10"),
                                std::make_pair("win7", "6"), std::make_pair("winxp", "3")})
    {
        ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, key, "Version", version.first));
        ASSERT_TRUE(::SetEnvironmentVariableA("QM_EXPECTED_VERSION_CODE", version.second));
        TestEnv::ProcessStart start;
        start.program = copy;
        start.commandLine = "\"" + copy + "\" --gtest_filter=ManifestedVersion.*";
        start.folder = folder;
        const TestEnv::StartedProcess probe = TestEnv::StartProcess(start);
        ASSERT_TRUE(probe) << "error " << ::GetLastError();
        ::WaitForSingleObject(probe.process.Get(), 60000);
        DWORD code = 1;
        ::GetExitCodeProcess(probe.process.Get(), &code);
        EXPECT_EQ(code, 0u) << "Wine set to " << version.first;
    }
    ::SetEnvironmentVariableA("QM_EXPECTED_VERSION_CODE", nullptr);
    TestEnv::DeleteTree(HKEY_CURRENT_USER, key);
}

namespace
{
class EngineBindingTest : public testing::Test
{
protected:
    void TearDown() override
    {
        if (g_hEngineModule && g_pEngine)
            EngineBinding::CallRelease(g_hEngineModule.Get(), g_pEngine);
        g_pEngine = nullptr;
        g_hEngineModule.Close();
    }
};
}

TEST_F(EngineBindingTest, TheEngineLibraryIsBoundByNameAndHandsOutAJobObject)
{
    DWORD error = 1;
    ASSERT_TRUE(EngineBinding::Bind("qmsag.dll", error));
    EXPECT_EQ(error, 0u);
    ASSERT_NE(g_pEngine, nullptr);
    CAbstractProcess* job = g_pEngine->CreateEngineProcess();
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->IsBusy(), 0);
    g_pEngine->DestroyEngineProcess(job);
}

TEST_F(EngineBindingTest, AMissingLibraryReportsTheLoadError)
{
    DWORD error = 0;
    EXPECT_FALSE(EngineBinding::Bind("qmsag-not-here.dll", error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(g_hEngineModule);
    EXPECT_EQ(g_pEngine, nullptr);
    EXPECT_EQ(EngineBinding::FailureText(error), "Module 'qmsag.dll' failed to load.\nError: '126'");
}

TEST_F(EngineBindingTest, ALibraryWithoutTheFactoryReportsErrorZero)
{
    DWORD error = 1;
    EXPECT_FALSE(EngineBinding::Bind("qmtest_noengine.dll", error));
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(g_hEngineModule) << "the library stays loaded until the program ends";
    EXPECT_EQ(g_pEngine, nullptr);
    EXPECT_EQ(EngineBinding::FailureText(error), "Module 'qmsag.dll' failed to load.\nError: '0'");
    EngineBinding::CallRelease(g_hEngineModule.Get(), nullptr);
}

TEST(SharedInstanceDataTest, TheSectionIsSharedAndHoldsTheMainWindowAndAPath)
{
    const BYTE* image = reinterpret_cast<const BYTE*>(::GetModuleHandleA(nullptr));
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    const IMAGE_SECTION_HEADER* shared = nullptr;
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i)
        if (std::string(reinterpret_cast<const char*>(section[i].Name), 7) == ".SHARED")
            shared = &section[i];
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->Characteristics & (IMAGE_SCN_MEM_SHARED | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE),
              static_cast<DWORD>(IMAGE_SCN_MEM_SHARED | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE));
    EXPECT_GE(shared->Misc.VirtualSize, 268u);

    EXPECT_EQ(GetSharedMainWindow(), static_cast<HWND>(NULL));
    SetSharedMainWindow(reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(GetSharedMainWindow(), reinterpret_cast<HWND>(0x1234));
    SetSharedMainWindow(NULL);
    const BYTE* path = reinterpret_cast<const BYTE*>(GetSharedPath());
    EXPECT_GE(path, image + shared->VirtualAddress + 8);
    EXPECT_EQ(path[0], 0);
}
