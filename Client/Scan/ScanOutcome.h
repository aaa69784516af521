#pragma once
#include <windows.h>

#include <string>

// What a finished scan hands on to the results page, as one record.
struct ScanOutcome
{
    // The categories the scan was asked for.
    DWORD mask = 0;
    // Findings stored: the results page's total and selected counts to begin with.
    int found = 0;
    // Junk-file findings counted, and the size text of the last junk total
    // (put before " Junk Files Found").
    int junkRows = 0;
    std::string junkText = "No";
    // When the scan started and ended (tick counts), and the items it
    // examined (the non-empty status texts).
    DWORD startTick = 0;
    DWORD endTick = 0;
    int examined = 0;
    // Ran to its end: only such a scan goes on by itself.
    bool completed = false;
};
