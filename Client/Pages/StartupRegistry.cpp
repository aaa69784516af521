#include "Client/Pages/StartupRegistry.h"

#include <algorithm>

#include "Client/Pages/StartupLocations.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"
#include "Framework/Wow64.h"

using StartupLocations::kView;

namespace StartupRegistry
{
namespace
{
// Records of one value name get "name (2)", "name (3)" ... after the first.
constexpr int kMaxRecordsOfOneName = 99;

// The values a record holds beside the system-configuration layout's own:
// the value's name under its Run key and its type.
const char* const kValueNameValue = "valuename";
const char* const kTypeValue = "type";

bool IsKeptType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::vector<std::string> SplitMultiString(const std::vector<char>& data, size_t size)
{
    std::vector<std::string> strings;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i)
        if (i == size || data[i] == '\0')
        {
            if (i > start)
                strings.emplace_back(&data[start], i - start);
            start = i + 1;
        }
    return strings;
}

std::string JoinMultiString(const std::vector<std::string>& strings)
{
    std::string data;
    for (const std::string& text : strings)
        data += text + '\0';
    data += '\0';
    return data;
}

// The strings of a REG_MULTI_SZ value; false when it exists with another
// type or cannot be read. A missing value has no strings.
bool ReadMultiString(HKEY key, const std::string& name, std::vector<std::string>& strings)
{
    strings.clear();
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND)
        return true;
    if (rc != ERROR_SUCCESS || type != REG_MULTI_SZ)
        return false;
    std::vector<char> data(size + 1, '\0');
    rc = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc != ERROR_SUCCESS || type != REG_MULTI_SZ)
        return false;
    strings = SplitMultiString(data, size);
    return true;
}

LONG WriteMultiString(HKEY key, const std::string& name, const std::vector<std::string>& strings)
{
    if (strings.empty())
        return ::RegDeleteValueA(key, name.c_str());
    const std::string data = JoinMultiString(strings);
    return ::RegSetValueExA(key, name.c_str(), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size()));
}

void AddValueEntries(const std::string& name, DWORD type, const std::vector<char>& data, DWORD size,
                     const StartupRegistryEntry& base, std::vector<StartupRegistryEntry>& entries)
{
    StartupRegistryEntry entry = base;
    entry.name = name;
    entry.valueName = name;
    entry.type = type;
    if (type == REG_MULTI_SZ)
    {
        for (const std::string& text : SplitMultiString(data, size))
        {
            entry.command = text;
            entries.push_back(entry);
        }
        return;
    }
    entry.command = data.data();
    entries.push_back(entry);
}

void ReadRunKey(const IdStringEntry& runKey, std::vector<StartupRegistryEntry>& entries)
{
    const HKEY root = StartupLocations::RunKeyRoot(runKey);
    CRegKey key;
    if (key.Open(root, runKey.text.c_str(), KEY_READ | kView) != ERROR_SUCCESS)
        return;
    // A name longer than the usual buffer must not end the list early.
    DWORD longestName = 0;
    ::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                       nullptr, nullptr, nullptr);
    std::vector<char> name(std::max<DWORD>(longestName + 1, MAX_PATH));

    StartupRegistryEntry base;
    base.keyPath = runKey.text;
    base.isHklm = root == HKEY_LOCAL_MACHINE ? 1 : 0;
    for (DWORD index = 0;; ++index)
    {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD size = 0;
        if (::RegEnumValueA(key.Get(), index, name.data(), &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        if (size == 0)
            continue;
        std::vector<char> data(size + 1, '\0');
        nameLength = static_cast<DWORD>(name.size());
        if (::RegEnumValueA(key.Get(), index, name.data(), &nameLength, nullptr, &type,
                            reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
            break;
        AddValueEntries(std::string(name.data(), nameLength), type, data, size, base, entries);
    }
}

bool ReadRecord(HKEY parent, const std::string& subkey, StartupRegistryEntry& entry)
{
    CRegKey record;
    if (record.Open(parent, subkey.c_str(), KEY_READ | kView) != ERROR_SUCCESS)
        return false;
    entry.name = subkey;
    entry.command = record.ReadString("command");
    entry.keyPath = record.ReadString("key");
    entry.isHklm = record.ReadString("hkey") == "HKLM" ? 1 : 0;
    entry.disabled = 1;
    // Records written without these (by Windows' own tool, or before) name
    // their value by the subkey and hold a plain string.
    if (record.QueryString(kValueNameValue, entry.valueName) != ERROR_SUCCESS)
        entry.valueName = subkey;
    DWORD type = REG_SZ;
    if (record.QueryDword(kTypeValue, type) != ERROR_SUCCESS || !IsKeptType(type))
        type = REG_SZ;
    entry.type = type;
    return !entry.command.empty();
}

// Creates a record subkey that no other record uses yet.
LONG CreateFreshRecord(CRegKey& parent, const std::string& valueName, CRegKey& record, std::string& recordName)
{
    const std::string base = RecordNameBase(valueName);
    for (int number = 1; number <= kMaxRecordsOfOneName; ++number)
    {
        recordName = number == 1 ? base : AnsiText::Format("%s (%d)", base.c_str(), number);
        DWORD disposition = 0;
        const LONG created = record.Create(parent.Get(), recordName.c_str(), KEY_ALL_ACCESS | kView, &disposition);
        if (created != ERROR_SUCCESS)
            return created;
        if (disposition == REG_CREATED_NEW_KEY)
            return ERROR_SUCCESS;
        record.Close();
    }
    return ERROR_ALREADY_EXISTS;
}

LONG WriteRecordValues(CRegKey& record, const StartupRegistryEntry& entry, const std::string& recordName)
{
    std::string item = ExeNameFromCommand(entry.command);
    if (item.empty())
        item = entry.valueName.empty() ? recordName : entry.valueName;
    LONG error = record.SetString("item", item);
    if (error == ERROR_SUCCESS)
        error = record.SetString("command", entry.command);
    if (error == ERROR_SUCCESS)
        error = record.SetString("key", entry.keyPath);
    if (error == ERROR_SUCCESS)
        error = record.SetString("hkey", entry.isHklm ? "HKLM" : "HKCU");
    if (error == ERROR_SUCCESS)
        error = record.SetString("inimapping", "0");
    if (error == ERROR_SUCCESS)
        error = record.SetString(kValueNameValue, entry.valueName);
    if (error == ERROR_SUCCESS)
        error = record.SetDword(kTypeValue, entry.type);
    return error;
}

// Writes the record whole under a subkey name of its own, or not at all (a
// part that was written is removed again).
LONG WriteRecord(const StartupRegistryEntry& entry, std::string& recordName)
{
    CRegKey parent;
    LONG error =
        parent.Create(StartupLocations::RecordRoot(), StartupLocations::kStartupRegKey, KEY_ALL_ACCESS | kView);
    if (error != ERROR_SUCCESS)
        return error;
    CRegKey record;
    error = CreateFreshRecord(parent, entry.valueName, record, recordName);
    if (error != ERROR_SUCCESS)
        return error;
    error = WriteRecordValues(record, entry, recordName);
    if (error == ERROR_SUCCESS)
        return error;
    record.Close();
    DeleteRecordKey(StartupLocations::kStartupRegKey, KEY_READ, recordName);
    return error;
}

LONG OpenRunKey(const StartupRegistryEntry& entry, REGSAM access, CRegKey& key)
{
    return key.Open(entry.Root(), entry.keyPath.c_str(), access | kView);
}

// Deletes the value, or for a REG_MULTI_SZ value only the entry's string.
LONG TakeOutRunValue(const StartupRegistryEntry& entry)
{
    CRegKey key;
    const LONG opened = OpenRunKey(entry, KEY_ALL_ACCESS, key);
    if (opened != ERROR_SUCCESS)
        return opened;
    if (entry.type != REG_MULTI_SZ)
        return key.DeleteValue(entry.valueName.c_str());
    std::vector<std::string> strings;
    if (!ReadMultiString(key.Get(), entry.valueName, strings))
        return ERROR_INVALID_DATA;
    const auto found = std::find(strings.begin(), strings.end(), entry.command);
    if (found == strings.end())
        return ERROR_FILE_NOT_FOUND;
    strings.erase(found);
    return WriteMultiString(key.Get(), entry.valueName, strings);
}

// A value of the entry's name is live under its Run key again (a program
// that registered itself anew); for a list, the entry's own string is in it.
bool IsValueBack(const StartupRegistryEntry& entry)
{
    CRegKey key;
    if (OpenRunKey(entry, KEY_READ, key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    if (::RegQueryValueExA(key.Get(), entry.valueName.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    if (entry.type != REG_MULTI_SZ || type != REG_MULTI_SZ)
        return true;
    std::vector<std::string> strings;
    return !ReadMultiString(key.Get(), entry.valueName, strings) ||
           std::find(strings.begin(), strings.end(), entry.command) != strings.end();
}

LONG PutBackRunValue(const StartupRegistryEntry& entry)
{
    CRegKey key;
    const LONG opened = OpenRunKey(entry, KEY_ALL_ACCESS, key);
    if (opened != ERROR_SUCCESS)
        return opened;
    if (entry.type != REG_MULTI_SZ)
        return key.SetString(entry.valueName.c_str(), entry.command, entry.type);
    std::vector<std::string> strings;
    if (!ReadMultiString(key.Get(), entry.valueName, strings))
        return ERROR_INVALID_DATA;
    strings.push_back(entry.command);
    return WriteMultiString(key.Get(), entry.valueName, strings);
}

typedef LONG(WINAPI* PFN_REG_DELETE_KEY_EX)(HKEY, LPCSTR, REGSAM, DWORD);

PFN_REG_DELETE_KEY_EX RegDeleteKeyExFunction()
{
    // Not there before 64-bit Windows; looked up once for the run.
    static const PFN_REG_DELETE_KEY_EX function = reinterpret_cast<PFN_REG_DELETE_KEY_EX>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    return function;
}
}

void ReadRunValues(const std::vector<IdStringEntry>& runKeys, std::vector<StartupRegistryEntry>& entries)
{
    for (const IdStringEntry& runKey : runKeys)
        ReadRunKey(runKey, entries);
}

void ReadRecords(std::vector<StartupRegistryEntry>& entries)
{
    CRegKey parent;
    if (parent.Open(StartupLocations::RecordRoot(), StartupLocations::kStartupRegKey, KEY_READ | kView) !=
        ERROR_SUCCESS)
        return;
    for (const std::string& name : parent.SubkeyNames())
    {
        // One record that does not open hides none of the others.
        StartupRegistryEntry entry;
        if (ReadRecord(parent.Get(), name, entry))
            entries.push_back(entry);
    }
}

StartupChange Disable(const StartupRegistryEntry& entry)
{
    if (entry.disabled)
        return kStartupGone;
    if (!IsKeptType(entry.type))
        return kStartupUnkeptType;
    std::string recordName;
    const LONG recorded = WriteRecord(entry, recordName);
    if (recorded != ERROR_SUCCESS)
        return StartupChangeOf(recorded);
    const LONG taken = TakeOutRunValue(entry);
    if (taken == ERROR_SUCCESS)
        return kStartupChanged;
    // The value is still there: it stays enabled, with no second copy.
    DeleteRecordKey(StartupLocations::kStartupRegKey, KEY_READ, recordName);
    return StartupChangeOf(taken, kStartupGone);
}

StartupChange Enable(const StartupRegistryEntry& entry)
{
    if (!entry.disabled)
        return kStartupGone;
    if (IsValueBack(entry))
        return kStartupValueBack;
    const LONG deletable = CheckRecordDeletable(StartupLocations::kStartupRegKey, entry.name);
    if (deletable != ERROR_SUCCESS)
        return StartupChangeOf(deletable, kStartupGone);
    const LONG written = PutBackRunValue(entry);
    if (written != ERROR_SUCCESS)
        return StartupChangeOf(written, kStartupPlaceGone);
    const LONG deleted = DeleteRecordKey(StartupLocations::kStartupRegKey, KEY_READ, entry.name);
    if (deleted == ERROR_SUCCESS)
        return kStartupChanged;
    // The record stays, so the value goes again: never two copies.
    TakeOutRunValue(entry);
    return StartupChangeOf(deleted);
}

StartupChange Remove(const StartupRegistryEntry& entry)
{
    if (entry.disabled)
        return StartupChangeOf(DeleteRecordKey(StartupLocations::kStartupRegKey, KEY_READ, entry.name), kStartupGone);
    return StartupChangeOf(TakeOutRunValue(entry), kStartupGone);
}

std::string ExeNameFromCommand(const std::string& command)
{
    std::string b = AnsiText::Trimmed(command, "\"");
    std::string a = AnsiText::ToLower(b);
    const size_t i = a.find(".exe");
    if (i == std::string::npos)
        return std::string();
    a = a.substr(0, i) + ".exe";
    const size_t j = a.rfind('\\');
    if (j == std::string::npos)
        return std::string();
    b = b.substr(j + 1);
    size_t k = b.find(".exe");
    if (k == std::string::npos)
        k = b.find(".EXE");
    if (k != std::string::npos)
        b = b.substr(0, k);
    return b;
}

std::string RecordNameBase(const std::string& valueName)
{
    if (valueName.empty())
        return "(Default)";
    std::string name = valueName;
    std::replace(name.begin(), name.end(), '\\', '^');
    return name;
}

LONG DeleteRecordKey(const char* parentPath, REGSAM parentAccess, const std::string& name)
{
    if (name.empty())
        return ERROR_INVALID_PARAMETER;
    CRegKey parent;
    const LONG opened = parent.Open(StartupLocations::RecordRoot(), parentPath, parentAccess | kView);
    if (opened != ERROR_SUCCESS)
        return opened;
    const std::string path = std::string(parentPath) + "\\" + name;
    // The records live in the native view of a 64-bit Windows, which a
    // 32-bit build reaches only through the view flag.
    if (Wow64::Is64BitWindows())
    {
        const PFN_REG_DELETE_KEY_EX deleteKeyEx = RegDeleteKeyExFunction();
        if (!deleteKeyEx)
            return ERROR_CALL_NOT_IMPLEMENTED;
        return deleteKeyEx(StartupLocations::RecordRoot(), path.c_str(), KEY_ALL_ACCESS | KEY_WOW64_64KEY, 0);
    }
    return ::RegDeleteKeyA(StartupLocations::RecordRoot(), path.c_str());
}

LONG CheckRecordDeletable(const char* parentPath, const std::string& name)
{
    if (name.empty())
        return ERROR_INVALID_PARAMETER;
    const std::string path = std::string(parentPath) + "\\" + name;
    CRegKey record;
    return record.Open(StartupLocations::RecordRoot(), path.c_str(), DELETE | KEY_READ | kView);
}
}
