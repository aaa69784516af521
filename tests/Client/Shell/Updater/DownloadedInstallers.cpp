#include "DownloadedInstallers.h"

#include <windows.h>

#include "Framework/CFindHandle.h"

std::set<std::string> DownloadedInstallers()
{
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    std::set<std::string> paths;
    WIN32_FIND_DATAA found;
    const CFindHandle search(::FindFirstFileA((std::string(folder) + "qmu*.exe").c_str(), &found));
    if (!search)
        return paths;
    do
        paths.insert(std::string(folder) + found.cFileName);
    while (::FindNextFileA(search.Get(), &found));
    return paths;
}
