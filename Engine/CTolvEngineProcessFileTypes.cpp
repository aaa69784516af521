// File-association scanner: extension keys that hold nothing, and extensions
// whose open command names a program that is gone.
#include "Engine/CTolvEngineProcess.h"

#include <vector>

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/FileTests.h"
#include "Engine/FoundItemText.h"
#include "Engine/PathVariables.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"

namespace
{
const char kClassesRootName[] = "HKEY_CLASSES_ROOT";
const char kOpenCommand[] = "\\shell\\open\\command";
const int kFileTypeStatusThreshold = 101;
// A subkey name must fit with its terminator; longer names are passed over.
const DWORD kSubkeyNameCapacity = 255;

// The unnamed value of key as a text that ends at its first zero byte or at
// the end of the stored data. False when it is missing or empty.
bool ReadDefaultText(HKEY key, std::string& text)
{
    DWORD size = 0;
    if (::RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0)
        return false;
    std::vector<BYTE> data(size, 0);
    if (::RegQueryValueExA(key, nullptr, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS)
        return false;
    const char* begin = reinterpret_cast<const char*>(data.data());
    size_t length = 0;
    while (length < size && begin[length] != '\0')
        ++length;
    text.assign(begin, length);
    return !text.empty();
}

// No default value, no other value, no subkey.
bool IsEmptyKey(HKEY key)
{
    DWORD longestSubkey = 0;
    DWORD values = 0;
    return ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longestSubkey, nullptr, &values, nullptr,
                              nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           longestSubkey == 0 && values == 0;
}
}

int CTolvEngineProcess::ScanFileTypes()
{
    m_fileTypeMap.clear();
    CRegKey classes;
    if (classes.Open(HKEY_CLASSES_ROOT, nullptr, KEY_READ) != ERROR_SUCCESS)
        return 0;
    DWORD subkeys = 0;
    ::RegQueryInfoKeyA(classes.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr);
    char name[kSubkeyNameCapacity + 1];
    for (DWORD index = 0; index < subkeys && m_bRunning; ++index)
    {
        DWORD length = kSubkeyNameCapacity;
        const LONG rc = ::RegEnumKeyExA(classes.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS)
            continue;
        ShowThrottledStatus(FoundKeyText(kClassesRootName, name), "F", kFileTypeStatusThreshold);
        if (name[0] == '.')
            CheckFileTypeExtension(name);
    }
    return 1;
}

int CTolvEngineProcess::CheckFileTypeExtension(const std::string& extension)
{
    CRegKey key;
    if (key.Open(HKEY_CLASSES_ROOT, extension.c_str(), KEY_READ) != ERROR_SUCCESS)
        return 0;

    DWORD size = 0;
    const LONG rc = ::RegQueryValueExA(key.Get(), nullptr, nullptr, nullptr, nullptr, &size);
    bool finding = false;
    if (rc != ERROR_SUCCESS)
    {
        finding = size == 0 && IsEmptyKey(key.Get());
    }
    else
    {
        std::string progId;
        if (!ReadDefaultText(key.Get(), progId))
            return 1;
        key.Close();

        CRegKey command;
        if (command.Open(HKEY_CLASSES_ROOT, (progId + kOpenCommand).c_str(), KEY_READ) != ERROR_SUCCESS)
            return 1;
        std::string text;
        if (!ReadDefaultText(command.Get(), text))
            return 1;
        command.Close();

        AnsiText::MakeLower(text);
        if (text.find(".exe") == std::string::npos && text.find(".dll") == std::string::npos)
            return 1;
        ExpandPathVariables(text, *this);
        finding = !IsReferencedFilePresent(*this, text);
    }
    if (finding)
        ReportIfWritable(kClassesRootName, extension, FoundKeyText(kClassesRootName, extension), kScanFileTypes);
    return 1;
}
