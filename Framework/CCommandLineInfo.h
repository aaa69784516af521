#pragma once
#include <windows.h>

// Receives the program's command-line arguments one at a time. A derived
// class decides what each word means.
class CCommandLineInfo
{
public:
    CCommandLineInfo() = default;
    virtual ~CCommandLineInfo() = default;

    // param: the argument with one leading "-" or "/" removed; isFlag tells
    // whether there was one; isLast marks the final argument.
    virtual void ParseParam(const char* param, BOOL isFlag, BOOL isLast);

    // Hands every argument after the program name (argv[0]) to ParseParam.
    void ParseArguments(int argc, const char* const* argv);
    // The same for the command line this process was started with.
    void ParseProcessCommandLine();

protected:
    CCommandLineInfo(const CCommandLineInfo&) = default;
    CCommandLineInfo& operator=(const CCommandLineInfo&) = default;
};
