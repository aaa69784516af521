#pragma once
#include <windows.h>

#include <string>

class CTolvEngineProcess;

// Helpers of the scanners that look files up themselves rather than through
// the shared file tests.

// Whether a failed lookup means the file is gone (not found, no such folder,
// a name that cannot exist) rather than that it could not be judged.
inline bool IsMissingFileError(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

// A path that no lookup from here can judge: on a network share, on a drive
// that is not a fixed disk or not there at all, or still holding a "%...%"
// variable that nothing expanded. Such a path counts as present.
bool IsPathUnjudged(const CTolvEngineProcess& job, const std::string& path);
