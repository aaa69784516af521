// Backups live beside the program. So that these tests write them into a
// folder of their own inside the throwaway prefix (and not beside the build
// output, which every prefix shares), the program copies itself into a
// scratch folder and runs that copy with the same arguments.
#include <windows.h>

#include <string>

#include "support/TestRegistry.h"

namespace
{
const char kChildMark[] = "QM_BACKUP_TESTS_IN_SCRATCH";

std::string ArgumentsAfterProgram()
{
    const std::string line = ::GetCommandLineA();
    size_t i = 0;
    if (!line.empty() && line[0] == '"')
    {
        const size_t close = line.find('"', 1);
        i = close == std::string::npos ? line.size() : close + 1;
    }
    else
    {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
    }
    return line.substr(i);
}

void InheritStdHandle(DWORD which, HANDLE& handle)
{
    handle = ::GetStdHandle(which);
    if (handle && handle != INVALID_HANDLE_VALUE)
        ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
}

struct RunFromScratchFolder
{
    RunFromScratchFolder()
    {
        char mark[8] = {};
        if (::GetEnvironmentVariableA(kChildMark, mark, sizeof(mark)))
            return;
        char self[MAX_PATH] = {};
        ::GetModuleFileNameA(NULL, self, MAX_PATH);
        const std::string copy = TestEnv::MakeScratchFolder("backup-program") + "backup_tests.exe";
        if (!::CopyFileA(self, copy.c_str(), FALSE))
            ::ExitProcess(3);
        ::SetEnvironmentVariableA(kChildMark, "1");

        TestEnv::ProcessStart start;
        start.program = copy;
        start.commandLine = "\"" + copy + "\"" + ArgumentsAfterProgram();
        start.inheritHandles = true;
        start.startup.dwFlags = STARTF_USESTDHANDLES;
        InheritStdHandle(STD_INPUT_HANDLE, start.startup.hStdInput);
        InheritStdHandle(STD_OUTPUT_HANDLE, start.startup.hStdOutput);
        InheritStdHandle(STD_ERROR_HANDLE, start.startup.hStdError);
        DWORD code = 4;
        {
            const TestEnv::StartedProcess process = TestEnv::StartProcess(start);
            if (process)
            {
                ::WaitForSingleObject(process.process.Get(), INFINITE);
                code = 5;
                ::GetExitCodeProcess(process.process.Get(), &code);
            }
        }
        ::ExitProcess(code);
    }
};

RunFromScratchFolder g_runFromScratchFolder;
}
