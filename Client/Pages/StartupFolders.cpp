#include "Client/Pages/StartupFolders.h"

#include <algorithm>
#include <set>

#include "Client/Pages/StartupLocations.h"
#include "Client/Pages/StartupRegistry.h"
#include "Framework/AnsiText.h"
#include "Framework/CFindHandle.h"
#include "Framework/CRegKey.h"

using StartupLocations::kView;

namespace
{
class FileSearch
{
public:
    explicit FileSearch(const std::string& pattern) : m_h(::FindFirstFileA(pattern.c_str(), &m_data)) {}

    bool Found() const { return m_h.IsValid(); }
    bool Next() { return ::FindNextFileA(m_h.Get(), &m_data) != FALSE; }
    const WIN32_FIND_DATAA& Data() const { return m_data; }

private:
    WIN32_FIND_DATAA m_data = {};  // before the search, which fills it
    CFindHandle m_h;
};

bool FileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsListedFile(const WIN32_FIND_DATAA& data)
{
    const std::string name = data.cFileName;
    if (name == "." || name == "..")
        return false;
    return !(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
}

bool DeleteFileEvenReadOnly(const std::string& path)
{
    if (::DeleteFileA(path.c_str()))
        return true;
    if (::GetLastError() != ERROR_ACCESS_DENIED)
        return false;
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileA(path.c_str()) != FALSE;
}

bool ReadRecord(HKEY parent, const std::string& subkey, StartupFolderEntry& entry)
{
    CRegKey record;
    if (record.Open(parent, subkey.c_str(), KEY_READ | kView) != ERROR_SUCCESS)
        return false;
    entry.item = record.ReadString("item");
    entry.command = record.ReadString("command");
    entry.path = record.ReadString("path");
    entry.location = record.ReadString("location");
    entry.backup = record.ReadString("backup");
    entry.key = subkey;
    entry.disabled = 1;
    entry.common = AnsiText::ToLower(entry.location) == "common startup" ? 1 : 0;
    return !entry.path.empty();
}

// Writes the record whole, or not at all.
LONG WriteRecord(const StartupFolderEntry& entry)
{
    CRegKey parent;
    LONG error = parent.Create(StartupLocations::RecordRoot(), StartupLocations::kStartupFolderKey,
                               KEY_ALL_ACCESS | kView);
    if (error != ERROR_SUCCESS)
        return error;
    CRegKey record;
    error = record.Create(parent.Get(), entry.key.c_str(), KEY_ALL_ACCESS | kView);
    if (error != ERROR_SUCCESS)
        return error;
    error = record.SetString("item", entry.item);
    if (error == ERROR_SUCCESS)
        error = record.SetString("command", entry.command);
    if (error == ERROR_SUCCESS)
        error = record.SetString("backup", entry.backup);
    if (error == ERROR_SUCCESS)
        error = record.SetString("location", entry.location);
    if (error == ERROR_SUCCESS)
        error = record.SetString("path", entry.path);
    if (error == ERROR_SUCCESS)
        return error;
    record.Close();
    StartupRegistry::DeleteRecordKey(StartupLocations::kStartupFolderKey, KEY_ALL_ACCESS, entry.key);
    return error;
}

LONG DeleteRecord(const std::string& key)
{
    return StartupRegistry::DeleteRecordKey(StartupLocations::kStartupFolderKey, KEY_ALL_ACCESS, key);
}

// Copies of one name get "name (2)", "name (3)" ... after the first.
constexpr int kMaxCopiesOfOneName = 99;

// The copies the records name, lower-cased: a record may name a copy that
// is missing for now, whose name is still its own.
std::set<std::string> RecordedBackups()
{
    std::set<std::string> backups;
    CRegKey parent;
    if (parent.Open(StartupLocations::RecordRoot(), StartupLocations::kStartupFolderKey, KEY_READ | kView) !=
        ERROR_SUCCESS)
        return backups;
    for (const std::string& name : parent.SubkeyNames())
    {
        CRegKey record;
        if (record.Open(parent.Get(), name.c_str(), KEY_READ | kView) == ERROR_SUCCESS)
            backups.insert(AnsiText::ToLower(record.ReadString("backup")));
    }
    return backups;
}

StartupChange ChangeOfLastError(StartupChange whenMissing)
{
    return StartupChangeOf(static_cast<LONG>(::GetLastError()), whenMissing);
}
}

StartupFolders::StartupFolders()
{
    ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, m_shellLink.ReceiveVoid());
}

void StartupFolders::ScanStartupFolders(const std::string& pssFolder, std::vector<StartupFolderEntry>& entries) const
{
    for (bool common : {false, true})
    {
        std::string folder;
        if (StartupLocations::StartupFolder(common, folder))
            ScanStartupFolder(folder, common, pssFolder, entries);
    }
}

void StartupFolders::ScanStartupFolder(const std::string& folder, bool common, const std::string& pssFolder,
                                       std::vector<StartupFolderEntry>& entries) const
{
    FileSearch search(folder + "\\*.*");
    if (!search.Found())
        return;
    do
    {
        if (!IsListedFile(search.Data()))
            continue;
        const std::string name = search.Data().cFileName;
        StartupFolderEntry entry;
        entry.path = folder + "\\" + name;
        entry.item = name;
        entry.command = entry.path;
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0)
        {
            entry.item = name.substr(0, dot);
            std::string target;
            if (AnsiText::CompareNoCase(name.substr(dot), ".lnk") == 0 && ResolveShortcut(entry.path, target))
                entry.command = target;
        }
        entry.location = common ? "Common Startup" : "Startup";
        entry.backup = pssFolder + name + entry.location;
        entry.key = entry.path;
        std::replace(entry.key.begin(), entry.key.end(), '\\', '^');
        entry.common = common ? 1 : 0;
        entries.push_back(entry);
    } while (search.Next());
}

void StartupFolders::ReadRecords(std::vector<StartupFolderEntry>& entries)
{
    CRegKey parent;
    if (parent.Open(StartupLocations::RecordRoot(), StartupLocations::kStartupFolderKey, KEY_READ | kView) !=
        ERROR_SUCCESS)
        return;
    for (const std::string& name : parent.SubkeyNames())
    {
        StartupFolderEntry entry;
        if (ReadRecord(parent.Get(), name, entry))
            entries.push_back(entry);
    }
}

bool StartupFolders::ResolveShortcut(const std::string& linkPath, std::string& target) const
{
    if (!m_shellLink)
        return false;
    CComPtr<IPersistFile> file;
    if (FAILED(m_shellLink.QueryInterface(IID_IPersistFile, file)))
        return false;
    WCHAR widePath[MAX_PATH] = {};
    if (!::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH))
        return false;
    if (FAILED(file->Load(widePath, 0)))
        return false;
    char buffer[MAX_PATH] = "NoNe";
    const HRESULT status = m_shellLink->GetPath(buffer, MAX_PATH, nullptr, SLGP_UNCPRIORITY);
    if (status == S_FALSE || status == E_FAIL || FAILED(status) || !buffer[0])
        return false;
    target = buffer;
    return true;
}

bool StartupFolders::RecordExists(const std::string& key)
{
    if (key.empty())
        return false;
    const std::string path = std::string(StartupLocations::kStartupFolderKey) + "\\" + key;
    CRegKey record;
    return record.Open(StartupLocations::RecordRoot(), path.c_str(), KEY_READ | kView) == ERROR_SUCCESS;
}

std::string StartupFolders::FreeBackupPath(const std::string& wanted)
{
    const std::set<std::string> recorded = RecordedBackups();
    for (int number = 1; number <= kMaxCopiesOfOneName; ++number)
    {
        const std::string candidate = number == 1 ? wanted : AnsiText::Format("%s (%d)", wanted.c_str(), number);
        if (::GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES &&
            recorded.count(AnsiText::ToLower(candidate)) == 0)
            return candidate;
    }
    return std::string();
}

StartupChange StartupFolders::Disable(const StartupFolderEntry& entry, const std::string& pssFolder)
{
    if (entry.disabled || entry.path.empty() || !FileExists(entry.path))
        return kStartupGone;
    // A second record of the same file would take the first one's place.
    if (RecordExists(entry.key))
        return kStartupCopyKept;
    ::CreateDirectoryA(pssFolder.c_str(), nullptr);
    StartupFolderEntry disabled = entry;
    disabled.backup = FreeBackupPath(entry.backup);
    if (disabled.backup.empty())
        return kStartupFailed;
    const LONG recorded = WriteRecord(disabled);
    if (recorded != ERROR_SUCCESS)
        return StartupChangeOf(recorded);
    // Never over another copy, though none should be there.
    if (::MoveFileExA(entry.path.c_str(), disabled.backup.c_str(), MOVEFILE_COPY_ALLOWED))
        return kStartupChanged;
    const StartupChange change = ChangeOfLastError(kStartupGone);
    DeleteRecord(entry.key);
    return change;
}

StartupChange StartupFolders::Enable(const StartupFolderEntry& entry)
{
    if (!entry.disabled)
        return kStartupGone;
    const bool copyKept = !entry.backup.empty() && FileExists(entry.backup);
    if (FileExists(entry.path))
    {
        // A file of that name came back meanwhile: the record and the copy
        // stay, to be enabled or removed later. Without a copy, only the
        // record is left to go.
        if (copyKept)
            return kStartupFileBack;
        return StartupChangeOf(DeleteRecord(entry.key), kStartupGone);
    }
    if (!copyKept)
        return kStartupCopyMissing;
    const LONG deletable = CheckRecordDeletable(entry.key);
    if (deletable != ERROR_SUCCESS)
        return StartupChangeOf(deletable, kStartupGone);
    // The folder may be gone: then too the record and the copy stay.
    if (!::MoveFileExA(entry.backup.c_str(), entry.path.c_str(), MOVEFILE_COPY_ALLOWED))
        return ChangeOfLastError(kStartupPlaceGone);
    const LONG deleted = DeleteRecord(entry.key);
    if (deleted == ERROR_SUCCESS)
        return kStartupChanged;
    // The record stays, so the file goes back to its copy: never two.
    ::MoveFileExA(entry.path.c_str(), entry.backup.c_str(), MOVEFILE_COPY_ALLOWED);
    return StartupChangeOf(deleted);
}

StartupChange StartupFolders::Remove(const StartupFolderEntry& entry)
{
    if (!entry.disabled)
        return DeleteFileEvenReadOnly(entry.path) ? kStartupChanged : ChangeOfLastError(kStartupGone);
    const LONG deletable = CheckRecordDeletable(entry.key);
    if (deletable != ERROR_SUCCESS)
        return StartupChangeOf(deletable, kStartupGone);
    if (!entry.backup.empty() && FileExists(entry.backup) && !DeleteFileEvenReadOnly(entry.backup))
        return ChangeOfLastError(kStartupGone);
    return StartupChangeOf(DeleteRecord(entry.key), kStartupGone);
}

LONG StartupFolders::CheckRecordDeletable(const std::string& key)
{
    return StartupRegistry::CheckRecordDeletable(StartupLocations::kStartupFolderKey, key);
}
