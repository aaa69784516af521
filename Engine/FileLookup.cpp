#include "Engine/FileLookup.h"

bool FindFileByName(const std::string& path, DWORD* error)
{
    WIN32_FIND_DATAA data;
    const HANDLE search = ::FindFirstFileA(path.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
    {
        if (error)
            *error = ::GetLastError();
        return false;
    }
    ::FindClose(search);
    return true;
}

std::string WithoutTrailingBackslashes(const std::string& path)
{
    const size_t last = path.find_last_not_of('\\');
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}
