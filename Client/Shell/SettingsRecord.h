#pragma once
#include <windows.h>

#include <string>

// The program's options and the date of the last scan, as the pages read
// them. A flag is 1 or 0.
struct SettingsRecord
{
    std::string lastScan;
    int firstRun = 1;
    DWORD runCount = 0;
    int softwareUpdate = 0;
    int restorePoint = 0;
    int autoRepair = 0;
    int logScanSummary = 0;
    int contextMenu = 0;
    int autoShutdown = 0;
    int autoShutdownSystem = 0;
    int autoRestartSystem = 0;
};
