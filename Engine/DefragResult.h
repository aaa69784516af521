#pragma once
// Contract of Quillomar.exe and qmsag.dll: shared by both binaries and frozen
// (a change breaks a program or engine built apart from the other). It passes
// standard-library types, so both must come from one build with one runtime.

// Outcome of a hive analysis or swap, as the engine reports it to the
// defragmentation page (OnDefragResult and OnJobFinished).
enum DefragResult : int
{
    kDefragFailedBeforeHiveList = 0, // an exception before the hive list was complete, or during the swap
    kDefragHiveListFailed = 1,       // the hive list could not be opened or read
    kDefragCompactionFailed = 2,     // no compacted copy could be written
    kDefragSwapFailed = 3,           // no replacement was registered
    kDefragLowDiskSpace = 4,         // the engine never gives it; the page has a message for it
    kDefragFailedAfterHiveList = 5,  // an exception after the hive list was complete
    kDefragWorthCompacting = 6,      // the copies are more than 4 percent smaller
    kDefragSwapped = 7,              // at least one copy is swapped in at the next restart
    kDefragNothingToGain = 8,        // the copies are not smaller, or by at most 4 percent
};

// Above this gain in percent the analysis offers the swap.
inline constexpr unsigned kDefragWorthwhileGain = 4;
