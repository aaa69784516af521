#include "support/ProgramDriverDisk.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "Framework/CHandle.h"
#include "support/OwnFolder.h"

namespace ProgramDriver
{
namespace
{
const char kFillerName[] = "qm-disk-filler";

// Writes chunks of this size until one does not go in whole.
void WriteUntilFull(HANDLE file, DWORD chunk)
{
    const std::vector<char> bytes(chunk, 'f');
    DWORD done = chunk;
    while (done == chunk)
        if (!::WriteFile(file, bytes.data(), chunk, &done, nullptr))
            return;
}
}

std::string SmallDiskFolder()
{
    const char* unixPath = std::getenv("QM_SMALL_DISK");
    if (!unixPath || !*unixPath)
        return std::string();
    // Wine's drive Z: is the whole Unix tree.
    std::string folder = std::string("Z:") + unixPath;
    for (char& c : folder)
        if (c == '/')
            c = '\\';
    return folder + "\\";
}

std::string MakeProgramFolderOnSmallDisk(const std::string& name)
{
    const std::string disk = SmallDiskFolder();
    if (disk.empty())
        return std::string();
    const std::string folder = disk + name + "\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string source = OwnFolder::BinariesFolder();
    if (!::CopyFileA((source + "Quillomar.exe").c_str(), (folder + "Quillomar.exe").c_str(), FALSE) ||
        !::CopyFileA((source + "qmsag.dll").c_str(), (folder + "qmsag.dll").c_str(), FALSE))
        return std::string();
    return folder;
}

bool FillDisk(const std::string& folder)
{
    CHandle file(::CreateFileA((folder + kFillerName).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    ::SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    // Large pieces first, then ever smaller ones into what is left.
    for (DWORD chunk = 1u << 20; chunk >= 1; chunk /= 16)
        WriteUntilFull(file.Get(), chunk);
    ::FlushFileBuffers(file.Get());
    // Nothing more goes in: not even one byte.
    DWORD done = 0;
    return !(::WriteFile(file.Get(), "f", 1, &done, nullptr) && done == 1);
}

void FreeDisk(const std::string& folder)
{
    ::DeleteFileA((folder + kFillerName).c_str());
}
}
