#pragma once
// Contract of Quillomar.exe and qmsag.dll: shared by both binaries and frozen
// (a change breaks a program or engine built apart from the other). It passes
// standard-library types, so both must come from one build with one runtime.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "Framework/AnsiText.h"
#include "Framework/ModulePath.h"

namespace BackupFolderDetail
{
inline bool IsFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool EnsureFolder(const std::string& path)
{
    if (IsFolder(path))
        return true;
    return ::CreateDirectoryA(path.c_str(), nullptr) || IsFolder(path);
}

inline std::string WindowsVolumeSerialPart()
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

// Where registry backups live and how they are named. The engine writes
// there and the backup page lists the same folder: both compile this one
// rule, so it is part of their contract.
namespace BackupFolder
{
// The program's folder, "RegBackup" and a backslash.
inline std::string BaseFolder()
{
    return ModulePath::Folder() + "RegBackup\\";
}

// The base folder and one subfolder per machine and user, without a
// trailing backslash: computer name and "-", volume serial of the Windows
// drive and "-", then the user name. Each part only when its call works;
// the user name only when it is shorter than the computer name (both calls
// share one size, and the backup page lists the same way).
inline std::string MachineFolder()
{
    std::string folder = BaseFolder();
    char computer[1024] = {};
    char user[1024] = {};
    DWORD size = sizeof(computer);
    if (::GetComputerNameA(computer, &size))
        folder += std::string(computer) + "-";
    folder += BackupFolderDetail::WindowsVolumeSerialPart();
    if (::GetUserNameA(user, &size))
        folder += user;
    return folder;
}

// "DDMMYYYY_HHMMSS" and "_FULL_REGBACKUP.rbk" or "_REGBACKUP.rbk".
inline std::string FileName(const SYSTEMTIME& time, bool full)
{
    return AnsiText::Format("%02d%02d%02d_%02d%02d%02d%s.rbk", time.wDay, time.wMonth, time.wYear, time.wHour,
                            time.wMinute, time.wSecond, full ? "_FULL_REGBACKUP" : "_REGBACKUP");
}

// Makes both folders when missing; false when either cannot be had (such as
// a file of that name in the way).
inline bool Create()
{
    std::string base = BaseFolder();
    base.pop_back();
    return BackupFolderDetail::EnsureFolder(base) && BackupFolderDetail::EnsureFolder(MachineFolder());
}
}
