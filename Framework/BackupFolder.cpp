#include "Framework/BackupFolder.h"

#include <shlobj.h>

#include "Framework/AnsiText.h"
#include "Framework/ModulePath.h"

namespace
{
bool IsFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EnsureFolder(const std::string& path)
{
    if (IsFolder(path))
        return true;
    return ::CreateDirectoryA(path.c_str(), nullptr) || IsFolder(path);
}

std::string WindowsVolumeSerialPart()
{
    char windows[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(NULL, CSIDL_WINDOWS, NULL, SHGFP_TYPE_CURRENT, windows)))
        return std::string();
    const std::string root = std::string(windows).substr(0, 3);
    DWORD serial = 0;
    if (!::GetVolumeInformationA(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        return std::string();
    return AnsiText::Format("%lu-", static_cast<unsigned long>(serial));
}
}

namespace BackupFolder
{
std::string BaseFolder()
{
    return ModulePath::Folder() + "RegBackup\\";
}

std::string MachineFolder()
{
    std::string folder = BaseFolder();
    char computer[1024] = {};
    char user[1024] = {};
    DWORD size = sizeof(computer);
    if (::GetComputerNameA(computer, &size))
        folder += std::string(computer) + "-";
    folder += WindowsVolumeSerialPart();
    if (::GetUserNameA(user, &size))
        folder += user;
    return folder;
}

std::string FileName(const SYSTEMTIME& time, bool full)
{
    return AnsiText::Format("%02d%02d%02d_%02d%02d%02d%s.rbk", time.wDay, time.wMonth, time.wYear, time.wHour,
                            time.wMinute, time.wSecond, full ? "_FULL_REGBACKUP" : "_REGBACKUP");
}

bool Create()
{
    std::string base = BaseFolder();
    base.pop_back();
    return EnsureFolder(base) && EnsureFolder(MachineFolder());
}
}
