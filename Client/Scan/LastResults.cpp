#include "Client/Scan/LastResults.h"

#include <cstdlib>

#include "Client/Scan/ClientCategories.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"

const char* const LastResults::kRecycleBinFound = "LastRecBinErrSize";
const char* const LastResults::kTempFilesFound = "LastTmpFileErrSize";
const char* const LastResults::kRecycleBinRepaired = "LastRecBinClnSize";
const char* const LastResults::kTempFilesRepaired = "LastTmpFileClnSize";
const char* const LastResults::kTotalFound = "LastTotalErrCnt";
const char* const LastResults::kTotalRepaired = "LastTotalClnCnt";
const char* const LastResults::kJunkRunningTotal = "LastTotalJnkFileSize";

namespace
{
std::string StatisticName(DWORD category, const char* suffix)
{
    const ScanCategoryInfo* info = FindScanCategory(category);
    return info ? std::string("Last") + info->stem + suffix : std::string();
}

// Whole kilobytes, the fraction cut off; a negative size is stored as 0.
DWORD WholeKB(double kb)
{
    return kb > 0 ? static_cast<DWORD>(kb) : 0;
}

// The leading digits of an INI text as a signed number; 0 without any.
double LeadingNumber(const std::string& text)
{
    return static_cast<double>(std::strtoll(text.c_str(), nullptr, 10));
}
}

std::string LastResults::FoundName(DWORD category)
{
    return StatisticName(category, "Err");
}

std::string LastResults::RepairedName(DWORD category)
{
    return StatisticName(category, "Cln");
}

LastResults::LastResults(IniDocument& document, const SettingsLocation& location)
    : m_document(document), m_location(location)
{
}

bool LastResults::WriteNumbers(const std::vector<std::pair<std::string, DWORD>>& values, bool createSection) const
{
    if (m_location.portable)
    {
        if (!createSection && !m_document.FindSection(SettingsKeys::kSection))
            return true;
        for (const auto& value : values)
            m_document.SetValue(SettingsKeys::kSection, value.first, AnsiText::Format("%lu", value.second));
        return m_document.Save(m_location.iniPath) != FALSE;
    }
    CRegKey key;
    if (key.Create(m_location.registryRoot, m_location.registryKey.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return false;
    bool written = true;
    for (const auto& value : values)
        written = key.SetDword(value.first.c_str(), value.second) == ERROR_SUCCESS && written;
    return written;
}

void LastResults::ResetCleaned() const
{
    std::vector<std::pair<std::string, DWORD>> values;
    for (const ClientCategory& category : kClientCategories)
        values.emplace_back(RepairedName(category.bit), 0);
    values.emplace_back(kRecycleBinRepaired, 0);
    values.emplace_back(kTempFilesRepaired, 0);
    values.emplace_back(kTotalRepaired, 0);
    WriteNumbers(values, true);
}

void LastResults::ResetErrors() const
{
    std::vector<std::pair<std::string, DWORD>> values;
    for (const ClientCategory& category : kClientCategories)
        if (category.IsScanned())
            values.emplace_back(FoundName(category.bit), 0);
    values.emplace_back(kTotalFound, 0);
    WriteNumbers(values, true);
}

bool LastResults::WriteFound(const FoundStatistics& found) const
{
    std::vector<std::pair<std::string, DWORD>> values;
    for (const auto& count : found.counts)
    {
        const std::string name = FoundName(count.first);
        if (!name.empty())
            values.emplace_back(name, static_cast<DWORD>(count.second));
    }
    values.emplace_back(kRecycleBinFound, WholeKB(found.recycleBinKB));
    values.emplace_back(kTempFilesFound, WholeKB(found.tempFilesKB));
    values.emplace_back(kTotalFound, static_cast<DWORD>(found.total));
    return WriteNumbers(values, true);
}

void LastResults::WriteRepaired(const RepairedStatistics& repaired) const
{
    std::vector<std::pair<std::string, DWORD>> values;
    for (const auto& count : repaired.counts)
    {
        const std::string name = RepairedName(count.first);
        if (!name.empty())
            values.emplace_back(name, static_cast<DWORD>(count.second));
    }
    values.emplace_back(kRecycleBinRepaired, WholeKB(repaired.recycleBinKB));
    values.emplace_back(kTempFilesRepaired, WholeKB(repaired.tempFilesKB));
    values.emplace_back(kTotalRepaired, repaired.total);
    values.emplace_back(kJunkRunningTotal, repaired.junkRunningTotal);
    WriteNumbers(values, false);
}

std::vector<std::string> LastResults::AllNames()
{
    std::vector<std::string> names;
    for (const ClientCategory& category : kClientCategories)
    {
        names.push_back(FoundName(category.bit));
        names.push_back(RepairedName(category.bit));
    }
    for (const char* name : {kRecycleBinFound, kRecycleBinRepaired, kTempFilesFound, kTempFilesRepaired, kTotalFound,
                             kTotalRepaired, kJunkRunningTotal})
        names.push_back(name);
    return names;
}

bool LastResults::ReadAll(StoredValues& out) const
{
    const std::vector<std::string> names = AllNames();
    if (m_location.portable)
    {
        for (const std::string& name : names)
        {
            StoredValue& value = out[name];
            value.countText = IniValueOrZero(m_document.GetValue(SettingsKeys::kSection, name));
            value.totalText = value.countText;
            value.sizeKB = LeadingNumber(value.countText);
        }
        return true;
    }
    CRegKey key;
    if (key.Create(m_location.registryRoot, m_location.registryKey.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return false;
    for (const std::string& name : names)
    {
        DWORD number = 0;
        key.ReadDword(name.c_str(), number);
        StoredValue& value = out[name];
        value.countText = AnsiText::Format("%d", static_cast<int>(number));
        value.totalText = AnsiText::Format("%lu", number);
        value.sizeKB = static_cast<double>(number);
    }
    return true;
}
