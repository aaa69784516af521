#pragma once
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "Engine/CRegistryDefrag.h"

// What Windows would have for the hive compactor: a hive list of its own
// naming loaded keys and the files they are kept in. Everything planted is
// removed again at the end.
class PlantedHives
{
public:
    explicit PlantedHives(const std::string& name);
    // Plants into the hive list Windows keeps, for a program that reads
    // that one; only the planted values are taken out again.
    struct InWindowsHiveList
    {
    };
    explicit PlantedHives(InWindowsHiveList);
    ~PlantedHives();

    // Roots that read this hive list and use the Windows folder of the prefix.
    DefragRoots Roots() const;

    // A loaded hive: the key root\name with a value of `payload` bytes.
    void AddKey(HKEY root, const std::string& name, size_t payload = 20000);
    void AddValue(HKEY root, const std::string& name, const std::string& valueName, size_t payload);
    // Size of the copy the analysis saves for the key.
    DWORD SavedSize(HKEY root, const std::string& name) const;
    // A hive file of exactly `size` bytes; returns its path.
    std::string AddFile(const std::string& fileName, DWORD size);
    void List(const std::string& valueName, const std::string& data, DWORD dataSize = DWORD(-1));

    // Key, file of a size that makes its copy exactly `gain` percent smaller,
    // and the hive-list value; returns the file size.
    DWORD AddHive(HKEY root, const std::string& name, DWORD gain);

private:
    std::string m_listKey;
    bool m_ownsListKey = true;
    std::vector<std::string> m_listValues;
    std::vector<std::pair<HKEY, std::string>> m_keys;
    std::vector<std::string> m_files;
};

REGSAM NativeView();
std::string WindowsWorkFolder();
// Names of the files directly in a folder.
std::set<std::string> FilesIn(const std::string& folder);
std::string ReadWholeFile(const std::string& path);
