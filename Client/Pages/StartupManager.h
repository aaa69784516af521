#pragma once
#include <string>
#include <vector>

#include "Client/Pages/StartupChange.h"
#include "Client/Pages/StartupFolderEntry.h"
#include "Client/Pages/StartupFolders.h"
#include "Client/Pages/StartupRegistryEntry.h"
#include "Client/Scan/ScanItemRecord.h"

// What the startup page lists and does, without the window: the registry
// entries as rows 0 to n - 1 and the folder entries after them, and the
// actions on one row or on all of them. The state of an item lives only in
// the registry and the file system; a reload reads it afresh.
class StartupManager
{
public:
    void Reload(const std::vector<IdStringEntry>& runKeys);
    // With the Run keys of the Windows this runs on.
    void Reload();

    int RowCount() const;
    bool IsRow(int row) const { return row >= 0 && row < RowCount(); }
    // Null for a row that is a folder entry or no row at all.
    const StartupRegistryEntry* RegistryEntryAt(int row) const;
    const StartupFolderEntry* FolderEntryAt(int row) const;
    bool IsDisabled(int row) const;

    // Each acts on the entry as the last reload saw it; false when the row
    // is no entry, is in the wrong state, or the change was not made, which
    // Refusals() then tells.
    bool Disable(int row);
    bool Enable(int row);
    bool Remove(int row);
    // Every enabled (disabled) row of the last reload, without reading in
    // between.
    void DisableAll();
    void EnableAll();

    // A change of the last action that was not made, and why.
    struct Refusal
    {
        std::string name;
        std::string location;
        const char* action = "";  // "disabled", "enabled", "removed"
        StartupChange change = kStartupChanged;
    };
    const std::vector<Refusal>& Refusals() const { return m_refusals; }
    // What the user is told of them: one line per item; "" when there are none.
    std::string RefusalText() const;

    const std::vector<StartupRegistryEntry>& RegistryEntries() const { return m_registryEntries; }
    const std::vector<StartupFolderEntry>& FolderEntries() const { return m_folderEntries; }
    const std::string& PssFolder() const { return m_pssFolder; }

private:
    enum Action
    {
        kDisable,
        kEnable,
        kRemove
    };
    bool Apply(int row, Action action);
    void Refuse(int row, Action action, StartupChange change);

    std::vector<IdStringEntry> m_runKeys;
    std::vector<StartupRegistryEntry> m_registryEntries;
    std::vector<StartupFolderEntry> m_folderEntries;
    std::string m_pssFolder;
    StartupFolders m_folders;
    std::vector<Refusal> m_refusals;
};
