#pragma once
#include <windows.h>

#include <string>
#include <vector>

// One registry backup file as the backup page lists it.
struct BackupEntry
{
    std::string title;    // the file name without its extension
    std::string path;     // the file's full path
    std::string dateText; // its creation time, "%B %d, %Y (%H:%M:%S)"
};

// The registry backup files of one folder, newest first. The order comes
// from the date and time in each file name, since the folder search gives
// files in whatever order the file system keeps them. Every file named as a
// backup is listed, also a damaged one, so that the user can see and delete
// it (its restore is refused and writes nothing); the engine gives a backup
// its name only once it is whole.
namespace BackupList
{
std::vector<BackupEntry> Enumerate(const std::string& folder);

// Puts entries newest first by the date in their file names; names that
// carry no date go last, by name.
void SortNewestFirst(std::vector<BackupEntry>& entries);

// "DDMMYYYY_HHMMSS" at the start of a backup's file name, as one number
// that grows with the date (YYYYMMDDHHMMSS); false when the name has none.
bool DateInName(const std::string& name, unsigned long long& stamp);

// "%B %d, %Y (%H:%M:%S)" with English month names, whatever the locale.
std::string FormatDate(const SYSTEMTIME& time);

// The file name up to its last "." (the whole name when the "." is the
// first character or missing).
std::string TitleOf(const std::string& fileName);
}
