#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// One value of a key as the scanners read it.
struct RegistryValueData
{
    std::string name;
    DWORD type = REG_NONE;
    DWORD size = 0;             // the stored data size
    std::vector<BYTE> data;     // size + 1 bytes, the last always zero

    // The data read as a zero-terminated byte string, whatever its type.
    std::string Text() const { return std::string(reinterpret_cast<const char*>(data.data())); }
};

// Reads the values of an open key by index, each into a zero-filled buffer
// one byte longer than its data (read once when the key tells its largest
// value, else size first and data then). Values without data are passed over.
// Any error, a name of 260 characters or more, a cleared running flag, or
// visit returning false ends the list.
void ForEachRegistryValue(HKEY key, const std::atomic<int>& running,
                          const std::function<bool(const RegistryValueData&)>& visit);

// Enumerates the subkey names of an open key (256-byte buffer) until the first
// error, a cleared running flag, or visit returning false.
void ForEachSubkeyName(HKEY key, const std::atomic<int>& running,
                       const std::function<bool(const std::string&)>& visit);
