#include "Engine/CRegistryManager.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "Client/Scan/CAbstractScanItemsInfo.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Engine/BackupViewMark.h"
#include "Engine/CBackupFileReader.h"
#include "Engine/CXmlWriter.h"
#include "Engine/FoundItemText.h"
#include "Engine/RegistryKeyPath.h"
#include "Engine/RegistryValueText.h"
#include "Engine/ScanCategory.h"
#include "Engine/XmlElement.h"
#include "Framework/AnsiText.h"
#include "Framework/CHandle.h"
#include "Framework/Wow64.h"

namespace
{
// Windows nests keys at most this deep.
const int kMaxKeyDepth = 512;
// Grown name and data buffers are retried this often for one item.
const int kMaxBufferGrowth = 24;

const int kRestoreNodesPerStep = 1500;
// One count for the library, kept from one restore to the next.
int g_restoreNodeCount = 0;

template <class T>
void GrowTo(std::vector<T>& buffer, size_t size)
{
    if (buffer.size() < size)
        buffer.resize(size);
}
}

CRegistryManager::CRegistryManager(CAbstractStatus* status)
    : m_pStatus(status), m_nameBuffer(256), m_dataBuffer(4096), m_subkeyBuffer(256),
      m_keyElement(new XmlElement("k"))
{
}

CRegistryManager::~CRegistryManager()
{
}

void CRegistryManager::Cancel()
{
    m_bCancelled = 1;
    m_bGo = 0;
}

void CRegistryManager::BeginOperation()
{
    // A cancel that came before the start is not undone by it.
    m_bGo = 1;
    if (m_bCancelled)
        m_bGo = 0;
    m_bWriteFailed = false;
}

int CRegistryManager::FinishBackup(CXmlWriter& writer)
{
    const bool walked = m_bGo != 0;
    // The file is renamed to its own name once closed: its bytes must be on
    // the disk by then.
    if (!writer.CloseDurably())
        m_bWriteFailed = true;
    m_bGo = 0;
    return walked && !m_bWriteFailed ? 1 : 0;
}

int CRegistryManager::BackupRegistry(const std::string& path)
{
    BeginOperation();
    // The native view of a 64-bit Windows holds the 32-bit one too, under
    // its Wow6432Node keys; either build writes it, and marks the file so.
    const REGSAM view = Wow64::NativeView();
    // The whole registry is written: what a link points to is written anyway.
    m_bSkipLinks = true;
    m_bNativeViewMark = view != 0;
    CXmlWriter writer;
    writer.SetFileName(path);
    try
    {
        XmlElement registry("registry");
        if (m_bNativeViewMark)
            registry.SetAttribute(BackupViewMark::kAttribute, BackupViewMark::kNativeView);
        registry.WriteStartTag(writer);
        // The named roots, in the table's order.
        for (size_t i = 0; i < kNamedRegistryRootCount; ++i)
        {
            ExportKeyPath(writer, kRegistryRoots[i].name, view);
            if (m_pStatus)
                m_pStatus->OnProgress(1);
        }
        writer.WriteChecksum();
        registry.WriteEndTag(writer);
    }
    catch (...)
    {
        m_bWriteFailed = true;
    }
    return FinishBackup(writer);
}

int CRegistryManager::BackupKeys(CAbstractScanItemsInfo* items, const std::string& path)
{
    BeginOperation();
    m_bSkipLinks = false;
    // The keys are read in this program's own view: a 64-bit build's is the
    // native one, and the file says so, as a full backup's does.
    m_bNativeViewMark = Wow64::ThirtyTwoBitView() != 0;
    m_spelling.clear();
    m_spelledParents.clear();
    CXmlWriter writer;
    writer.SetFileName(path);
    try
    {
        XmlElement registry("registry");
        if (m_bNativeViewMark)
            registry.SetAttribute(BackupViewMark::kAttribute, BackupViewMark::kNativeView);
        registry.WriteStartTag(writer);
        ExportFindingKeys(writer, FindingKeys(items));
        writer.WriteChecksum();
        registry.WriteEndTag(writer);
    }
    catch (...)
    {
        m_bWriteFailed = true;
    }
    return FinishBackup(writer);
}

namespace
{
// One text for every spelling of a key path (findings may be lower-cased).
std::string KeyIdentity(const std::string& keyPath)
{
    return AnsiText::ToLower(keyPath);
}

size_t ComponentCount(const std::string& keyPath)
{
    return static_cast<size_t>(std::count(keyPath.begin(), keyPath.end(), '\\')) + 1;
}
}

std::vector<std::string> CRegistryManager::FindingKeys(CAbstractScanItemsInfo* items)
{
    std::vector<std::string> keys;
    std::unordered_set<std::string> seen;
    for (int more = items ? items->MoveFirst() : 0; more && m_bGo; more = items->MoveNext())
    {
        if (items->IsCurrentItemExcluded())
            continue;
        const char* current = items->GetCurrentText();
        std::string keyPath = current ? current : "";
        const size_t separator = keyPath.find(kItemValueSeparator);
        if (separator != std::string::npos && separator > 0)
            keyPath.erase(separator);
        // A key with many findings (every dead value of a Run key) is saved
        // once: saved again for each, the file grew with the square of them.
        if (!keyPath.empty() && seen.insert(KeyIdentity(keyPath)).second)
            keys.push_back(keyPath);
    }
    // Outer keys first, so that a key saved whole is known before the keys
    // of findings below it; otherwise in the store's order.
    std::stable_sort(keys.begin(), keys.end(), [](const std::string& left, const std::string& right) {
        return ComponentCount(left) < ComponentCount(right);
    });
    return keys;
}

void CRegistryManager::ExportFindingKeys(CXmlWriter& writer, const std::vector<std::string>& keys)
{
    // The keys whose chains were written, each with all below it.
    std::unordered_set<std::string> saved;
    for (const std::string& keyPath : keys)
    {
        if (!m_bGo || writer.HasFailed())
            return;
        const std::string identity = KeyIdentity(keyPath);
        bool inside = false;
        for (size_t slash = identity.find('\\'); !inside && slash != std::string::npos;
             slash = identity.find('\\', slash + 1))
            inside = saved.count(identity.substr(0, slash)) != 0;
        if (!inside && ExportKeyPath(writer, keyPath, 0))
            saved.insert(identity);
    }
}

bool CRegistryManager::ExportKeyPath(CXmlWriter& writer, const std::string& keyPath, REGSAM view)
{
    if (keyPath.empty())
        return false;
    std::string rootName;
    std::string subPath;
    RegistryKeyPath::SplitRoot(keyPath, rootName, subPath);
    const HKEY root = RegistryKeyPath::RootFromName(rootName);
    if (!root)
        return false;
    CRegKey key;
    if (RegistryKeyPath::OpenPath(root, subPath, KEY_READ, view, key) != ERROR_SUCCESS)
        return false;
    std::vector<std::string> components = RegistryKeyPath::Split(keyPath);
    // A finding's text may be lower-cased; a restore creates a deleted key
    // under the name the file gives, so the file keeps the registry's own.
    if (const char* stored = RegistryRootName(root))
        if (*stored)
            components[0] = stored;
    if (components.size() > 1 && !RegistryKeyPath::SpellAsStored(key.Get(), components))
        SpellByLevels(root, components);
    if (m_bNativeViewMark)
        components[0] = BackupViewMark::MarkedRootName(components[0]);
    for (const std::string& component : components)
        WriteKeyElement(writer, component, false);
    const bool whole = ExportKey(writer, std::string(), key.Get(), view, static_cast<int>(components.size()));
    for (size_t i = 0; i < components.size(); ++i)
        m_keyElement->WriteEndTag(writer);
    return whole;
}

void CRegistryManager::SpellByLevels(HKEY root, std::vector<std::string>& components)
{
    std::string parentText = AnsiText::ToLower(components[0]);
    CRegKey parent(root);
    for (size_t i = 1; i < components.size(); ++i)
    {
        const std::string childText = parentText + "\\" + AnsiText::ToLower(components[i]);
        auto spelled = m_spelling.find(childText);
        if (spelled == m_spelling.end() && m_spelledParents.insert(parentText).second)
        {
            LearnSubkeySpellings(parent.Get(), parentText);
            spelled = m_spelling.find(childText);
        }
        if (spelled != m_spelling.end())
            components[i] = spelled->second;
        CRegKey level;
        if (level.Open(parent.Get(), components[i].c_str(), KEY_ENUMERATE_SUB_KEYS) != ERROR_SUCCESS)
            return;
        parent = std::move(level);
        parentText = childText;
    }
}

void CRegistryManager::LearnSubkeySpellings(HKEY key, const std::string& keyText)
{
    std::string name;
    LONG rc = ERROR_SUCCESS;
    for (DWORD index = 0; EnumSubkey(key, index, name, rc); ++index)
        m_spelling.emplace(keyText + "\\" + AnsiText::ToLower(name), name);
}

bool CRegistryManager::WriteKeyElement(CXmlWriter& writer, const std::string& name, bool empty)
{
    // As XmlElement renders a "k" element, built in one reused line: a full
    // backup writes hundreds of thousands.
    const int level = writer.GetIndent() + 1;
    m_line.assign(static_cast<size_t>(level), ' ');
    m_line += "<k name=\"";
    RegistryValueText::AppendEscapedXml(m_line, name.data(), name.size());
    m_line += empty ? "\"/>\r\n" : "\">\r\n";
    writer.SetIndent(empty ? level - 1 : level);
    return writer.WriteText(m_line) != 0;
}

bool CRegistryManager::WriteValueElement(CXmlWriter& writer, const char* name, size_t nameLength)
{
    m_line.assign(static_cast<size_t>(writer.GetIndent() + 1), ' ');
    m_line += "<v name=\"";
    if (nameLength)
        RegistryValueText::AppendEscapedXml(m_line, name, nameLength);
    else
        m_line += "(Default)";
    m_line += "\" value=\"";
    RegistryValueText::AppendEscapedXml(m_line, m_text.data(), m_text.size());
    if (!m_typeName.empty())
    {
        m_line += "\" type=\"";
        RegistryValueText::AppendEscapedXml(m_line, m_typeName.data(), m_typeName.size());
    }
    m_line += "\"/>\r\n";
    return writer.WriteText(m_line) != 0;
}

bool CRegistryManager::ExportKey(CXmlWriter& writer, const std::string& name, HKEY key, REGSAM view, int depth)
{
    if (!m_bGo || writer.HasFailed())
        return false;
    DWORD subkeys = 0;
    DWORD longestSubkey = 0;
    DWORD values = 0;
    DWORD longestValueName = 0;
    DWORD longestData = 0;
    // A key whose counts cannot be read is still walked; its tags then stay
    // start and end tags, so that the file keeps its shape.
    const bool counted = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values,
                                            &longestValueName, &longestData, nullptr, nullptr) == ERROR_SUCCESS;
    const bool empty = counted && subkeys == 0 && values == 0;
    if (!name.empty() && !WriteKeyElement(writer, name, empty))
        return false;
    if (empty)
        return true;
    GrowTo(m_nameBuffer, static_cast<size_t>(longestValueName) + 1);
    GrowTo(m_dataBuffer, static_cast<size_t>(longestData) + 1);
    GrowTo(m_subkeyBuffer, static_cast<size_t>(longestSubkey) + 1);

    // With the counts known the walk needs no last call to learn the end:
    // under Wine every registry call is a round trip to the server.
    for (DWORD index = 0; !counted || index < values; ++index)
    {
        DWORD type = 0;
        DWORD length = 0;
        LONG rc = ERROR_SUCCESS;
        if (!EnumValue(key, index, type, length, rc))
        {
            if (rc == ERROR_NO_MORE_ITEMS || !counted)
                break;
            continue;
        }
        RegistryValueText::DescribeValue(m_dataBuffer.data(), length, type, m_text, m_typeName);
        if (!WriteValueElement(writer, m_nameBuffer.data(), std::strlen(m_nameBuffer.data())))
            return false;
    }

    std::string subkeyName;
    for (DWORD index = 0; !counted || index < subkeys; ++index)
    {
        LONG rc = ERROR_SUCCESS;
        if (!EnumSubkey(key, index, subkeyName, rc))
        {
            if (rc == ERROR_NO_MORE_ITEMS || !counted)
                break;
            continue;
        }
        if (subkeyName.empty() || depth >= kMaxKeyDepth)
            continue;
        if (m_bSkipLinks && IsLinkIntoTheRegistry(key, subkeyName, view))
            continue;
        CRegKey subkey;
        if (subkey.Open(key, subkeyName.c_str(), KEY_READ | view) != ERROR_SUCCESS)
            continue;
        if (!ExportKey(writer, subkeyName, subkey.Get(), view, depth + 1))
            return false;
    }
    if (!name.empty())
        m_keyElement->WriteEndTag(writer);
    return !writer.HasFailed();
}

bool CRegistryManager::IsLinkIntoTheRegistry(HKEY parent, const std::string& name, REGSAM view)
{
    // Windows links a few keys to others (the 32-bit classes, the current
    // control set); the walk would write the same tree twice, and a restore
    // writes through the link into the tree that is written anyway. Only
    // these names are asked: one more open per key would slow every backup.
    static const char* const kLinkedNames[] = {"Classes", "Wow6432Node", "CurrentControlSet"};
    bool candidate = false;
    for (const char* linked : kLinkedNames)
        candidate = candidate || AnsiText::EqualsAsciiNoCase(name, linked);
    if (!candidate)
        return false;
    HKEY key = NULL;
    if (::RegOpenKeyExA(parent, name.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return false;
    CRegKey link(key);
    WCHAR target[512] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof(target) - sizeof(WCHAR);
    if (::RegQueryValueExW(link.Get(), L"SymbolicLinkValue", nullptr, &type, reinterpret_cast<BYTE*>(target),
                           &size) != ERROR_SUCCESS ||
        type != REG_LINK)
        return false;
    // Every tree of the machine and of the users is written by a full backup.
    static const WCHAR kRegistryPrefix[] = L"\\REGISTRY\\";
    return ::_wcsnicmp(target, kRegistryPrefix, (sizeof(kRegistryPrefix) / sizeof(WCHAR)) - 1) == 0;
}

bool CRegistryManager::EnumValue(HKEY key, DWORD index, DWORD& type, DWORD& length, LONG& rc)
{
    for (int attempt = 0; attempt < kMaxBufferGrowth; ++attempt)
    {
        DWORD nameSize = static_cast<DWORD>(m_nameBuffer.size());
        length = static_cast<DWORD>(m_dataBuffer.size());
        m_nameBuffer[0] = '\0';
        rc = ::RegEnumValueA(key, index, m_nameBuffer.data(), &nameSize, nullptr, &type, m_dataBuffer.data(), &length);
        if (rc != ERROR_MORE_DATA)
            return rc == ERROR_SUCCESS;
        // Either buffer may be short; the call tells only the data's size.
        if (m_nameBuffer.size() < 65536)
            m_nameBuffer.resize(m_nameBuffer.size() * 2);
        m_dataBuffer.resize(std::max<size_t>(m_dataBuffer.size() * 2, static_cast<size_t>(length) + 1));
    }
    return false;
}

bool CRegistryManager::EnumSubkey(HKEY key, DWORD index, std::string& name, LONG& rc)
{
    // The counts are in characters; a multibyte name may need more bytes.
    for (int attempt = 0; attempt < kMaxBufferGrowth; ++attempt)
    {
        DWORD size = static_cast<DWORD>(m_subkeyBuffer.size());
        rc = ::RegEnumKeyExA(key, index, m_subkeyBuffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA)
        {
            m_subkeyBuffer.resize(m_subkeyBuffer.size() * 2);
            continue;
        }
        if (rc != ERROR_SUCCESS)
            return false;
        name.assign(m_subkeyBuffer.data(), size);
        return true;
    }
    return false;
}

namespace
{
// Writes what a backup file holds into the registry, key by key. A key or
// value that cannot be written or spelt in the code page is left out (with
// all below such a key) and its key told to the status sink.
class RestoreWriter : public CBackupFileSink
{
public:
    explicit RestoreWriter(CAbstractStatus* status) : m_status(status) {}

    // Every key and value of the file was written.
    bool WroteAll() const { return !m_leftOut; }

    void OnView64() override
    {
        m_view = Wow64::NativeView();
    }

    void OnKeyStart(const std::string& name, bool exact) override
    {
        const bool parentSkipped = !m_keys.empty() && m_keys.back().skipped;
        m_keys.emplace_back();
        KeyStackEntry& entry = m_keys.back();
        entry.name = name;
        // Below a key left out nothing is written, and nothing told again.
        entry.skipped = parentSkipped;
        entry.reported = parentSkipped;
        if (!entry.skipped && (!exact || !OpenOrCreateKey(entry)))
        {
            entry.skipped = true;
            ReportTop();
        }
    }

    void OnKeyEnd() override
    {
        if (!m_keys.empty())
            m_keys.pop_back();
    }

    void OnValue(const std::string& name, DWORD type, const std::vector<BYTE>& data, bool exact) override
    {
        if (m_keys.empty() || m_keys.back().skipped)
            return;
        if (!exact || !SetValue(m_keys.back().key.Get(), name, type, data))
            ReportTop();
    }

    void OnNode() override
    {
        if (++g_restoreNodeCount >= kRestoreNodesPerStep && m_status)
        {
            m_status->OnProgress(1);
            g_restoreNodeCount = 0;
        }
    }

private:
    bool OpenOrCreateKey(KeyStackEntry& entry)
    {
        if (m_keys.size() == 1)
        {
            entry.key.Attach(RegistryKeyPath::RootFromName(entry.name));
            return entry.key.IsOpen();
        }
        // Each level is made relative to its parent, whose handle is open on
        // the stack already: no call carries the whole path, and one call
        // opens a key that exists or creates one that does not.
        const HKEY parent = m_keys[m_keys.size() - 2].key.Get();
        if (!parent)
            return false;
        const REGSAM access = MAXIMUM_ALLOWED | m_view;
        LONG rc = ::RegCreateKeyExA(parent, entry.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                    nullptr, entry.key.Receive(), nullptr);
        // Below a volatile key only volatile keys can be made, and the key
        // the backup read there was one: it comes back as it was, until the
        // next start of Windows.
        if (rc == ERROR_CHILD_MUST_BE_VOLATILE)
            rc = ::RegCreateKeyExA(parent, entry.name.c_str(), 0, nullptr, REG_OPTION_VOLATILE, access, nullptr,
                                   entry.key.Receive(), nullptr);
        // A key that may be written but not made below its parent.
        if (rc != ERROR_SUCCESS)
            rc = entry.key.Open(parent, entry.name.c_str(), access);
        return rc == ERROR_SUCCESS && entry.key.IsOpen();
    }

    bool SetValue(HKEY key, const std::string& name, DWORD type, const std::vector<BYTE>& data)
    {
        if (!key)
            return false;
        const char* valueName = AnsiText::EqualsAsciiNoCase(name, "(Default)") ? "" : name.c_str();
        static const BYTE kNoData = 0;
        if (::RegSetValueExA(key, valueName, 0, type, data.empty() ? &kNoData : data.data(),
                             static_cast<DWORD>(data.size())) == ERROR_SUCCESS)
            return true;
        // A key that may only be read (another user's, or the machine's for
        // a user without rights) is restored where it holds the data already.
        return HoldsAlready(key, valueName, type, data);
    }

    bool HoldsAlready(HKEY key, const char* valueName, DWORD type, const std::vector<BYTE>& data)
    {
        DWORD storedType = REG_NONE;
        DWORD length = static_cast<DWORD>(data.size());
        m_stored.resize(data.size() + 1);
        return ::RegQueryValueExA(key, valueName, nullptr, &storedType, m_stored.data(), &length) == ERROR_SUCCESS &&
               storedType == type && length == data.size() && std::equal(data.begin(), data.end(), m_stored.begin());
    }

    // Tells the sink of the innermost key, once.
    void ReportTop()
    {
        m_leftOut = true;
        KeyStackEntry& top = m_keys.back();
        if (top.reported)
            return;
        top.reported = true;
        if (!m_status)
            return;
        std::string path;
        for (const KeyStackEntry& entry : m_keys)
        {
            if (!path.empty())
                path += '\\';
            path += entry.name;
        }
        m_status->SetStatusText(path.c_str(), kStatusCodeNotRestored);
    }

    CAbstractStatus* m_status;
    std::vector<KeyStackEntry> m_keys;
    // A file without the view mark was written by a 32-bit program (or on a
    // 32-bit Windows): it holds the 32-bit view, for either build.
    REGSAM m_view = Wow64::ThirtyTwoBitView();
    bool m_leftOut = false;
    std::vector<BYTE> m_stored;
};
}

int CRegistryManager::RestoreRegistry(const std::string& path)
{
    m_bGo = 1;
    int result = 0;
    std::string error;
    try
    {
        // The file is read twice: once to check all of it, and only when
        // nothing is wrong, once more to write. Meanwhile nobody may change it.
        CHandle guard(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        CBackupFileReader reader;
        if (guard && reader.Read(path, nullptr))
        {
            RestoreWriter writer(m_pStatus);
            result = reader.Read(path, &writer) && writer.WroteAll() ? 1 : 0;
        }
        error = reader.GetErrorText();
    }
    catch (...)
    {
        result = 0;
    }
    // The job thread owns no window: the page that started the restore
    // shows the message when the job is done.
    if (!error.empty() && m_pStatus)
        m_pStatus->SetStatusText(error.c_str(), kStatusCodeMessage);
    m_bGo = 0;
    return result;
}

int CRegistryManager::DeleteKeyPath(const std::string& keyPath)
{
    try
    {
        const size_t slash = keyPath.find('\\');
        if (slash == std::string::npos || slash < 1 || !RegistryKeyPath::IsDeletableKeyPath(keyPath))
            return 0;
        std::string rootName;
        std::string rest;
        RegistryKeyPath::SplitRoot(keyPath, rootName, rest);
        const HKEY root = RegistryKeyPath::RootFromName(rootName);
        const size_t last = rest.rfind('\\');
        const std::string parentPath = last == std::string::npos ? std::string() : rest.substr(0, last);
        const std::string name = last == std::string::npos ? rest : rest.substr(last + 1);
        CRegKey parent;
        const LONG rc = RegistryKeyPath::OpenPath(root, parentPath, MAXIMUM_ALLOWED, 0, parent);
        if (rc != ERROR_SUCCESS)
            return rc == ERROR_FILE_NOT_FOUND ? 1 : 0;
        return DeleteKeyTree(parent.Get(), name);
    }
    catch (...)
    {
        return 0;
    }
}

int CRegistryManager::DeleteKeyTree(HKEY parent, const std::string& name)
{
    if (::RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS)
        return 1;
    CRegKey key;
    const LONG rc = key.Open(parent, name.c_str(), KEY_READ);
    if (rc != ERROR_SUCCESS)
        return rc == ERROR_FILE_NOT_FOUND ? 1 : 0;
    // Always the first subkey: each delete moves the next one there. A name
    // the ANSI calls cannot spell ("?") can be neither opened nor deleted and
    // comes back at once; then the delete has failed.
    std::vector<char> buffer(256);
    std::string previous;
    bool first = true;
    for (int growth = 0; growth < kMaxBufferGrowth;)
    {
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG enumerated = ::RegEnumKeyExA(key.Get(), 0, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (enumerated == ERROR_MORE_DATA)
        {
            buffer.resize(buffer.size() * 2);
            ++growth;
            continue;
        }
        if (enumerated != ERROR_SUCCESS)
            break;
        const std::string child(buffer.data(), size);
        if (!first && child == previous)
            break;
        first = false;
        previous = child;
        if (!DeleteKeyTree(key.Get(), child))
            break;
    }
    key.Close();
    return ::RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS ? 1 : 0;
}

int CRegistryManager::DeleteValue(const std::string& valuePath)
{
    std::string rootName;
    std::string rest;
    RegistryKeyPath::SplitRoot(valuePath, rootName, rest);
    const size_t last = rest.rfind('\\');
    const HKEY root = RegistryKeyPath::RootFromName(rootName);
    if (!root || last == std::string::npos || last + 1 >= rest.size())
        return 0;
    CRegKey key;
    if (RegistryKeyPath::OpenPath(root, rest.substr(0, last), KEY_SET_VALUE, 0, key) != ERROR_SUCCESS)
        return 0;
    return key.DeleteValue(rest.substr(last + 1).c_str()) == ERROR_SUCCESS ? 1 : 0;
}

int CRegistryManager::KeyExists(const std::string& keyPath)
{
    std::string rootName;
    std::string rest;
    RegistryKeyPath::SplitRoot(keyPath, rootName, rest);
    const HKEY root = RegistryKeyPath::RootFromName(rootName);
    CRegKey key;
    return root && RegistryKeyPath::OpenPath(root, rest, KEY_READ, 0, key) == ERROR_SUCCESS ? 1 : 0;
}
