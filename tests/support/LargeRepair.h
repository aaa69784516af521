#pragma once
#include <windows.h>

#include <string>

// A repair of many findings through the real program, for the tests and
// benchmarks that watch how the program bears it: dead file references
// planted in the user's hive (found by the file-path scan), plain keys
// beside them, and the road from the results page's Repair to the home page.
namespace LargeRepair
{
// The file-path category, the one the planted findings belong to.
const DWORD kCategory = 0x400000;

// count keys below HKEY_CURRENT_USER\key, in groups, each with a value
// "Target" that names a file that does not exist: count findings.
bool PlantDeadReferences(const std::string& key, int count);
// How many of those values are still there.
int DeadReferencesLeft(const std::string& key, int count);
// count keys below HKEY_CURRENT_USER\key whose one value names a file that
// exists: keys the scan walks and leaves alone.
bool PlantLiveKeys(const std::string& key, int count);

// A settings file in the program's folder that ticks only kCategory.
bool WriteSettings(const std::string& programFolder);

// From the results page: Repair, then the wait until the program is on its
// home page again, as it is when the repair's end was handled. False when
// Repair could not be clicked or the home page did not come in time.
bool RepairAndWaitForHome(HWND mainWindow, DWORD milliseconds);
}
