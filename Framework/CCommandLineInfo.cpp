#include "Framework/CCommandLineInfo.h"

#include <cstdlib>

void CCommandLineInfo::ParseParam(const char*, BOOL, BOOL)
{
}

void CCommandLineInfo::ParseArguments(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i)
    {
        const char* param = argv[i] ? argv[i] : "";
        const BOOL isFlag = param[0] == '-' || param[0] == '/';
        ParseParam(isFlag ? param + 1 : param, isFlag, i == argc - 1);
    }
}

void CCommandLineInfo::ParseProcessCommandLine()
{
    // The C runtime has already split the command line by the rules Windows
    // programs share (quotes, backslashes).
    ParseArguments(__argc, __argv);
}
