#include "Engine/CRegistryDefrag.h"

#include <aclapi.h>
#include <shlobj.h>

#include <cstring>

#include "Client/Shell/CAbstractStatus.h"
#include "Framework/AnsiText.h"
#include "Framework/CFindHandle.h"
#include "Framework/CHandle.h"
#include "Framework/CLocalMemory.h"
#include "Framework/CRegKey.h"

namespace
{
const char kProductName[] = "Quillomar";
const char kWorkFolderName[] = "RegDefrag";
const char kBackupFolderName[] = "Backup";

// The program's version code of Windows 5.2, where a copy saved with an
// access list of its own is refused.
const int kOsCodeWindows52 = 5;

// The critical section spins before it waits; the high bit has its event made
// at once on the older Windows versions, so entering it cannot fail there for
// want of memory.
const DWORD kLockSpinCount = 0x80000400;

bool IsFile(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EnsureFolder(const std::string& path)
{
    ::CreateDirectoryA(path.c_str(), nullptr);
    return IsFolder(path);
}

void DeleteIfPresent(const std::string& path)
{
    if (IsFile(path))
        ::DeleteFileA(path.c_str());
}

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

// Holds a privilege of the process token enabled for one scope.
class EnabledPrivilege
{
public:
    explicit EnabledPrivilege(const char* name) : m_name(name), m_enabled(CRegistryDefrag::SetPrivilege(TRUE, name))
    {
    }
    ~EnabledPrivilege()
    {
        if (m_enabled)
            CRegistryDefrag::SetPrivilege(FALSE, m_name);
    }
    EnabledPrivilege(const EnabledPrivilege&) = delete;
    EnabledPrivilege& operator=(const EnabledPrivilege&) = delete;

    explicit operator bool() const { return m_enabled != FALSE; }

private:
    const char* m_name;
    BOOL m_enabled;
};
}

DefragRoots DefragRoots::OfThisWindows()
{
    DefragRoots roots;
    char folder[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathA(NULL, CSIDL_WINDOWS, NULL, SHGFP_TYPE_CURRENT, folder)))
        roots.windowsFolder = folder;
    return roots;
}

CRegistryDefrag::CRegistryDefrag() : CRegistryDefrag(DefragRoots::OfThisWindows())
{
}

CRegistryDefrag::CRegistryDefrag(const DefragRoots& roots) : m_lock(kLockSpinCount), m_roots(roots)
{
    // Copies left behind by an earlier run are of no use any more.
    PrepareAndEmptyWorkFolder();
}

CRegistryDefrag::~CRegistryDefrag()
{
}

void CRegistryDefrag::SetJob(CAbstractStatus* sink, BOOL wow64)
{
    m_pStatus = sink;
    m_bWow64 = wow64;
}

void CRegistryDefrag::SetRoots(const DefragRoots& roots)
{
    m_roots = roots;
}

void CRegistryDefrag::ReportStep() const
{
    if (m_pStatus)
        m_pStatus->OnProgress(1);
}

REGSAM CRegistryDefrag::Wow64Access() const
{
    // The hive list and the hives are the native ones, not the 32-bit view.
    return m_bWow64 ? KEY_WOW64_64KEY : 0;
}

void CRegistryDefrag::PrepareAndEmptyWorkFolder()
{
    if (PrepareWorkFolder(m_strWorkFolder))
    {
        PurgeFolder(m_strWorkFolder);
        PurgeFolder(m_strWorkFolder + "\\" + kBackupFolderName);
    }
}

BOOL CRegistryDefrag::PrepareWorkFolder(std::string& workFolder) const
{
    std::string base;
    if (!m_roots.windowsFolder.empty())
    {
        base = AnsiText::TrimmedRight(m_roots.windowsFolder, "\\") + "\\Temp";
        ::CreateDirectoryA(base.c_str(), nullptr);
        base += std::string("\\") + kProductName;
        ::CreateDirectoryA(base.c_str(), nullptr);
    }
    else
    {
        base = std::string("C:\\") + kProductName;
        if (!EnsureFolder(base))
            return FALSE;
    }
    workFolder = base + "\\" + kWorkFolderName;
    return EnsureFolder(workFolder) && EnsureFolder(workFolder + "\\" + kBackupFolderName);
}

void CRegistryDefrag::PurgeFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found = {};
    const CFindHandle search(::FindFirstFileA((folder + "\\*.*").c_str(), &found));
    if (!search)
        return;
    do
    {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ::DeleteFileA((folder + "\\" + found.cFileName).c_str());
    } while (::FindNextFileA(search.Get(), &found));
}

BOOL CRegistryDefrag::EnumerateHives()
{
    m_hives.clear();
    m_dwOldTotal = 0;
    m_dwNewTotal = 0;
    PrepareAndEmptyWorkFolder();

    CRegKey list;
    if (list.Open(m_roots.hiveListRoot, m_roots.hiveListKey.c_str(), KEY_READ | Wow64Access()) != ERROR_SUCCESS)
        return FALSE;

    for (DWORD index = 0;; ++index)
    {
        char name[MAX_PATH] = {};
        DWORD nameLength = MAX_PATH;
        DWORD size = 0;
        if (::RegEnumValueA(list.Get(), index, name, &nameLength, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
            return TRUE;
        if (size == 0)
            continue;
        ReportStep();

        std::vector<char> data(size + 1, '\0');
        nameLength = MAX_PATH;
        if (::RegEnumValueA(list.Get(), index, name, &nameLength, nullptr, nullptr,
                            reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
            return FALSE;
        ListHive(name, data.data());
    }
}

void CRegistryDefrag::ListHive(const std::string& valueName, std::string hiveFile)
{
    hiveFile = AnsiText::ToLower(hiveFile);
    if (!hiveFile.empty() && !IsFile(hiveFile))
    {
        DevicePathToDosPath(hiveFile);
        hiveFile = AnsiText::ToLower(hiveFile);
    }
    // Hives that are not loaded from a file (or whose file is gone) cannot
    // be compacted.
    if (!IsFile(hiveFile))
        return;

    HiveEntry hive;
    hive.hiveFile = hiveFile;
    const size_t slash = valueName.rfind('\\');
    hive.keyName = slash == std::string::npos ? valueName : valueName.substr(slash + 1);

    const std::string lowerName = AnsiText::ToLower(valueName);
    std::string copyName;
    if (!hive.keyName.empty())
    {
        if (Contains(lowerName, "\\registry\\machine"))
        {
            copyName = "LM_" + hive.keyName;
            hive.root = HKEY_LOCAL_MACHINE;
        }
        else if (Contains(lowerName, "\\registry\\user"))
        {
            copyName = "USERS_" + hive.keyName;
            hive.root = HKEY_USERS;
        }
    }
    hive.copyPath = m_strWorkFolder + "\\" + copyName;
    hive.oldFilePath = m_strWorkFolder + "\\" + kBackupFolderName + "\\" + copyName;
    if (!copyName.empty())
    {
        DeleteIfPresent(hive.copyPath);
        DeleteIfPresent(hive.oldFilePath);
    }
    hive.hiveFileSize = FileLength(hiveFile);
    m_hives.push_back(hive);
}

LONG CRegistryDefrag::OpenHiveKey(const HiveEntry& hive, CRegKey& key) const
{
    // A hive under neither root has no key that can be opened by name.
    if (!hive.root || hive.keyName.empty())
        return ERROR_FILE_NOT_FOUND;
    return key.Open(hive.root, hive.keyName.c_str(), KEY_READ | Wow64Access());
}

LONG CRegistryDefrag::SaveHiveCopy(const HiveEntry& hive, HKEY key, int osCode)
{
    ::RegFlushKey(key);
    // Windows refuses to save over an existing file.
    DeleteIfPresent(hive.copyPath);
    const LONG rc = osCode == kOsCodeWindows52 ? ::RegSaveKeyA(key, hive.copyPath.c_str(), nullptr)
                                               : SaveKeyWithFileDacl(hive.hiveFile, key, hive.copyPath);
    if (rc != ERROR_SUCCESS)
        DeleteIfPresent(hive.copyPath);
    return rc;
}

BOOL CRegistryDefrag::CompactHives(int osCode)
{
    m_dwOldTotal = 0;
    m_dwNewTotal = 0;
    m_nSaveOsCode = osCode;
    const EnabledPrivilege backup(SE_BACKUP_NAME);
    if (!backup)
        return FALSE;

    BOOL written = FALSE;
    for (const HiveEntry& hive : m_hives)
    {
        CRegKey key;
        if (OpenHiveKey(hive, key) != ERROR_SUCCESS)
            continue;
        ReportStep();
        const CCriticalSectionLock lock(m_lock);
        if (SaveHiveCopy(hive, key.Get(), osCode) == ERROR_SUCCESS)
        {
            // Only hives with a copy take part in the comparison; counting
            // the others would show a gain that the swap cannot bring.
            m_dwOldTotal += hive.hiveFileSize;
            m_dwNewTotal += FileLength(hive.copyPath);
            written = TRUE;
        }
    }
    return written;
}

BOOL CRegistryDefrag::ReplaceHives()
{
    if (!(m_dwNewTotal < m_dwOldTotal))
        return FALSE;
    const EnabledPrivilege restore(SE_RESTORE_NAME);
    if (!restore)
        return FALSE;
    const EnabledPrivilege backup(SE_BACKUP_NAME);
    if (!backup)
        return FALSE;

    BOOL registered = FALSE;
    for (const HiveEntry& hive : m_hives)
    {
        ReportStep();
        // Only the hives that the analysis could copy are swapped.
        if (!IsFile(hive.copyPath))
            continue;
        CRegKey key;
        if (OpenHiveKey(hive, key) != ERROR_SUCCESS)
            continue;
        const CCriticalSectionLock lock(m_lock);
        // The copy from the analysis misses every change made since; the
        // hive is saved again so that nothing of it is lost at the swap.
        if (SaveHiveCopy(hive, key.Get(), m_nSaveOsCode) != ERROR_SUCCESS)
            continue;
        key.Close();
        DeleteIfPresent(hive.oldFilePath);
        if (::RegReplaceKeyA(hive.root, hive.keyName.c_str(), hive.copyPath.c_str(), hive.oldFilePath.c_str()) ==
            ERROR_SUCCESS)
            registered = TRUE;
        else
            DeleteIfPresent(hive.oldFilePath);
    }
    return registered;
}

void CRegistryDefrag::DevicePathToDosPath(std::string& path)
{
    char drives[512] = {};
    const DWORD length = ::GetLogicalDriveStringsA(sizeof(drives) - 1, drives);
    if (length == 0 || length >= sizeof(drives) - 1)
        return;
    for (const char* drive = drives; *drive; drive += std::strlen(drive) + 1)
    {
        if (std::strlen(drive) < 2)
            continue;
        const std::string driveName(drive, 2);
        char target[512] = {};
        if (!::QueryDosDeviceA(driveName.c_str(), target, sizeof(target)))
            continue;
        const size_t targetLength = std::strlen(target);
        if (targetLength == 0 || targetLength >= MAX_PATH)
            continue;
        // "\device\harddiskvolume1" must not take "\device\harddiskvolume12\...".
        if (path.size() <= targetLength || path[targetLength] != '\\')
            continue;
        if (AnsiText::CompareNoCase(path.substr(0, targetLength), target) != 0)
            continue;
        path = driveName + path.substr(targetLength);
        return;
    }
}

BOOL CRegistryDefrag::SetPrivilege(BOOL enable, const char* privilege)
{
    HANDLE token = NULL;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return FALSE;
    const CHandle tokenHolder(token);

    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    if (!::LookupPrivilegeValueA(nullptr, privilege, &privileges.Privileges[0].Luid))
        return FALSE;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    if (!::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr))
        return FALSE;
    // A privilege that the token does not hold leaves ERROR_NOT_ALL_ASSIGNED.
    return ::GetLastError() == ERROR_SUCCESS;
}

LONG CRegistryDefrag::SaveKeyWithFileDacl(const std::string& hiveFile, HKEY key, const std::string& target)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR fileDescriptor = nullptr;
    const DWORD rc = ::GetNamedSecurityInfoA(hiveFile.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                             nullptr, &dacl, nullptr, &fileDescriptor);
    if (rc != ERROR_SUCCESS)
        return static_cast<LONG>(rc);
    const CLocalMemory descriptorHolder(fileDescriptor);

    SECURITY_DESCRIPTOR descriptor = {};
    ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&descriptor, TRUE, dacl, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), &descriptor, TRUE};
    return ::RegSaveKeyA(key, target.c_str(), &attributes);
}

DWORD CRegistryDefrag::FileLength(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeLow;
}

DWORD CRegistryDefrag::GainPercent(DWORD oldTotal, DWORD newTotal)
{
    if (newTotal >= oldTotal)
        return 0;
    // Below 100 bytes there is no whole percent to divide by; an integer
    // division by zero would be a structured exception, not a C++ one.
    const DWORD onePercent = oldTotal / 100;
    if (onePercent == 0)
        return 0;
    // With small totals the truncated percent can make the quotient exceed 100.
    const DWORD remaining = newTotal / onePercent;
    return remaining >= 100 ? 0 : 100 - remaining;
}
