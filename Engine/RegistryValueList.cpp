#include "Engine/RegistryValueList.h"

namespace
{
// A value name must fit this buffer with its terminator.
const DWORD kValueNameCapacity = 260;
const DWORD kSubkeyNameCapacity = 256;

// The value at index read the plain way: its size first, then its data into a
// buffer one byte longer. False ends the list.
bool ReadValueInTwoCalls(HKEY key, DWORD index, RegistryValueData& value)
{
    char name[kValueNameCapacity];
    DWORD nameLength = kValueNameCapacity;
    DWORD size = 0;
    if (::RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        nameLength >= kValueNameCapacity)
        return false;
    value.name.assign(name, nameLength);
    value.size = 0;
    value.data.clear();
    if (size == 0)
        return true;
    value.data.assign(static_cast<size_t>(size) + 1, 0);
    nameLength = kValueNameCapacity;
    DWORD readSize = size;
    if (::RegEnumValueA(key, index, name, &nameLength, nullptr, &value.type, value.data.data(), &readSize) !=
        ERROR_SUCCESS)
        return false;
    value.size = readSize;
    return true;
}
}

void ForEachRegistryValue(HKEY key, const std::atomic<int>& running,
                          const std::function<bool(const RegistryValueData&)>& visit)
{
    // One query tells how many values there are and how large the largest
    // is: each value is then read once, and no failing call ends the list.
    DWORD values = 0;
    DWORD longestData = 0;
    const bool counted = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                            nullptr, &longestData, nullptr, nullptr) == ERROR_SUCCESS;
    std::vector<BYTE> buffer(counted ? static_cast<size_t>(longestData) + 1 : 0);
    char name[kValueNameCapacity];
    for (DWORD index = 0; running && (!counted || index < values); ++index)
    {
        RegistryValueData value;
        DWORD nameLength = kValueNameCapacity;
        DWORD size = longestData;
        const LONG rc = counted ? ::RegEnumValueA(key, index, name, &nameLength, nullptr, &value.type, buffer.data(),
                                                  &size)
                                : ERROR_MORE_DATA;
        if (rc == ERROR_SUCCESS)
        {
            value.name.assign(name, nameLength);
            value.size = size;
            if (size)
            {
                value.data.assign(buffer.begin(), buffer.begin() + size);
                value.data.push_back(0);
            }
        }
        // A name too long, data grown since the query, or no count at all.
        else if (rc != ERROR_MORE_DATA || !ReadValueInTwoCalls(key, index, value))
        {
            return;
        }
        if (value.size == 0)
            continue;
        if (!visit(value))
            return;
    }
}

void ForEachSubkeyName(HKEY key, const std::atomic<int>& running,
                       const std::function<bool(const std::string&)>& visit)
{
    char name[kSubkeyNameCapacity];
    for (DWORD index = 0; running; ++index)
    {
        if (::RegEnumKeyA(key, index, name, kSubkeyNameCapacity) != ERROR_SUCCESS)
            return;
        if (!visit(name))
            return;
    }
}
