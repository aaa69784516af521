#pragma once
#include <windows.h>

#include <string>

// A find-first-file lookup of one name: a file or a folder of that name (or a
// pattern that matches one) is a hit. On a miss, error receives the reason.
bool FindFileByName(const std::string& path, DWORD* error = nullptr);

// Whether a miss of a lookup means the file is gone (not found, no such
// folder, a name that cannot exist) rather than that it could not be judged.
inline bool IsMissingFileError(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

// Strips every trailing backslash.
std::string WithoutTrailingBackslashes(const std::string& path);
