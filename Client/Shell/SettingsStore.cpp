#include "Client/Shell/SettingsStore.h"

#include <shlwapi.h>

#include <cstdlib>

#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"

namespace SettingsKeys
{
const char* const kSection = "SETTINGS";
const char* const kLastScan = "LastScan";
const char* const kFirstRun = "FirstRun";
const char* const kRunCount = "RunCount";
const char* const kSoftwareUpdate = "SoftwareUpdate";
const char* const kRestorePoint = "RestorePoint";
const char* const kAutoRepair = "AutoRepair";
const char* const kLogScanSummary = "LogScanSummary";
const char* const kContextMenu = "ContextMenu";
const char* const kAutoShutdown = "AutoShutdown";
const char* const kAutoShutdownSystem = "AutoShutdownSystem";
const char* const kAutoRestartSystem = "AutoRestartSystem";
}

using namespace SettingsKeys;

namespace
{
const char* const kNever = "Never";
const char* const kWhiteSpace = " \t\r\n";
// Counts at or above this start again at 1; "-6" read back lands here.
const DWORD kRunCountLimit = 0xFFFFFFFAUL;

DWORD NextRunCount(DWORD stored)
{
    return (stored > 0 && stored < kRunCountLimit) ? stored + 1 : 1;
}
}

const char* FlagToDigit(int flag)
{
    return flag ? "1" : "0";
}

std::string IniValueOrZero(const std::string& value)
{
    const std::string trimmed = AnsiText::Trimmed(value, kWhiteSpace);
    return trimmed.empty() ? std::string("0") : trimmed;
}

SettingsStore::SettingsStore(SettingsRecord& record, IniDocument& document, const SettingsLocation& location)
    : m_record(record), m_document(document), m_location(location)
{
}

void SettingsStore::Load()
{
    ProbeSibling();
    if (m_location.portable)
        LoadIni();
    else
        LoadRegistry();
}

bool SettingsStore::Save()
{
    return m_location.portable ? SaveIni() : SaveRegistry();
}

bool SettingsStore::SaveLastScan(const std::string& text)
{
    return m_location.portable ? SaveLastScanIni(text) : SaveLastScanRegistry(text);
}

void SettingsStore::ProbeSibling()
{
    CRegKey key;
    if (key.Open(m_location.registryRoot, m_location.siblingKey.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    for (const char* name : {"AppPath1", "AppPath2", "AppPath3"})
    {
        std::string path;
        if (key.ReadShortString(name, path) && !path.empty() && ::PathFileExistsA(path.c_str()))
            m_siblingInstalled = TRUE;
    }
}

void SettingsStore::ChangeContextMenu(bool present)
{
    if (onContextMenu)
        onContextMenu(present);
}

// ---- INI file ----

void SettingsStore::LoadIniFlag(const char* key, int& flag)
{
    flag = m_document.GetValue(kSection, key) == "1" ? 1 : 0;
    if (!flag)
        m_document.SetValue(kSection, key, "0");
}

void SettingsStore::LoadIni()
{
    m_document.Load(m_location.iniPath, false);

    LoadIniFlag(kLogScanSummary, m_record.logScanSummary);

    const DWORD stored = static_cast<DWORD>(std::atol(IniValueOrZero(m_document.GetValue(kSection, kRunCount)).c_str()));
    m_record.runCount = NextRunCount(stored);
    m_document.SetValue(kSection, kRunCount, AnsiText::Format("%d", static_cast<int>(m_record.runCount)));

    LoadIniFlag(kRestorePoint, m_record.restorePoint);
    LoadIniFlag(kAutoRepair, m_record.autoRepair);
    LoadIniFlag(kSoftwareUpdate, m_record.softwareUpdate);
    // Read like every other flag: a stored "1" must survive the next save.
    LoadIniFlag(kContextMenu, m_record.contextMenu);
    LoadIniFlag(kAutoShutdown, m_record.autoShutdown);
    LoadIniFlag(kAutoShutdownSystem, m_record.autoShutdownSystem);
    LoadIniFlag(kAutoRestartSystem, m_record.autoRestartSystem);

    IniSection* section = m_document.GetOrCreateSection(kSection);
    if (section->FindKey(kFirstRun))
        m_record.firstRun = 0;
    if (const IniKey* lastScan = section->FindKey(kLastScan))
    {
        const std::string text = AnsiText::Trimmed(lastScan->GetValue(), kWhiteSpace);
        m_record.lastScan = text.empty() ? kNever : text;
    }
    else
    {
        section->SetKeyValue(kLastScan, kNever);
        m_record.lastScan = kNever;
    }
    section->SetKeyValue(kFirstRun, "0");

    m_document.Save(m_location.iniPath);
}

bool SettingsStore::SaveIni()
{
    m_document.SetValue(kSection, kLogScanSummary, FlagToDigit(m_record.logScanSummary));
    m_document.SetValue(kSection, kRestorePoint, FlagToDigit(m_record.restorePoint));
    m_document.SetValue(kSection, kAutoRepair, FlagToDigit(m_record.autoRepair));
    m_document.SetValue(kSection, kSoftwareUpdate, FlagToDigit(m_record.softwareUpdate));
    m_document.SetValue(kSection, kContextMenu, FlagToDigit(m_record.contextMenu));
    ChangeContextMenu(m_record.contextMenu == 1);
    m_document.SetValue(kSection, kAutoShutdown, FlagToDigit(m_record.autoShutdown));
    m_document.SetValue(kSection, kAutoShutdownSystem, FlagToDigit(m_record.autoShutdownSystem));
    m_document.SetValue(kSection, kAutoRestartSystem, FlagToDigit(m_record.autoRestartSystem));
    return m_document.Save(m_location.iniPath) != FALSE;
}

bool SettingsStore::SaveLastScanIni(const std::string& text)
{
    const std::string trimmed = AnsiText::Trimmed(text, kWhiteSpace);
    if (trimmed.empty())
        return true;
    m_document.SetValue(kSection, kLastScan, trimmed);
    m_record.lastScan = trimmed;
    if (onLastScanStored)
        onLastScanStored(trimmed);
    return m_document.Save(m_location.iniPath) != FALSE;
}

// ---- Registry ----

namespace
{
// A missing value is written as 0; a present one is on only when it is 1.
void LoadRegistryFlag(CRegKey& key, const char* name, int& flag)
{
    DWORD value = 0;
    if (!key.ReadDword(name, value))
        key.SetDword(name, 0);
    else
        flag = value == 1 ? 1 : 0;
}
}

void SettingsStore::LoadRegistry()
{
    CRegKey key;
    if (key.Create(m_location.registryRoot, m_location.registryKey.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;

    LoadRegistryFlag(key, kLogScanSummary, m_record.logScanSummary);

    DWORD value = 0;
    if (key.ReadDword(kFirstRun, value))
    {
        m_record.firstRun = 0;
        if (value != 0)
            key.SetDword(kFirstRun, 0);
    }
    else
    {
        key.SetDword(kFirstRun, 0);
    }

    m_record.runCount = key.ReadDword(kRunCount, value) ? NextRunCount(value) : 1;
    key.SetDword(kRunCount, m_record.runCount);

    LoadRegistryFlag(key, kRestorePoint, m_record.restorePoint);
    LoadRegistryFlag(key, kAutoRepair, m_record.autoRepair);
    LoadRegistryFlag(key, kSoftwareUpdate, m_record.softwareUpdate);

    if (!key.ReadDword(kContextMenu, value))
    {
        key.SetDword(kContextMenu, 0);
    }
    else if (value == 1)
    {
        m_record.contextMenu = 1;
        ChangeContextMenu(true);
    }
    else
    {
        m_record.contextMenu = 0;
        ChangeContextMenu(false);
    }

    std::string lastScan;
    if (key.ReadShortString(kLastScan, lastScan))
    {
        lastScan = AnsiText::Trimmed(lastScan, kWhiteSpace);
        m_record.lastScan = lastScan.empty() ? kNever : lastScan;
    }
    else if (key.SetStringUnterminated(kLastScan, kNever) == ERROR_SUCCESS)
    {
        m_record.lastScan = kNever;
    }

    LoadRegistryFlag(key, kAutoShutdown, m_record.autoShutdown);
    LoadRegistryFlag(key, kAutoShutdownSystem, m_record.autoShutdownSystem);
    LoadRegistryFlag(key, kAutoRestartSystem, m_record.autoRestartSystem);
}

bool SettingsStore::SaveRegistry()
{
    CRegKey key;
    if (key.Create(m_location.registryRoot, m_location.registryKey.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return false;
    bool saved = true;
    const auto write = [&](const char* name, int flag) {
        const bool written = key.SetDword(name, flag ? 1 : 0) == ERROR_SUCCESS;
        saved = saved && written;
        return written;
    };
    write(kLogScanSummary, m_record.logScanSummary);
    write(kFirstRun, 0);
    write(kRestorePoint, m_record.restorePoint);
    write(kAutoRepair, m_record.autoRepair);
    write(kSoftwareUpdate, m_record.softwareUpdate);
    if (write(kContextMenu, m_record.contextMenu))
        ChangeContextMenu(m_record.contextMenu == 1);
    write(kAutoShutdown, m_record.autoShutdown);
    write(kAutoShutdownSystem, m_record.autoShutdownSystem);
    write(kAutoRestartSystem, m_record.autoRestartSystem);
    return saved;
}

bool SettingsStore::SaveLastScanRegistry(const std::string& text)
{
    const std::string trimmed = AnsiText::Trimmed(text, kWhiteSpace);
    if (trimmed.empty())
        return true;
    CRegKey key;
    if (key.Create(m_location.registryRoot, m_location.registryKey.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return false;
    if (key.SetStringUnterminated(kLastScan, trimmed) != ERROR_SUCCESS)
        return false;
    m_record.lastScan = trimmed;
    if (onLastScanStored)
        onLastScanStored(trimmed);
    return true;
}
