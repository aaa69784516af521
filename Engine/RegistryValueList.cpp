#include "Engine/RegistryValueList.h"

namespace
{
// A value name must fit this buffer with its terminator.
const DWORD kValueNameCapacity = 260;
const DWORD kSubkeyNameCapacity = 256;
}

void ForEachRegistryValue(HKEY key, const std::atomic<int>& running,
                          const std::function<bool(const RegistryValueData&)>& visit)
{
    char name[kValueNameCapacity];
    for (DWORD index = 0; running; ++index)
    {
        DWORD nameLength = kValueNameCapacity;
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (::RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            nameLength >= kValueNameCapacity)
            return;
        if (size == 0)
            continue;

        RegistryValueData value;
        value.data.assign(static_cast<size_t>(size) + 1, 0);
        nameLength = kValueNameCapacity;
        DWORD readSize = size;
        if (::RegEnumValueA(key, index, name, &nameLength, nullptr, &value.type, value.data.data(), &readSize) !=
            ERROR_SUCCESS)
            return;
        value.name.assign(name, nameLength);
        value.size = readSize;
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
