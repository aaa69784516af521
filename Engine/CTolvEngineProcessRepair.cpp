// Repair, backup and restore jobs.
#include "Engine/CTolvEngineProcess.h"

#include <shellapi.h>

#include <memory>
#include <new>

#include "Client/Scan/CAbstractScanItemsInfo.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Engine/BackupFolder.h"
#include "Engine/CRegistryManager.h"
#include "Engine/DeleteRegistryValue.h"
#include "Engine/ScanCategory.h"
#include "Framework/CFindHandle.h"

namespace
{
// The pauses of a repair around its backup.
const DWORD kRepairPauseMs = 1000;

// A finding is repaired by the first of its bits in this order.
const DWORD kRepairBitOrder[] = {0x400,   0x800,    0x1000,   0x2000,   0x4000,   0x8000,
                                 0x10000, 0x20000,  0x40000,  0x80000,  0x100000, 0x200000,
                                 0x400000, 0x800000, 0x1,      0x2,      0x4,      0x8};

// SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND
const DWORD kEmptyRecycleBinQuietly = 7;

RepairAction RepairActionOf(DWORD category)
{
    for (const DWORD bit : kRepairBitOrder)
    {
        if (!(category & bit))
            continue;
        if (bit == kRepairKeyBitA || bit == kRepairKeyBitB)
            return kRepairDeleteKey;
        const ScanCategoryInfo* info = FindScanCategory(bit);
        return info ? info->repair : kRepairNone;
    }
    return kRepairNone;
}

bool FileExists(const std::string& path)
{
    WIN32_FIND_DATAA found;
    return CFindHandle(::FindFirstFileA(path.c_str(), &found)).IsValid();
}

// A backup is written under its name with this added and takes its own name
// only once it is whole, so that a backup cut off (a cancel, a full disk, the
// program ended while it ran) is never listed or restored as a backup.
const char kUnfinishedSuffix[] = ".part";

// What a backup that never ended left behind. One still being written by
// another instance is open without delete sharing, and stays.
void RemoveUnfinishedBackups(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    const CFindHandle search(::FindFirstFileA((folder + "\\*.rbk" + kUnfinishedSuffix).c_str(), &found));
    if (!search)
        return;
    do
    {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ::DeleteFileA((folder + "\\" + found.cFileName).c_str());
    } while (::FindNextFileA(search.Get(), &found));
}
}

void CTolvEngineProcess::PublishRegistryManager(CRegistryManager* manager)
{
    {
        CCriticalSectionLock lock(m_registryManagerLock);
        m_pRegistryManager = manager;
    }
    if (manager && !m_bRunning)
        manager->Cancel();
}

int CTolvEngineProcess::WithRegistryManager(const std::function<int(CRegistryManager&)>& body, int noManager)
{
    std::unique_ptr<CRegistryManager> manager(new (std::nothrow) CRegistryManager(m_pStatus));
    if (!manager)
        return noManager;
    PublishRegistryManager(manager.get());
    int result = 0;
    try
    {
        result = body(*manager);
    }
    catch (...)
    {
        result = 0;
    }
    PublishRegistryManager(nullptr);
    return result;
}

int CTolvEngineProcess::BackupToFile(int full)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::string name = BackupFolder::FileName(now, full != 0);
    if (!BackupFolder::Create())
        return 0;
    const std::string folder = BackupFolder::MachineFolder();
    const std::string path = folder + "\\" + name;
    const std::string unfinished = path + kUnfinishedSuffix;
    RemoveUnfinishedBackups(folder);

    // A body that throws leaves it set.
    bool failed = true;
    const int written = WithRegistryManager(
        [&](CRegistryManager& manager) {
            const int result = full ? manager.BackupRegistry(unfinished) : manager.BackupKeys(m_pItems, unfinished);
            // Only a cancel stops a backup without a failure of its own.
            failed = !result && (manager.HasWriteFailed() || m_bRunning);
            return result;
        },
        -1);
    if (written == 1 &&
        ::MoveFileExA(unfinished.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 1;
    // Neither a cancelled backup nor one that could not be written whole is
    // left to be listed and restored.
    ::DeleteFileA(unfinished.c_str());
    if (written == -1)
        return -1;
    return written == 1 || failed ? 0 : 1;
}

CTolvEngineProcess::RepairOutcome CTolvEngineProcess::RepairItem(const std::string& text, DWORD category,
                                                                 CRegistryManager& keys, bool& tempFilesDeleted,
                                                                 bool& binEmptied)
{
    bool done = false;
    switch (RepairActionOf(category))
    {
    case kRepairDeleteKey:
        done = keys.DeleteKeyPath(text) != 0;
        break;
    case kRepairDeleteValue:
        done = DeleteRegistryValue(text) != 0;
        break;
    case kRepairDeleteValueElseKey:
        // The key delete is for key findings: with a value's text it would
        // name no key, and "not there" would count as deleted.
        done = NamesRegistryValue(text) ? DeleteRegistryValue(text) != 0 : keys.DeleteKeyPath(text) != 0;
        break;
    case kRepairDeleteFile:
        done = ::DeleteFileA(text.c_str()) != FALSE;
        break;
    case kRepairEmptyRecycleBin:
        if (m_pItems->SkipRecycleBin())
            return kItemSkipped;
        done = ::SHEmptyRecycleBinA(NULL, NULL, kEmptyRecycleBinQuietly) == S_OK;
        if (done)
            binEmptied = true;
        break;
    case kRepairDeleteTempFile:
        if (m_pItems->SkipTempFiles())
            return kItemSkipped;
        tempFilesDeleted = true;
        done = ::DeleteFileA(text.c_str()) != FALSE;
        break;
    case kRepairNone:
        return kItemSkipped;
    }
    return done ? kItemRepaired : kItemNotRepaired;
}

int CTolvEngineProcess::RepairAll()
{
    m_nRepairedItems = 0;
    m_nUnrepairedItems = 0;
    CAbstractScanItemsInfo* const items = m_pItems;
    if (!items)
        return kRepairDone;
    try
    {
        if (items->MoveFirst())
        {
            ::Sleep(kRepairPauseMs);
            m_pStatus->SetStatusText("Creating backup", "Scanning");
            ::Sleep(kRepairPauseMs);
            // Nothing is deleted that could not be saved first; the results
            // page tells the user from this result.
            if (BackupToFile(0) != 1)
                return kRepairRefused;
            m_pStatus->SetStatusText("Repairing corruption(s)", "Scanning");
            ::Sleep(kRepairPauseMs);
        }

        bool tempFilesDeleted = false;
        bool binEmptied = false;
        CRegistryManager keys(m_pStatus);
        for (int more = items->MoveFirst(); more && m_bRunning; more = items->MoveNext())
        {
            if (items->IsCurrentItemExcluded())
                continue;
            const char* text = items->GetCurrentText();
            const RepairOutcome outcome =
                RepairItem(text ? text : "", items->GetCurrentCategory(), keys, tempFilesDeleted, binEmptied);
            if (outcome == kItemRepaired)
                ++m_nRepairedItems;
            else if (outcome == kItemNotRepaired)
                ++m_nUnrepairedItems;
        }
        if (tempFilesDeleted)
            m_pStatus->OnItemFound("-1", kScanTempFiles, static_cast<int>(m_dTempFilesKB), 0);
        if (binEmptied)
            m_pStatus->OnItemFound("-1", kScanRecycleBin, static_cast<int>(m_dRecycleBinKB), 0);
    }
    catch (...)
    {
        // Out of memory, or a store that failed: what was deleted so far
        // stays deleted (its backup was written first), the rest is left.
        return kRepairIncomplete;
    }
    return kRepairDone;
}

int CTolvEngineProcess::RestoreBackup()
{
    if (!FileExists(m_strRestoreFile))
        return -1;
    return WithRegistryManager([this](CRegistryManager& manager) { return manager.RestoreRegistry(m_strRestoreFile); },
                               -1);
}

int CTolvEngineProcess::RestoreBackupNow(CAbstractStatus* sink, const char* backupFile)
{
    std::unique_ptr<CRegistryManager> manager(new (std::nothrow) CRegistryManager(sink));
    if (!manager)
        return 0;
    try
    {
        return manager->RestoreRegistry(backupFile ? backupFile : "");
    }
    catch (...)
    {
        return 0;
    }
}
