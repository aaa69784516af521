#include "Engine/RegistryKeyPath.h"

#include "Engine/RegistryRootNames.h"
#include "Framework/AnsiText.h"

namespace
{
// Keys below a machine or user root that the scanners walk through for their
// findings, lower case. Their parents are kept as well.
const char* const kWalkedKeys[] = {
    "software\\microsoft\\windows\\currentversion\\run",
    "software\\microsoft\\windows\\currentversion\\runonce",
    "software\\microsoft\\windows\\currentversion\\runonceex",
    "software\\microsoft\\windows\\currentversion\\uninstall",
    "software\\microsoft\\windows\\currentversion\\app paths",
    "software\\microsoft\\windows\\currentversion\\shareddlls",
    "software\\microsoft\\windows\\currentversion\\installer\\folders",
    "software\\microsoft\\windows\\currentversion\\explorer\\menuorder\\start menu\\programs",
    "software\\microsoft\\windows\\currentversion\\explorer\\menuorder\\start menu2\\programs",
    "software\\microsoft\\windows\\currentversion\\explorer\\fileexts",
    "software\\microsoft\\windows nt\\currentversion\\fonts",
    "software\\microsoft\\windows\\help",
    "software\\microsoft\\windows\\html help",
    "software\\microsoft\\htmlhelp\\2.0\\localreg\\clsid",
    "system\\currentcontrolset\\services",
};

// What one ANSI registry call takes: its path is widened into a buffer of
// MAX_PATH + 1 characters.
const size_t kMaxPathPerCall = MAX_PATH - 1;

// KEY_NAME_INFORMATION of NtQueryKey.
const int kKeyNameInformation = 3;
const LONG kStatusBufferOverflow = static_cast<LONG>(0x80000005L);
const LONG kStatusBufferTooSmall = static_cast<LONG>(0xC0000023L);
typedef LONG(WINAPI* NtQueryKeyFunction)(HANDLE key, int informationClass, void* information, ULONG length,
                                         ULONG* resultLength);

// The key's full name as the registry stores it ("\REGISTRY\MACHINE\..."),
// split at its backslashes.
bool StoredNameComponents(HKEY key, std::vector<std::wstring>& components)
{
    static const NtQueryKeyFunction query = reinterpret_cast<NtQueryKeyFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
    if (!query || !key)
        return false;
    std::vector<ULONG> buffer(256);
    ULONG needed = 0;
    LONG status = query(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(ULONG)),
                        &needed);
    if ((status == kStatusBufferOverflow || status == kStatusBufferTooSmall) && needed > 0)
    {
        buffer.resize(needed / sizeof(ULONG) + 1);
        status = query(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(ULONG)),
                       &needed);
    }
    if (status != 0)
        return false;
    const ULONG bytes = buffer[0];
    const wchar_t* name = reinterpret_cast<const wchar_t*>(buffer.data() + 1);
    if (bytes > (buffer.size() - 1) * sizeof(ULONG))
        return false;
    const std::wstring full(name, bytes / sizeof(wchar_t));
    components.clear();
    for (size_t start = 0; start <= full.size();)
    {
        const size_t slash = full.find(L'\\', start);
        const size_t end = slash == std::wstring::npos ? full.size() : slash;
        components.push_back(full.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

bool IsAscii(const std::wstring& text)
{
    for (const wchar_t c : text)
        if (c >= 0x80)
            return false;
    return true;
}

wchar_t AsciiUpper(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

std::wstring Wide(const std::string& text)
{
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

// The ANSI spelling of a name; false, leaving text, when the code page
// lacks one of its characters.
bool Narrow(const std::wstring& name, std::string& text)
{
    BOOL usedDefault = FALSE;
    const int size = static_cast<int>(name.size());
    const int length = ::WideCharToMultiByte(CP_ACP, 0, name.data(), size, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return false;
    std::string narrow(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, name.data(), size, &narrow[0], length, nullptr, &usedDefault);
    if (usedDefault)
        return false;
    text.swap(narrow);
    return true;
}

// Key names compare as the registry compares them: without regard to case.
bool SameKeyName(std::wstring a, std::wstring b)
{
    if (a.size() != b.size())
        return false;
    if (!a.empty())
    {
        ::CharUpperBuffW(&a[0], static_cast<DWORD>(a.size()));
        ::CharUpperBuffW(&b[0], static_cast<DWORD>(b.size()));
    }
    return a == b;
}

// The same for a name of the finding and a stored one, and the stored
// spelling in the code page; without conversions where both are ASCII, as
// nearly every key name is.
bool MatchStoredName(const std::string& name, const std::wstring& stored, std::string& spelled)
{
    if (AnsiText::IsAscii(name) && IsAscii(stored))
    {
        if (name.size() != stored.size())
            return false;
        for (size_t i = 0; i < name.size(); ++i)
            if (AsciiUpper(static_cast<wchar_t>(name[i])) != AsciiUpper(stored[i]))
                return false;
        spelled.assign(stored.begin(), stored.end());
        return true;
    }
    if (!SameKeyName(Wide(name), stored))
        return false;
    spelled = name;
    Narrow(stored, spelled);
    return true;
}

// Keys directly below the classes root that hold every class, interface and
// type library.
const char* const kWalkedClassKeys[] = {"clsid", "interface", "typelib", "appid"};

std::string Join(const std::vector<std::string>& parts, size_t first)
{
    std::string text;
    for (size_t i = first; i < parts.size(); ++i)
    {
        if (i > first)
            text += '\\';
        text += parts[i];
    }
    return text;
}

bool IsNumberedControlSet(const std::string& name)
{
    if (name.size() != 13 || name.compare(0, 10, "controlset") != 0)
        return false;
    for (size_t i = 10; i < 13; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

bool IsDeletableClassPath(std::vector<std::string> parts)
{
    if (!parts.empty() && parts[0] == "wow6432node")
        parts.erase(parts.begin());
    if (parts.empty())
        return false;
    const std::string joined = Join(parts, 0);
    for (const char* walked : kWalkedClassKeys)
        if (joined == walked)
            return false;
    return true;
}
}

namespace RegistryKeyPath
{
HKEY RootFromName(const std::string& name)
{
    return NamedRegistryRootNoCase(name);
}

void SplitRoot(const std::string& path, std::string& rootName, std::string& rest)
{
    const size_t slash = path.find('\\');
    rootName = path.substr(0, slash);
    rest = slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

std::vector<std::string> Split(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;)
    {
        const size_t slash = path.find('\\', start);
        parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            return parts;
        start = slash + 1;
    }
}

LONG OpenPath(HKEY root, const std::string& path, REGSAM access, REGSAM view, CRegKey& key)
{
    key.Close();
    CRegKey parent(root);
    size_t start = 0;
    // The longest piece: up to the last backslash that keeps it in one call.
    while (path.size() - start > kMaxPathPerCall)
    {
        const size_t slash = path.rfind('\\', start + kMaxPathPerCall);
        if (slash == std::string::npos || slash <= start)
            return ERROR_FILENAME_EXCED_RANGE;
        CRegKey piece;
        const LONG rc = piece.Open(parent.Get(), path.substr(start, slash - start).c_str(), MAXIMUM_ALLOWED | view);
        if (rc != ERROR_SUCCESS)
            return rc;
        parent = std::move(piece);
        start = slash + 1;
    }
    return key.Open(parent.Get(), path.c_str() + start, access | view);
}

bool SpellAsStored(HKEY key, std::vector<std::string>& components)
{
    std::vector<std::wstring> stored;
    if (components.size() < 2 || !StoredNameComponents(key, stored) || stored.size() < components.size() - 1)
        return false;
    const size_t first = stored.size() - (components.size() - 1);
    std::vector<std::string> spelled(components.size());
    spelled[0] = components[0];
    for (size_t i = 1; i < components.size(); ++i)
        if (!MatchStoredName(components[i], stored[first + i - 1], spelled[i]))
            return false;
    components.swap(spelled);
    return true;
}

bool IsDeletableKeyPath(const std::string& keyPath)
{
    std::string rootName;
    std::string rest;
    SplitRoot(keyPath, rootName, rest);
    const HKEY root = RootFromName(rootName);
    if (!root || rest.empty())
        return false;
    std::vector<std::string> parts = Split(AnsiText::ToLower(rest));
    for (const std::string& part : parts)
        if (part.empty())
            return false;

    if (root == HKEY_CLASSES_ROOT)
        return IsDeletableClassPath(parts);
    if (root == HKEY_USERS)
    {
        // The first level is a user's hive: what follows counts as under
        // HKEY_CURRENT_USER, or under the classes root for "..._Classes".
        const std::string hive = parts[0];
        parts.erase(parts.begin());
        const std::string classesSuffix = "_classes";
        if (hive.size() > classesSuffix.size() &&
            hive.compare(hive.size() - classesSuffix.size(), classesSuffix.size(), classesSuffix) == 0)
            return IsDeletableClassPath(parts);
    }
    if (parts.size() >= 2 && parts[0] == "software" && parts[1] == "wow6432node")
        parts.erase(parts.begin() + 1);
    if (parts.size() >= 2 && parts[0] == "software" && parts[1] == "classes")
        return IsDeletableClassPath(std::vector<std::string>(parts.begin() + 2, parts.end()));
    if (parts.size() >= 2 && parts[0] == "system" && IsNumberedControlSet(parts[1]))
        parts[1] = "currentcontrolset";

    // The root and its first level.
    if (parts.size() < 2)
        return false;
    const std::string joined = Join(parts, 0);
    for (const char* walked : kWalkedKeys)
    {
        const std::string container = walked;
        if (joined == container ||
            (container.size() > joined.size() && container.compare(0, joined.size(), joined) == 0 &&
             container[joined.size()] == '\\'))
            return false;
    }
    return true;
}
}
