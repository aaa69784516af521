#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Client/Shell/IniDocument.h"
#include "Client/Shell/SettingsStore.h"

// The statistics of the last scan and the last repair, kept beside the
// settings: keys of section "SETTINGS" of the INI document (decimal text,
// the document saved at once) or REG_DWORD values directly in the settings
// key. A store that cannot be opened is neither read nor written.
class LastResults
{
public:
    // Size and total values; the per-category ones are FoundName/RepairedName.
    static const char* const kRecycleBinFound;    // "LastRecBinErrSize"
    static const char* const kTempFilesFound;     // "LastTmpFileErrSize"
    static const char* const kRecycleBinRepaired; // "LastRecBinClnSize"
    static const char* const kTempFilesRepaired;  // "LastTmpFileClnSize"
    static const char* const kTotalFound;         // "LastTotalErrCnt"
    static const char* const kTotalRepaired;      // "LastTotalClnCnt"
    static const char* const kJunkRunningTotal;   // "LastTotalJnkFileSize"

    // "Last" + the category's stem + "Err" / "Cln"; empty for a bit that
    // names no category.
    static std::string FoundName(DWORD category);
    static std::string RepairedName(DWORD category);

    // What a finished scan found: per category, and the junk sizes in KB.
    struct FoundStatistics
    {
        std::vector<std::pair<DWORD, int>> counts;
        double recycleBinKB = 0;
        double tempFilesKB = 0;
        int total = 0;
    };
    // What a finished repair removed, and the running junk total after it.
    struct RepairedStatistics
    {
        std::vector<std::pair<DWORD, int>> counts;
        unsigned total = 0;
        double recycleBinKB = 0;
        double tempFilesKB = 0;
        DWORD junkRunningTotal = 0;
    };
    // One stored value as the home page shows it: INI text as stored
    // (trimmed, "0" when empty), registry numbers as "%d" / "%u"; a size as
    // the number of its leading digits.
    struct StoredValue
    {
        std::string countText;
        std::string totalText;
        double sizeKB = 0;
    };
    typedef std::map<std::string, StoredValue> StoredValues;

    LastResults(IniDocument& document, const SettingsLocation& location);

    // Every repaired value (the junk running total aside) := 0.
    void ResetCleaned() const;
    // The found values of the twelve scanned categories and the found total
    // := 0; type libraries, sound events and junk sizes are left to the
    // scan's own write.
    void ResetErrors() const;
    // False when the numbers could not be stored.
    bool WriteFound(const FoundStatistics& found) const;
    // With the INI store the per-category counts need the section to exist;
    // the sizes and totals are written whenever the store opens.
    void WriteRepaired(const RepairedStatistics& repaired) const;
    // Every value of the table; false (out untouched) when the registry key
    // can neither be opened nor created.
    bool ReadAll(StoredValues& out) const;
    // The names ReadAll fills, in the order the home page reads them.
    static std::vector<std::string> AllNames();

private:
    bool WriteNumbers(const std::vector<std::pair<std::string, DWORD>>& values, bool createSection) const;

    IniDocument& m_document;
    SettingsLocation m_location;
};
