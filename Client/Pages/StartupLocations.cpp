#include "Client/Pages/StartupLocations.h"

#include <shlobj.h>

#include "Client/Shell/WindowsVersion.h"
#include "Framework/Wow64.h"

namespace StartupLocations
{
HKEY RecordRoot()
{
    return HKEY_LOCAL_MACHINE;
}

namespace
{
IdStringEntry RunKeyOf(HKEY root, const char* path)
{
    IdStringEntry entry;
    entry.value = static_cast<int>(reinterpret_cast<ULONG_PTR>(root));
    entry.text = path;
    return entry;
}
}

std::vector<IdStringEntry> RunKeys(bool windows64, int versionCode)
{
    std::vector<IdStringEntry> keys = {RunKeyOf(HKEY_CURRENT_USER, kRunKey), RunKeyOf(HKEY_LOCAL_MACHINE, kRunKey)};
    if (windows64 && versionCode != kVersionCode52)
        keys.push_back(RunKeyOf(HKEY_LOCAL_MACHINE, kWow64RunKey));
    return keys;
}

std::vector<IdStringEntry> CurrentRunKeys()
{
    return RunKeys(Wow64::Is64BitWindows(), WindowsVersion::Current());
}

HKEY RunKeyRoot(const IdStringEntry& runKey)
{
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(runKey.value));
}

bool StartupFolder(bool common, std::string& path)
{
    char buffer[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathA(NULL, buffer, common ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP, FALSE) || !buffer[0])
        return false;
    path = buffer;
    return true;
}

std::string PssFolder()
{
    char buffer[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryA(buffer, MAX_PATH);
    std::string folder(buffer, length < MAX_PATH ? length : 0);
    return folder + "\\pss\\";
}
}
