#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Client/Scan/ScanItemRecord.h"

// Where the startup manager finds what starts with Windows and where it keeps
// what the user disabled. The page and its tests take every key and folder
// from here, so both walk the same paths.
namespace StartupLocations
{
// Run keys and records are read and written in the 64-bit view, so the
// program sees what Windows itself starts whichever build it is: the flag
// reaches the native view from a 32-bit build, is the own view of a 64-bit
// one, and is ignored by a 32-bit Windows.
constexpr REGSAM kView = KEY_WOW64_64KEY;

const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kWow64RunKey = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

// The records of disabled items, in the layout of Windows' own
// system-configuration tool, under HKEY_LOCAL_MACHINE.
const char* const kConfigKey = "Software\\Microsoft\\Shared Tools\\MSConfig";
const char* const kStartupRegKey = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg";
const char* const kStartupFolderKey = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupfolder";
HKEY RecordRoot();

// The Run keys to list: HKCU and HKLM, and the Wow6432Node key of HKLM (the
// Run key of 32-bit programs) on 64-bit Windows other than 5.2 (version
// code 5), whichever build the program is.
std::vector<IdStringEntry> RunKeys(bool windows64, int versionCode);
std::vector<IdStringEntry> CurrentRunKeys();
// The root key a Run-key entry holds. The entry keeps it in an int, which a
// 64-bit build must widen with its sign, as Windows defines the root keys.
HKEY RunKeyRoot(const IdStringEntry& runKey);

// The user's (common false) or the all-users Startup folder, without a
// trailing "\"; false when Windows does not give it.
bool StartupFolder(bool common, std::string& path);
// Where disabled Startup-folder files are kept: the Windows folder + "\pss\".
std::string PssFolder();

// The Windows 5.2 code of WindowsVersion.
constexpr int kVersionCode52 = 5;
}
