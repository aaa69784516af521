#include "PlantedHives.h"

#include <shlwapi.h>

#include <fstream>
#include <sstream>
#include <gtest/gtest.h>

#include "Framework/CHandle.h"
#include "Framework/CRegKey.h"
#include "support/TestRegistry.h"

namespace
{
const char kHiveFolder[] = "C:\\windows\\temp\\qmhives";
const char kHiveListParent[] = "SYSTEM\\QmDefragTest\\";

const char* RootPrefix(HKEY root)
{
    return root == HKEY_USERS ? "\\REGISTRY\\USER\\" : "\\REGISTRY\\MACHINE\\";
}
}

REGSAM NativeView()
{
    return TestEnv::IsWow64() ? KEY_WOW64_64KEY : 0;
}

std::string WindowsWorkFolder()
{
    return DefragRoots::OfThisWindows().windowsFolder + "\\Temp\\Quillomar\\RegDefrag";
}

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found = {};
    const HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

PlantedHives::PlantedHives(const std::string& name) : m_listKey(kHiveListParent + name)
{
    ::CreateDirectoryA(kHiveFolder, nullptr);
    CRegKey list;
    EXPECT_EQ(list.Create(HKEY_LOCAL_MACHINE, m_listKey.c_str(), KEY_ALL_ACCESS | NativeView()), ERROR_SUCCESS);
}

PlantedHives::PlantedHives(InWindowsHiveList) : m_listKey(DefragRoots().hiveListKey), m_ownsListKey(false)
{
    ::CreateDirectoryA(kHiveFolder, nullptr);
    CRegKey list;
    EXPECT_EQ(list.Create(HKEY_LOCAL_MACHINE, m_listKey.c_str(), KEY_ALL_ACCESS | NativeView()), ERROR_SUCCESS);
}

PlantedHives::~PlantedHives()
{
    for (const auto& key : m_keys)
        ::SHDeleteKeyA(key.first, key.second.c_str());
    for (const std::string& file : m_files)
        ::DeleteFileA(file.c_str());
    if (m_ownsListKey)
    {
        ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, m_listKey.c_str());
        return;
    }
    CRegKey list;
    if (list.Open(HKEY_LOCAL_MACHINE, m_listKey.c_str(), KEY_SET_VALUE | NativeView()) == ERROR_SUCCESS)
        for (const std::string& value : m_listValues)
            ::RegDeleteValueA(list.Get(), value.c_str());
}

DefragRoots PlantedHives::Roots() const
{
    DefragRoots roots = DefragRoots::OfThisWindows();
    roots.hiveListKey = m_listKey;
    return roots;
}

void PlantedHives::AddKey(HKEY root, const std::string& name, size_t payload)
{
    m_keys.emplace_back(root, name);
    AddValue(root, name, "Payload", payload);
}

void PlantedHives::AddValue(HKEY root, const std::string& name, const std::string& valueName, size_t payload)
{
    CRegKey key;
    ASSERT_EQ(key.Create(root, name.c_str(), KEY_ALL_ACCESS | NativeView()), ERROR_SUCCESS);
    const std::vector<BYTE> data(payload, 0x5A);
    ASSERT_EQ(::RegSetValueExA(key.Get(), valueName.c_str(), 0, REG_BINARY, data.data(), DWORD(data.size())),
              ERROR_SUCCESS);
}

DWORD PlantedHives::SavedSize(HKEY root, const std::string& name) const
{
    const std::string probe = std::string(kHiveFolder) + "\\size-probe";
    ::DeleteFileA(probe.c_str());
    CRegKey key;
    EXPECT_EQ(key.Open(root, name.c_str(), KEY_READ | NativeView()), ERROR_SUCCESS);
    CRegistryDefrag::SetPrivilege(TRUE, SE_BACKUP_NAME);
    EXPECT_EQ(::RegSaveKeyA(key.Get(), probe.c_str(), nullptr), ERROR_SUCCESS);
    CRegistryDefrag::SetPrivilege(FALSE, SE_BACKUP_NAME);
    const DWORD size = CRegistryDefrag::FileLength(probe);
    ::DeleteFileA(probe.c_str());
    return size;
}

std::string PlantedHives::AddFile(const std::string& fileName, DWORD size)
{
    const std::string path = std::string(kHiveFolder) + "\\" + fileName;
    CHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file.IsValid()) << path;
    ::SetFilePointer(file.Get(), LONG(size), nullptr, FILE_BEGIN);
    ::SetEndOfFile(file.Get());
    m_files.push_back(path);
    return path;
}

void PlantedHives::List(const std::string& valueName, const std::string& data, DWORD dataSize)
{
    CRegKey list;
    ASSERT_EQ(list.Open(HKEY_LOCAL_MACHINE, m_listKey.c_str(), KEY_SET_VALUE | NativeView()), ERROR_SUCCESS);
    m_listValues.push_back(valueName);
    const DWORD size = dataSize == DWORD(-1) ? DWORD(data.size() + 1) : dataSize;
    ASSERT_EQ(::RegSetValueExA(list.Get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                               size),
              ERROR_SUCCESS);
}

DWORD PlantedHives::AddHive(HKEY root, const std::string& name, DWORD gain)
{
    AddKey(root, name);
    // A file of whole hundreds of bytes, so that the copy comes to exactly
    // `left` of its hundredths once the quotient is truncated.
    const DWORD copy = SavedSize(root, name);
    const DWORD left = 100 - gain;
    const DWORD onePercent = copy / left;
    EXPECT_EQ(copy / onePercent, left) << "copy too small to aim at a gain of " << gain;
    const DWORD size = onePercent * 100;
    List(RootPrefix(root) + name, AddFile(name, size));
    return size;
}
