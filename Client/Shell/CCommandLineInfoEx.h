#pragma once
#include <string>

#include "Framework/CCommandLineInfo.h"

// The program's command line: "SCHEDULE" (a scheduled scan), "STARTSCAN" (a
// scan at log-on), each in any case, or a path that exists.
class CCommandLineInfoEx : public CCommandLineInfo
{
public:
    void ParseParam(const char* param, BOOL isFlag, BOOL isLast) override;

    int m_bSchedule = 0;
    int m_bStartScan = 0;
    std::string m_strPath;
};
