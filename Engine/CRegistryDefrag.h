#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Framework/CCriticalSection.h"

class CAbstractStatus;
class CRegKey;

// One loaded hive: its key, its file and where its compacted copy goes.
struct HiveEntry
{
    std::string keyName;     // the key under its root, in the case the hive list has
    std::string hiveFile;    // drive-letter form, lower case
    std::string oldFilePath; // where Windows moves the current hive file at the swap
    std::string copyPath;    // the compacted copy
    HKEY root = NULL;        // HKEY_LOCAL_MACHINE, HKEY_USERS, or NULL when neither
    DWORD hiveFileSize = 0;  // size of the hive file when the list was made
};

// Where the compactor finds the hive list and the Windows folder. The
// program takes them from the Windows it runs on; tests plant their own.
struct DefragRoots
{
    HKEY hiveListRoot = HKEY_LOCAL_MACHINE;
    std::string hiveListKey = "SYSTEM\\CurrentControlSet\\Control\\hivelist";
    // Empty when the Windows folder cannot be found.
    std::string windowsFolder;

    static DefragRoots OfThisWindows();
};

// Analyses and compacts the registry hives: saves every loaded hive to a
// compact copy in a work folder, measures the gain, and registers the copies
// with Windows so that it swaps them in at the next start.
class CRegistryDefrag
{
public:
    CRegistryDefrag();
    explicit CRegistryDefrag(const DefragRoots& roots);
    virtual ~CRegistryDefrag();

    CRegistryDefrag(const CRegistryDefrag&) = delete;
    CRegistryDefrag& operator=(const CRegistryDefrag&) = delete;

    // The sink and the WOW64 flag of the job about to use the compactor.
    void SetJob(CAbstractStatus* sink, BOOL wow64);
    void SetRoots(const DefragRoots& roots);

    // Rebuilds the hive list (and empties the work folder); TRUE when the
    // list was read to its end.
    BOOL EnumerateHives();
    // Writes a compacted copy of each listed hive; TRUE when at least one was written.
    BOOL CompactHives(int osCode);
    // Registers a fresh copy of each hive as its replacement; TRUE when at
    // least one replacement was registered.
    BOOL ReplaceHives();

    // TRUE when the work folder and its "Backup" subfolder exist afterwards.
    BOOL PrepareWorkFolder(std::string& workFolder) const;
    // Deletes every file directly in the folder; subfolders stay.
    static void PurgeFolder(const std::string& folder);
    // Rewrites an NT device prefix ("\device\harddiskvolume1\...") to its drive letter.
    static void DevicePathToDosPath(std::string& path);
    static BOOL SetPrivilege(BOOL enable, const char* privilege);
    // Saves the key so that the copy carries the hive file's access list:
    // 0 or a Windows error code.
    static LONG SaveKeyWithFileDacl(const std::string& hiveFile, HKEY key, const std::string& target);
    // Size in bytes (low 32 bits); 0 when the file is not found.
    static DWORD FileLength(const std::string& path);
    // How much smaller in percent the copies are; 0 when they are not smaller.
    static DWORD GainPercent(DWORD oldTotal, DWORD newTotal);

    const std::vector<HiveEntry>& Hives() const { return m_hives; }
    DWORD OldTotal() const { return m_dwOldTotal; }
    DWORD NewTotal() const { return m_dwNewTotal; }
    const std::string& WorkFolder() const { return m_strWorkFolder; }

private:
    void ReportStep() const;
    void PrepareAndEmptyWorkFolder();
    void ListHive(const std::string& valueName, std::string hiveFile);
    LONG OpenHiveKey(const HiveEntry& hive, CRegKey& key) const;
    // Flushes the key and writes its copy afresh; no copy is left on failure.
    static LONG SaveHiveCopy(const HiveEntry& hive, HKEY key, int osCode);
    REGSAM Wow64Access() const;

    CAbstractStatus* m_pStatus = nullptr;
    BOOL m_bWow64 = FALSE;
    CCriticalSection m_lock;
    std::vector<HiveEntry> m_hives;
    DWORD m_dwOldTotal = 0;
    DWORD m_dwNewTotal = 0;

    DefragRoots m_roots;
    std::string m_strWorkFolder;
    // The copies are saved again at the swap, the way the analysis saved them.
    int m_nSaveOsCode = 0;
};
