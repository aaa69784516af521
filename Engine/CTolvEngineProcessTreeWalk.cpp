// The registry tree walk: file references in the user hives, empty help
// folders of the type libraries, and references to unregistered classes.
#include "Engine/CTolvEngineProcess.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/FileTests.h"
#include "Engine/FoundItemText.h"
#include "Engine/RegistryValueList.h"
#include "Engine/PathVariables.h"
#include "Engine/RegistryWalkMode.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"

namespace
{
const char kClassesRootName[] = "HKEY_CLASSES_ROOT";
const char kDefaultValueName[] = "(Default)";
const int kWalkStatusThreshold = 3001;
const int kHelpDirStatusThreshold = 1001;
const int kInterfaceStatusThreshold = 101;
// Levels below the start key; deeper keys are not visited.
const size_t kWalkStackDepth = 100;
const DWORD kWalkNameCapacity = 1024;
const size_t kWalkedNameCapacity = 16384;
const size_t kFirstWalkedData = 64 * 1024;
// A value larger than this names no file; it is passed over.
const size_t kMaxWalkedData = 16 * 1024 * 1024;

// Registration trees whose own class references are not references to judge.
const char* const kClassReferenceSkipList[] = {
    "hkey_classes_root\\clsid",     "hkey_classes_root\\interface", "hkey_classes_root\\typelib",
    "hkey_classes_root\\appid",     "hkey_classes_root\\software\\microsoft\\htmlhelp\\2.0\\localreg",
};

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

bool IsInClassReferenceSkipList(const std::string& keyText)
{
    const std::string lower = AnsiText::ToLower(keyText);
    for (const char* skip : kClassReferenceSkipList)
        if (Contains(lower, skip))
            return true;
    return false;
}

// Splits a key text at its first backslash into root name and key path.
void SplitKeyText(const std::string& keyText, std::string& rootName, std::string& keyPath)
{
    const size_t slash = keyText.find('\\');
    rootName = keyText.substr(0, slash);
    keyPath = slash == std::string::npos ? std::string() : keyText.substr(slash + 1);
}

struct WalkLevel
{
    CRegKey parent;
    DWORD index;
    DWORD subkeys;
};

// A count that could not be asked: the list then ends at the first failing
// enumeration.
const DWORD kUnknownCount = 0xFFFFFFFF;

// One query gives where both of a key's lists end, so neither is ended by a
// failing enumeration: under Wine each call is a round trip to the server.
WalkedKeyCounts QueryWalkedKey(HKEY key)
{
    WalkedKeyCounts counts;
    counts.known = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &counts.subkeys, &counts.longestSubkey,
                                      nullptr, &counts.values, nullptr, &counts.longestData, nullptr,
                                      nullptr) == ERROR_SUCCESS;
    return counts;
}

// The keys a walk holds open, closed whichever way it ends.
struct OpenWalkKeys
{
    CRegKey current;
    std::vector<WalkLevel> stack;
};

HKEY OpenForEnumeration(HKEY parent, const char* path)
{
    HKEY key = NULL;
    if (::RegOpenKeyExA(parent, path, 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return NULL;
    return key;
}

// One open for both the walk and the values: under Wine every registry call
// is a round trip to the server. A key whose values may not be read is still
// walked; readable tells which.
HKEY OpenWalkedKey(HKEY parent, const char* name, bool& readable)
{
    HKEY key = NULL;
    readable = ::RegOpenKeyExA(parent, name, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key) == ERROR_SUCCESS;
    if (readable)
        return key;
    if (HKEY walked = OpenForEnumeration(parent, name))
        return walked;
    // Values that may be read in a key that may not be walked.
    readable = ::RegOpenKeyExA(parent, name, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS;
    return readable ? key : NULL;
}
}

void CTolvEngineProcess::ScanUserHives()
{
    WalkRegistryTree("HKEY_USERS", "", kWalkUserHives);
}

void CTolvEngineProcess::ScanTypeLibHelpDirs()
{
    WalkRegistryTree(kClassesRootName, "TYPELIB", kWalkTypeLibHelpDirs);
}

void CTolvEngineProcess::WalkRegistryTree(const std::string& rootName, const std::string& startPath, int mode)
{
    const HKEY root = RegistryRootFromName(rootName);
    if (!root)
        return;
    OpenWalkKeys keys;
    keys.stack.reserve(kWalkStackDepth);
    // A key that cannot be opened counts as one without subkeys.
    keys.current.Attach(OpenForEnumeration(root, startPath.empty() ? nullptr : startPath.c_str()));
    std::string keyText = startPath.empty() ? rootName : rootName + "\\" + startPath;
    DWORD index = 0;
    DWORD subkeys = kUnknownCount;
    char name[kWalkNameCapacity];

    while (m_bRunning)
    {
        // Per-user copies of machine keys, and the full stack, are not entered.
        bool finished = !keys.current || keys.stack.size() >= kWalkStackDepth ||
                        (mode == kWalkClassReferences && Contains(keyText, "HKEY_CLASSES_ROOT\\VirtualStore")) ||
                        (mode == kWalkUserHives && Contains(keyText, "VirtualStore"));
        if (!finished)
        {
            finished = index >= subkeys ||
                       ::RegEnumKeyA(keys.current.Get(), index, name, kWalkNameCapacity) != ERROR_SUCCESS;
            // The 32-bit view of a user hive repeats what the native view holds.
            if (!finished && mode == kWalkUserHives && m_bWow64 &&
                Contains(AnsiText::ToLower(name), "wow6432node"))
                finished = true;
            // On a 64-bit Windows the classes may list their 32-bit view
            // once more under this name (to a 64-bit program always);
            // entering it would judge the registration trees as references.
            if (!finished && mode == kWalkClassReferences && m_bWow64 && ::lstrcmpiA(name, "Wow6432Node") == 0)
            {
                ++index;
                continue;
            }
        }
        if (finished)
        {
            if (keys.stack.empty())
                break;
            keys.current = std::move(keys.stack.back().parent);
            index = keys.stack.back().index + 1;
            subkeys = keys.stack.back().subkeys;
            keys.stack.pop_back();
            keyText.erase(keyText.rfind('\\'));
            continue;
        }

        keys.stack.push_back({std::move(keys.current), index, subkeys});
        keyText += "\\";
        keyText += name;
        if (mode == kWalkClassReferences)
            ShowThrottledStatus(keyText, "X", kWalkStatusThreshold);
        bool readable = false;
        keys.current.Attach(OpenWalkedKey(keys.stack.back().parent.Get(), name, readable));
        subkeys = kUnknownCount;
        if (readable)
        {
            const WalkedKeyCounts counts = QueryWalkedKey(keys.current.Get());
            if (counts.known)
                subkeys = counts.subkeys;
            ScanKeyValues(keys.current.Get(), name, keyText, mode, counts);
        }
        index = 0;
    }
}

void CTolvEngineProcess::ScanKeyValues(HKEY key, const std::string& name, const std::string& keyText, int mode,
                                       const WalkedKeyCounts& counts)
{
    if (!m_bRunning)
        return;
    if (mode == kWalkClassReferences && IsInClassReferenceSkipList(keyText))
        return;
    if (mode == kWalkUserHives && m_bWow64 && Contains(keyText, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"))
        return;

    if (mode == kWalkTypeLibHelpDirs)
    {
        if (!counts.known)
            return;
        ShowThrottledStatus(keyText, "E", kHelpDirStatusThreshold);
        std::string upperName = name;
        ::CharUpperBuffA(&upperName[0], static_cast<DWORD>(upperName.size()));
        if (counts.longestSubkey == 0 && upperName == "HELPDIR" && counts.longestData < 3 &&
            !Contains(keyText, "HKEY_USERS\\.DEFAULT"))
        {
            std::string rootName;
            std::string keyPath;
            SplitKeyText(keyText, rootName, keyPath);
            ReportIfWritable(rootName, keyPath, keyText, kScanEmptyKeys);
        }
        return;
    }
    if (mode == kWalkClassReferences)
    {
        ScanClassReferenceValues(key, name, keyText, counts);
        return;
    }

    const DWORD values = counts.known ? counts.values : kUnknownCount;
    for (DWORD index = 0; index < values && m_bRunning;)
    {
        DWORD nameLength = 0;
        DWORD dataLength = 0;
        DWORD type = REG_NONE;
        const LONG rc = EnumWalkedValue(key, index, nameLength, type, dataLength);
        if (rc == ERROR_MORE_DATA)
        {
            // The data outgrew the buffer: the same value again, with room.
            if (m_walkData.size() >= kMaxWalkedData)
            {
                ++index;
                continue;
            }
            m_walkData.resize(std::min(kMaxWalkedData, std::max(m_walkData.size() * 2, size_t(dataLength) + 1)));
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        ++index;
        m_walkText.clear();
        FormatRegistryValueText(m_walkData.data(), type, dataLength, m_walkText);
        const std::string shownName = nameLength ? std::string(m_walkName.data(), nameLength) : kDefaultValueName;
        if (m_nStatusThrottle > kWalkStatusThreshold)
            ShowThrottledStatus(keyText + "\\" + shownName, "R", kWalkStatusThreshold);
        else
            ++m_nStatusThrottle;
        CheckFileReference(keyText, shownName, m_walkText);
    }
}

LONG CTolvEngineProcess::EnumWalkedValue(HKEY key, DWORD index, DWORD& nameLength, DWORD& type, DWORD& dataLength)
{
    // Names are at most 16,383 characters; the data buffer grows as needed
    // and is kept from key to key.
    if (m_walkName.size() < kWalkedNameCapacity)
        m_walkName.resize(kWalkedNameCapacity);
    if (m_walkData.empty())
        m_walkData.resize(kFirstWalkedData);
    nameLength = static_cast<DWORD>(m_walkName.size());
    dataLength = static_cast<DWORD>(m_walkData.size() - 1);
    m_walkName[0] = '\0';
    const LONG rc = ::RegEnumValueA(key, index, m_walkName.data(), &nameLength, nullptr, &type, m_walkData.data(),
                                    &dataLength);
    if (rc == ERROR_SUCCESS)
        m_walkData[dataLength] = 0;
    return rc;
}

void CTolvEngineProcess::ScanClassReferenceValues(HKEY key, const std::string& name, const std::string& keyText,
                                                  const WalkedKeyCounts& counts)
{
    // Only the unnamed value of a "CLSID" key is a reference; the status
    // still counts every value of every key.
    if (!counts.known)
        return;
    for (DWORD i = 0; i < counts.values && m_bRunning; ++i)
        ShowThrottledStatus(keyText, "X", kWalkStatusThreshold);
    if (name != "CLSID" || counts.values == 0 || !m_bRunning)
        return;
    // Only a string value is read as a reference. The longest data of the
    // key is room enough for it; the value is asked for its size only when
    // it has grown since.
    DWORD type = REG_NONE;
    DWORD size = counts.longestData + 1;
    std::vector<char> data(static_cast<size_t>(size) + 1, '\0');
    LONG rc = ::RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc == ERROR_MORE_DATA)
    {
        data.assign(static_cast<size_t>(size) + 1, '\0');
        rc = ::RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    }
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return;
    CheckClassReference(name, keyText, std::string(data.data()));
}

void CTolvEngineProcess::CheckClassReference(const std::string& name, const std::string& keyText,
                                             const std::string& text)
{
    static const char kClassSuffix[] = "\\CLSID";
    if (name != "CLSID" || Contains(keyText, "HKEY_CLASSES_ROOT\\CLSID") || !Contains(keyText, kClassSuffix) ||
        !Contains(text, "{"))
        return;
    if (m_clsidMap.count(AnsiText::ToLower(text)))
        return;
    // The key that owns the "CLSID" subkey; inner names that begin with
    // "CLSID" stay as they are.
    const std::string owner = keyText.substr(0, keyText.size() - (sizeof(kClassSuffix) - 1));
    const std::string prefix = std::string(kClassesRootName) + "\\";
    const std::string ownerPath = owner.compare(0, prefix.size(), prefix) == 0 ? owner.substr(prefix.size()) : owner;
    ReportIfWritable(kClassesRootName, ownerPath, owner, kScanActiveX);
}

void CTolvEngineProcess::CheckFileReference(const std::string& keyText, const std::string& valueName,
                                            std::string text)
{
    AnsiText::MakeLower(text);
    // Numbers and binary data name no file.
    if (Contains(text, "dword:") || Contains(text, "hexvalueinreg--"))
        return;
    // Every folder variable is written between "%" signs.
    if (Contains(text, "%"))
        ExpandPathVariables(text, *this);
    if (IsReferencedFilePresent(*this, text))
        return;
    std::string rootName;
    std::string keyPath;
    SplitKeyText(keyText, rootName, keyPath);
    ReportIfWritable(rootName, keyPath, keyText + kItemValueSeparator + valueName, kScanFilePaths);
}

void CTolvEngineProcess::ScanInterfaceTypeLibs()
{
    std::set<std::string> typeLibs;
    {
        CRegKey libraries;
        if (libraries.Open(HKEY_CLASSES_ROOT, "TypeLib", KEY_READ) != ERROR_SUCCESS)
            return;
        ForEachSubkeyName(libraries.Get(), m_bRunning, [&](const std::string& name) {
            if (Contains(name, "{"))
                typeLibs.insert(AnsiText::ToLower(name));
            return true;
        });
    }

    CRegKey interfaces;
    if (interfaces.Open(HKEY_CLASSES_ROOT, "Interface", KEY_READ) != ERROR_SUCCESS)
        return;
    ForEachSubkeyName(interfaces.Get(), m_bRunning, [&](const std::string& name) {
        if (!Contains(name, "{"))
            return true;
        const std::string interfaceKey = "Interface\\" + name;
        const std::string typeLibKey = interfaceKey + "\\TypeLib";
        CRegKey typeLib;
        if (typeLib.Open(HKEY_CLASSES_ROOT, typeLibKey.c_str(), KEY_READ) != ERROR_SUCCESS)
            return true;
        ForEachRegistryValue(typeLib.Get(), m_bRunning, [&](const RegistryValueData& value) {
            if (!value.name.empty())
                return true;
            const std::string library = AnsiText::ToLower(value.Text());
            if (Contains(library, "{") && !typeLibs.count(library))
                ReportIfWritable(kClassesRootName, interfaceKey, FoundKeyText(kClassesRootName, interfaceKey),
                                 kScanActiveX);
            ShowThrottledStatus(typeLibKey, "X", kInterfaceStatusThreshold);
            return true;
        });
        return true;
    });
}
