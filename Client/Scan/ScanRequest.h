#pragma once
#include <windows.h>

#include <string>

// How a scan was asked for; the engine takes the number as its scan option
// (a scheduled scan also adds the files it finds referenced to the folders
// it checks).
enum class ScanMode
{
    // The Scan button's, and a start at log-on.
    Ordinary = 0,
    Scheduled = 1,
    // Asked for by a second start of the program with a path.
    WithPath = 4,
};

// The number another start of the program or the command line hands over:
// 1 a scheduled scan, 4 one with a path, anything else an ordinary one.
inline ScanMode ScanModeOf(int number)
{
    if (number == static_cast<int>(ScanMode::Scheduled))
        return ScanMode::Scheduled;
    if (number == static_cast<int>(ScanMode::WithPath))
        return ScanMode::WithPath;
    return ScanMode::Ordinary;
}

// One scan as the options page hands it to the page that runs it.
struct ScanRequest
{
    // The categories to scan (their bits).
    DWORD categories = 0;
    ScanMode mode = ScanMode::Ordinary;
    // The path a scan with a path was asked for with; kept with the scan,
    // the engine is not told it.
    std::string path;
};
