#include "Engine/FileLookup.h"

bool IsPathUnjudged(const std::string& path)
{
    const size_t open = path.find('%');
    if (open != std::string::npos && path.find('%', open + 2) != std::string::npos)
        return true;
    if (path.compare(0, 2, "\\\\") == 0)
        return true;
    if (path.size() < 2 || path[1] != ':' || !::IsCharAlphaA(path[0]))
        return false;
    const std::string root = path.substr(0, 2) + "\\";
    return ::GetDriveTypeA(root.c_str()) != DRIVE_FIXED;
}
