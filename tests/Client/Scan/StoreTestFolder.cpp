#include "Client/Scan/StoreTestFolder.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <string>

#include "Client/Scan/CScanItemsInfo.h"
#include "Framework/ModulePath.h"
#include "support/TestRegistry.h"

namespace
{
const char kCopyVariable[] = "QM_STORE_TEST_COPY";
const char kReportName[] = "copy-report.xml";
const DWORD kCopyTimeoutMs = 120000;
}

std::string FileBytes(const std::string& path)
{
    return TestEnv::ReadFile(path);
}

namespace
{
bool IsCopy()
{
    char value[8] = {};
    return ::GetEnvironmentVariableA(kCopyVariable, value, sizeof(value)) > 0 && value[0] == '1';
}

std::string CurrentTestName()
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

std::string FreshFolder(const std::string& testName)
{
    std::string name = "store-" + std::to_string(::GetCurrentProcessId()) + "-" + testName;
    for (char& c : name)
        if (c == '.' || c == '/')
            c = '-';
    return TestEnv::MakeScratchFolder(name);
}

// Runs the copy with the output handles of this process; its exit code, or -1
// (with why in failure).
int RunCopy(const std::string& program, const std::string& testName, const std::string& report,
            std::string* failure)
{
    TestEnv::ProcessStart start;
    start.program = program;
    start.commandLine =
        "\"" + program + "\" --gtest_color=no --gtest_filter=" + testName + " \"--gtest_output=xml:" + report + "\"";
    start.inheritHandles = true;
    start.startup = TestEnv::WithOurStandardHandles();
    ::SetEnvironmentVariableA(kCopyVariable, "1");
    const TestEnv::StartedProcess process = TestEnv::StartProcess(start);
    const DWORD startError = ::GetLastError();
    ::SetEnvironmentVariableA(kCopyVariable, nullptr);
    if (!process)
    {
        *failure = "it could not be started (error " + std::to_string(startError) + ")";
        return -1;
    }
    if (::WaitForSingleObject(process.process.Get(), kCopyTimeoutMs) != WAIT_OBJECT_0)
    {
        ::TerminateProcess(process.process.Get(), 1);
        *failure = "it did not end within " + std::to_string(kCopyTimeoutMs) + " ms";
        return -1;
    }
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.process.Get(), &exitCode);
    return static_cast<int>(exitCode);
}
}

bool RunInOwnFolder()
{
    if (IsCopy())
        return true;
    const std::string testName = CurrentTestName();
    const std::string folder = FreshFolder(testName);
    const std::string self = ModulePath::FileName();
    const std::string copy = folder + self.substr(self.find_last_of('\\') + 1);
    if (!::CopyFileA(self.c_str(), copy.c_str(), FALSE))
    {
        ADD_FAILURE() << "cannot copy the test program to " << copy << ", error " << ::GetLastError();
        return false;
    }
    const std::string report = folder + kReportName;
    std::string failure;
    EXPECT_EQ(RunCopy(copy, testName, report, &failure), 0) << "the copy in " << folder << " failed: " << failure;
    const std::string results = FileBytes(report);
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    EXPECT_NE(results.find("<testcase name=\"" + name + "\""), std::string::npos)
        << "the copy in " << folder << " did not run the test";
    if (results.find("result=\"skipped\"") != std::string::npos)
        [] { GTEST_SKIP() << "skipped in the copy"; }();
    return false;
}

void PlantIgnoreList(const std::string& bytes)
{
    ASSERT_TRUE(TestEnv::WriteFile(CScanItemsInfo::IgnoreListPath(), bytes));
}

std::string IgnoreListBytes()
{
    return FileBytes(CScanItemsInfo::IgnoreListPath());
}
