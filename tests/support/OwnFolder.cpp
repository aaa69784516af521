#include "support/OwnFolder.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Framework/ModulePath.h"
#include "support/TestRegistry.h"

namespace OwnFolder
{
namespace
{
const char kBinariesVariable[] = "QM_TEST_BINARIES";

std::string Variable(const char* name)
{
    char value[MAX_PATH * 2] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

// The command line after the program's own name, as it was given.
std::string Arguments()
{
    const char* line = ::GetCommandLineA();
    const bool quoted = *line == '"';
    for (++line; *line && (quoted ? *line != '"' : *line != ' '); ++line)
    {
    }
    if (quoted && *line)
        ++line;
    return line;
}

// How long the copy may take: the time limit of the test program and a
// little more, for the copy's own report when it runs out.
DWORD CopyTimeLimit()
{
    const char* limit = std::getenv("QM_TIME_LIMIT");
    const unsigned long seconds = limit ? std::strtoul(limit, nullptr, 10) : 0;
    return seconds ? (seconds + 15) * 1000 : INFINITE;
}

std::string FreshFolder()
{
    const std::string self = ModulePath::FileName();
    std::string name = self.substr(self.find_last_of('\\') + 1);
    name = name.substr(0, name.find_last_of('.')) + "-" + std::to_string(::GetCurrentProcessId());
    return TestEnv::MakeScratchFolder(name);
}
}

std::string BinariesFolder()
{
    const std::string given = Variable(kBinariesVariable);
    return given.empty() ? ModulePath::Folder() : given;
}

bool RunCopy(int* exitCode)
{
    if (!Variable(kBinariesVariable).empty())
        return false;
    const std::string binaries = ModulePath::Folder();
    const std::string self = ModulePath::FileName();
    const std::string folder = FreshFolder();
    const std::string copy = folder + self.substr(self.find_last_of('\\') + 1);
    bool copied = ::CopyFileA(self.c_str(), copy.c_str(), FALSE) != FALSE;
    for (const std::string& library : TestEnv::NamesMatching(binaries + "*.dll"))
        copied = copied && ::CopyFileA((binaries + library).c_str(), (folder + library).c_str(), FALSE);
    if (!copied)
    {
        std::fprintf(stderr, "cannot copy the test program and its libraries to %s (error %lu)\n", folder.c_str(),
                     ::GetLastError());
        *exitCode = 1;
        return true;
    }
    TestEnv::ProcessStart start;
    start.program = copy;
    start.commandLine = "\"" + copy + "\"" + Arguments();
    start.folder = folder;
    start.inheritHandles = true;
    start.startup = TestEnv::WithOurStandardHandles();
    ::SetEnvironmentVariableA(kBinariesVariable, binaries.c_str());
    const TestEnv::StartedProcess process = TestEnv::StartProcess(start);
    if (!process)
    {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", copy.c_str(), ::GetLastError());
        *exitCode = 1;
        return true;
    }
    DWORD code = 1;
    if (::WaitForSingleObject(process.process.Get(), CopyTimeLimit()) != WAIT_OBJECT_0)
    {
        std::fprintf(stderr, "the test program in %s did not end within its time limit\n", folder.c_str());
        ::TerminateProcess(process.process.Get(), 4);
        code = 4;
    }
    else
    {
        ::GetExitCodeProcess(process.process.Get(), &code);
    }
    std::fflush(stderr);
    *exitCode = static_cast<int>(code);
    return true;
}
}
