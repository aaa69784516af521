#include "Client/Pages/StartupManager.h"

#include "Client/Pages/StartupLocations.h"
#include "Client/Pages/StartupRegistry.h"
#include "Framework/AnsiText.h"

namespace
{
const char* ReasonText(StartupChange change)
{
    switch (change)
    {
    case kStartupDenied: return "Windows refused the change; it may need an administrator";
    case kStartupGone: return "it is not there any more";
    case kStartupValueBack:
        return "its Run key holds a value of that name again; remove the one you do not want, then try again";
    case kStartupFileBack:
        return "a file of that name is in its Startup folder again; remove the one you do not want, then try again";
    case kStartupCopyKept:
        return "a disabled copy of it is kept already; remove the one you do not want, then try again";
    case kStartupCopyMissing: return "its disabled copy is missing; Remove clears the item";
    case kStartupPlaceGone: return "the Run key or Startup folder it belongs in is gone";
    case kStartupUnkeptType: return "its value is not text, which a disabled item cannot keep";
    default: return "Windows could not make the change";
    }
}

// A message box stays on the screen: the lines beyond these are counted,
// and a name longer than this is cut.
constexpr size_t kMaxRefusalLines = 15;
constexpr size_t kMaxShownName = 80;

std::string ShownName(const std::string& name)
{
    return name.size() > kMaxShownName ? name.substr(0, kMaxShownName) + "..." : name;
}
}

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
    m_refusals.clear();
    return Apply(row, kDisable);
}

bool StartupManager::Enable(int row)
{
    m_refusals.clear();
    return Apply(row, kEnable);
}

bool StartupManager::Remove(int row)
{
    m_refusals.clear();
    return Apply(row, kRemove);
}

void StartupManager::DisableAll()
{
    m_refusals.clear();
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row)
        if (!IsDisabled(row))
            Apply(row, kDisable);
}

void StartupManager::EnableAll()
{
    m_refusals.clear();
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row)
        if (IsDisabled(row))
            Apply(row, kEnable);
}

bool StartupManager::Apply(int row, Action action)
{
    StartupChange change = kStartupGone;
    if (const StartupRegistryEntry* entry = RegistryEntryAt(row))
    {
        change = action == kDisable  ? StartupRegistry::Disable(*entry)
                 : action == kEnable ? StartupRegistry::Enable(*entry)
                                     : StartupRegistry::Remove(*entry);
    }
    else if (const StartupFolderEntry* entry = FolderEntryAt(row))
    {
        change = action == kDisable  ? StartupFolders::Disable(*entry, m_pssFolder)
                 : action == kEnable ? StartupFolders::Enable(*entry)
                                     : StartupFolders::Remove(*entry);
    }
    else
    {
        return false;
    }
    if (change != kStartupChanged)
        Refuse(row, action, change);
    return change == kStartupChanged;
}

void StartupManager::Refuse(int row, Action action, StartupChange change)
{
    static const char* const kActions[] = {"disabled", "enabled", "removed"};
    Refusal refusal;
    if (const StartupRegistryEntry* entry = RegistryEntryAt(row))
    {
        refusal.name = entry->valueName;
        refusal.location = entry->isHklm ? "HKLM" : "HKCU";
    }
    else if (const StartupFolderEntry* entry = FolderEntryAt(row))
    {
        refusal.name = entry->item;
        refusal.location = entry->common ? "Common Startup" : "Startup";
    }
    refusal.action = kActions[action];
    refusal.change = change;
    m_refusals.push_back(refusal);
}

std::string StartupManager::RefusalText() const
{
    std::string text;
    for (size_t i = 0; i < m_refusals.size() && i < kMaxRefusalLines; ++i)
    {
        const Refusal& refusal = m_refusals[i];
        if (!text.empty())
            text += "\n";
        text += AnsiText::Format("\"%s\" (%s) could not be %s: %s.", ShownName(refusal.name).c_str(),
                                 refusal.location.c_str(), refusal.action, ReasonText(refusal.change));
    }
    if (m_refusals.size() > kMaxRefusalLines)
        text += AnsiText::Format("\n... and %u more.", static_cast<unsigned>(m_refusals.size() - kMaxRefusalLines));
    return text;
}
