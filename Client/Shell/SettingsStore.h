#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "Client/Shell/IniDocument.h"
#include "Client/Shell/SettingsRecord.h"

// Where the settings live: the INI file (portable) or values directly in one
// registry key. The program and the tests build it the same way.
struct SettingsLocation
{
    BOOL portable = TRUE;
    std::string iniPath;
    HKEY registryRoot = HKEY_LOCAL_MACHINE;
    std::string registryKey = "Software\\Quillomar";
    // Installed paths of the sibling product, read to decide on its banner.
    std::string siblingKey = "Software\\Kestrune";
};

// The key names, which are also the value names in the registry.
namespace SettingsKeys
{
extern const char* const kSection;
extern const char* const kLastScan;
extern const char* const kFirstRun;
extern const char* const kRunCount;
extern const char* const kSoftwareUpdate;
extern const char* const kRestorePoint;
extern const char* const kAutoRepair;
extern const char* const kLogScanSummary;
extern const char* const kContextMenu;
extern const char* const kAutoShutdown;
extern const char* const kAutoShutdownSystem;
extern const char* const kAutoRestartSystem;
}

// "1" for a nonzero flag, else "0".
const char* FlagToDigit(int flag);
// Trimmed at both ends; an empty text becomes "0".
std::string IniValueOrZero(const std::string& value);

// Loads the settings once at start-up and writes them back, in the INI file
// or in the registry. Nothing here shows a message: a store that cannot be
// opened leaves the record as it is, and a save says whether it was kept for
// the caller to tell.
class SettingsStore
{
public:
    SettingsStore(SettingsRecord& record, IniDocument& document, const SettingsLocation& location);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Called with true to add the Explorer menu entries, false to remove them.
    std::function<void(bool)> onContextMenu;
    // Called with the new last-scan text once it is stored.
    std::function<void(const std::string&)> onLastScanStored;

    void Load();
    // False when the settings could not be stored (the file or the key
    // keeps what it held before).
    bool Save();
    bool SaveLastScan(const std::string& text);

    BOOL IsSiblingInstalled() const { return m_siblingInstalled; }
    const SettingsLocation& Location() const { return m_location; }
    // The values the pages read, and the INI document they live in when the
    // settings are kept in a file.
    SettingsRecord& Record() { return m_record; }
    IniDocument& Document() { return m_document; }

private:
    void ProbeSibling();
    void LoadIni();
    bool SaveIni();
    bool SaveLastScanIni(const std::string& text);
    void LoadRegistry();
    bool SaveRegistry();
    bool SaveLastScanRegistry(const std::string& text);

    // INI: reads a flag by the "exactly 1" rule; anything else is written "0".
    void LoadIniFlag(const char* key, int& flag);
    void ChangeContextMenu(bool present);

    SettingsRecord& m_record;
    IniDocument& m_document;
    SettingsLocation m_location;
    BOOL m_siblingInstalled = FALSE;
};
