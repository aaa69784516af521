#include "Client/Pages/StartupManager.h"

#include "Client/Pages/StartupLocations.h"
#include "Client/Pages/StartupRegistry.h"

void StartupManager::Reload(const std::vector<IdStringEntry>& runKeys)
{
    m_runKeys = runKeys;
    m_registryEntries.clear();
    m_folderEntries.clear();
    m_pssFolder = StartupLocations::PssFolder();
    StartupRegistry::ReadRunValues(m_runKeys, m_registryEntries);
    StartupRegistry::ReadRecords(m_registryEntries);
    m_folders.ScanStartupFolders(m_pssFolder, m_folderEntries);
    StartupFolders::ReadRecords(m_folderEntries);
}

void StartupManager::Reload()
{
    Reload(StartupLocations::CurrentRunKeys());
}

int StartupManager::RowCount() const
{
    return static_cast<int>(m_registryEntries.size() + m_folderEntries.size());
}

const StartupRegistryEntry* StartupManager::RegistryEntryAt(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_registryEntries.size()))
        return nullptr;
    return &m_registryEntries[row];
}

const StartupFolderEntry* StartupManager::FolderEntryAt(int row) const
{
    const int index = row - static_cast<int>(m_registryEntries.size());
    if (row < 0 || index < 0 || index >= static_cast<int>(m_folderEntries.size()))
        return nullptr;
    return &m_folderEntries[index];
}

bool StartupManager::IsDisabled(int row) const
{
    if (const StartupRegistryEntry* entry = RegistryEntryAt(row))
        return entry->disabled != 0;
    if (const StartupFolderEntry* entry = FolderEntryAt(row))
        return entry->disabled != 0;
    return false;
}

bool StartupManager::Disable(int row)
{
    if (const StartupRegistryEntry* entry = RegistryEntryAt(row))
        return StartupRegistry::Disable(*entry);
    if (const StartupFolderEntry* entry = FolderEntryAt(row))
        return StartupFolders::Disable(*entry, m_pssFolder);
    return false;
}

bool StartupManager::Enable(int row)
{
    if (const StartupRegistryEntry* entry = RegistryEntryAt(row))
        return StartupRegistry::Enable(*entry);
    if (const StartupFolderEntry* entry = FolderEntryAt(row))
        return StartupFolders::Enable(*entry);
    return false;
}

bool StartupManager::Remove(int row)
{
    if (const StartupRegistryEntry* entry = RegistryEntryAt(row))
        return StartupRegistry::Remove(*entry);
    if (const StartupFolderEntry* entry = FolderEntryAt(row))
        return StartupFolders::Remove(*entry);
    return false;
}

void StartupManager::DisableAll()
{
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row)
        if (!IsDisabled(row))
            Disable(row);
}

void StartupManager::EnableAll()
{
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row)
        if (IsDisabled(row))
            Enable(row);
}
