#include "Client/Scan/CScanItemsInfo.h"

#include <algorithm>
#include <cstdlib>

#include "Framework/AnsiText.h"
#include "Framework/CHandle.h"
#include "Framework/ModulePath.h"

namespace
{
const char kIgnoreListFileName[] = "IL";
const char kScanLogFolderName[] = "Scan Logs";
const char kRecordEnd[] = ";\r\n";
const char kFieldSeparator = '^';
const char kEntrySeparator = ';';

const char kDetectedBanner[] = "========================Items Detected During Scan=======================\r\n";
const char kSpywareBanner[] = "======================= Spyware Items Detected===========================\r\n";
const char kIgnoredBanner[] = "======================= Items Ignored During Repair=======================\r\n";

// White space around an entry of the ignore list. A zero byte counts as well:
// a file that was cut short by a crash is often padded with them.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\0';
}

bool HasTextFrom(const std::string& text, size_t from)
{
    for (size_t i = from; i < text.size(); ++i)
        if (!IsBlank(text[i]))
            return true;
    return false;
}

// Removes every occurrence of a piece in one pass from the left.
std::string RemoveAll(const std::string& text, const std::string& piece)
{
    if (piece.empty())
        return text;
    std::string result;
    result.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, from))
    {
        result.append(text, from, at - from);
        from = at + piece.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

std::string FormatRecord(const std::string& key, int number)
{
    return key + kFieldSeparator + AnsiText::Format("%d", number) + kRecordEnd;
}

// Files are read and written as bytes: no line-end translation, and no byte
// (0x1A, a zero) ends the text early.
bool ReadAll(HANDLE file, std::string& text)
{
    text.clear();
    char buffer[65536];
    for (;;)
    {
        DWORD read = 0;
        if (!::ReadFile(file, buffer, sizeof(buffer), &read, nullptr))
            return false;
        if (read == 0)
            return true;
        text.append(buffer, read);
    }
}

bool WriteAll(HANDLE file, const std::string& text)
{
    size_t done = 0;
    while (done < text.size())
    {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 20));
        if (!::WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

CHandle OpenForReading(const std::string& path)
{
    return CHandle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
}

CHandle OpenForAppending(const std::string& path)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file && ::SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        ::GetLastError() != NO_ERROR)
        file.Close();
    return file;
}

std::string ProgramFolder()
{
    return ModulePath::Folder();
}
}

CScanItemsInfo::CScanItemsInfo()
{
    m_cursor = m_foundItems.end();
    LoadIgnoreList();
}

std::string CScanItemsInfo::IgnoreListPath()
{
    return ProgramFolder() + kIgnoreListFileName;
}

std::string CScanItemsInfo::ScanLogFolder()
{
    return ProgramFolder() + kScanLogFolderName;
}

std::string CScanItemsInfo::ScanLogFileName(const SYSTEMTIME& time)
{
    return AnsiText::Format("%d%d%d%d%d%d.txt", time.wDay, time.wMonth, time.wYear, time.wHour, time.wMinute,
                            time.wSecond);
}

void CScanItemsInfo::Clear()
{
    m_foundItems.clear();
    m_itemValues.clear();
    m_records.clear();
    m_exclusionMarks.clear();
    m_cursor = m_foundItems.end();
}

int CScanItemsInfo::AddFoundItem(const char* text, DWORD category, int, int)
{
    m_foundMask |= category;
    if (!text || m_ignoredItems.count(text))
        return 0;
    // Equal keys go behind the ones already there, so a category keeps the
    // order in which its findings came.
    m_foundItems.emplace(category, text);
    return 1;
}

bool CScanItemsInfo::HasItems(DWORD category)
{
    return m_foundItems.count(category) != 0;
}

int CScanItemsInfo::GetItemValue(const char* text)
{
    if (!text)
        return 0;
    const auto it = m_itemValues.find(text);
    return it == m_itemValues.end() ? 0 : it->second;
}

int CScanItemsInfo::GetItemCount(DWORD category)
{
    return static_cast<int>(m_foundItems.count(category));
}

DWORD CScanItemsInfo::GetFoundMask()
{
    return m_foundMask;
}

int CScanItemsInfo::GetItems(std::vector<const char*>* out, DWORD category)
{
    const auto range = m_foundItems.equal_range(category);
    if (!out || range.first == range.second)
        return 0;
    for (auto it = range.first; it != range.second; ++it)
        out->push_back(it->second.c_str());
    return 1;
}

int CScanItemsInfo::MoveFirst()
{
    if (m_foundItems.empty())
        return 0;
    m_cursor = m_foundItems.begin();
    return 1;
}

int CScanItemsInfo::MoveNext()
{
    if (m_cursor == m_foundItems.end())
        return 0;
    ++m_cursor;
    return m_cursor != m_foundItems.end();
}

const char* CScanItemsInfo::GetCurrentText()
{
    return m_cursor == m_foundItems.end() ? nullptr : m_cursor->second.c_str();
}

DWORD CScanItemsInfo::GetCurrentCategory()
{
    return m_cursor == m_foundItems.end() ? 0 : m_cursor->first;
}

void CScanItemsInfo::ExcludeItem(const char* mark, int, int number)
{
    if (mark)
        m_exclusionMarks.emplace(mark, number);
}

void CScanItemsInfo::SetSaveIgnoreList(int on)
{
    m_bSaveIgnoreList = on;
}

int CScanItemsInfo::LoadIgnoreList()
{
    if (m_bIgnoreListLoaded)
        return 0;
    IgnoreFileContent content;
    // The map is replaced only by a good read: while the file cannot be read,
    // the findings ignored so far stay hidden.
    if (!ReadIgnoreFile(content))
        return 0;
    m_ignoredItems.clear();
    for (const IgnoreRecord& record : content.records)
        m_ignoredItems.emplace(record.item, record.number);
    m_bIgnoreListLoaded = 1;
    return 1;
}

int CScanItemsInfo::AppendIgnoreList()
{
    if (!m_bSaveIgnoreList)
        return 0;
    std::string records;
    for (const auto& mark : m_exclusionMarks)
        records += FormatRecord(mark.first, mark.second);
    return AppendToIgnoreFile(records) ? 1 : 0;
}

int CScanItemsInfo::Reserved16()
{
    return 1;
}

int CScanItemsInfo::GetRecord(int id, ScanItemRecord* out)
{
    for (const ScanItemRecord& record : m_records)
    {
        if (record.id == id)
        {
            if (out)
                *out = record;
            return 1;
        }
    }
    return 0;
}

std::string CScanItemsInfo::ShortForm(const std::string& text)
{
    std::string shortForm = RemoveAll(text, ".txt");
    const size_t at = shortForm.rfind('@');
    if (at != std::string::npos)
        shortForm.erase(0, at + 1);
    // The bracketed piece runs from the first "[" for as many characters as
    // the first "]" lies from the start; for "site[1]" that is "[1]".
    const size_t open = shortForm.find('[');
    const size_t close = shortForm.find(']');
    if (close == std::string::npos)
        return shortForm;
    const size_t start = open == std::string::npos ? 0 : open;
    return RemoveAll(shortForm, shortForm.substr(start, close));
}

bool CScanItemsInfo::MatchesMark(const std::string& mark, int number, const std::string& text,
                                 const std::string& shortForm)
{
    // A mark is the finding's text, "^" and its category caption. Key, value
    // and file names may hold "^" themselves, captions never do.
    const size_t separator = mark.rfind(kFieldSeparator);
    if (separator == std::string::npos || separator == 0)
        return false;
    const std::string item = mark.substr(0, separator);
    if (item == text || item == shortForm)
        return true;
    const int recordId = GetItemValue(text.c_str());
    if (!recordId)
        return false;
    ScanItemRecord record;
    return GetRecord(recordId, &record) && record.itemText == item && number == record.id;
}

int CScanItemsInfo::IsCurrentItemExcluded()
{
    if (m_cursor == m_foundItems.end())
        return 0;
    const std::string& text = m_cursor->second;
    const std::string shortForm = ShortForm(text);
    for (const auto& mark : m_exclusionMarks)
        if (MatchesMark(mark.first, mark.second, text, shortForm))
            return 1;
    return 0;
}

int CScanItemsInfo::GetIgnoreList(std::map<std::string, int>* out)
{
    if (!out)
        return 0;
    *out = m_ignoreEntries;
    return 1;
}

int CScanItemsInfo::ReloadIgnoreList()
{
    m_ignoreEntries.clear();
    IgnoreFileContent content;
    if (!ReadIgnoreFile(content))
        return 0;
    for (const IgnoreRecord& record : content.records)
        m_ignoreEntries.emplace(record.item + kFieldSeparator + record.category, record.number);
    return 1;
}

int CScanItemsInfo::WriteIgnoreList(const std::map<std::string, int>& entries)
{
    if (!m_bIgnoreFileReadWhole)
        return 0;
    std::string text;
    for (const auto& entry : entries)
        text += FormatRecord(entry.first, entry.second);
    CHandle file(::CreateFileA(IgnoreListPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 0;
    m_bIgnoreListLoaded = 0;
    return WriteAll(file.Get(), text) ? 1 : 0;
}

int CScanItemsInfo::WriteScanLog()
{
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    const std::string folder = ScanLogFolder();
    ::CreateDirectoryA(folder.c_str(), nullptr);
    CHandle file = OpenForAppending(folder + "\\" + ScanLogFileName(now));
    if (!file)
        return 0;

    std::string log = AnsiText::Format("Scan Log Created At :%d:%d:%d\r\n", now.wHour, now.wMinute, now.wSecond);
    log += kDetectedBanner;
    for (const auto& item : m_foundItems)
        log += FormatRecord(item.second, static_cast<int>(item.first));
    log += kSpywareBanner;
    for (const auto& value : m_itemValues)
        log += FormatRecord(value.first, value.second);
    log += kIgnoredBanner;
    for (const auto& mark : m_exclusionMarks)
        log += FormatRecord(mark.first, mark.second);
    return WriteAll(file.Get(), log) ? 1 : 0;
}

int CScanItemsInfo::IsIgnored(const char*, int, const ScanItemRecord* record)
{
    LoadIgnoreList();
    if (!record || record->id == 0)
        return 0;
    const auto it = m_ignoredItems.find(record->itemText);
    return it != m_ignoredItems.end() && it->second == record->id;
}

int CScanItemsInfo::AddIgnoreEntry(const char* item, const char* category, int, int)
{
    if (!item || !*item)
        return 0;
    const std::string key = std::string(item) + kFieldSeparator + (category ? category : "");
    // The next repair leaves the item alone even when the file cannot take it.
    m_exclusionMarks.emplace(key, 0);
    // A ";" would split the record when the file is read back, and the second
    // half would hide a finding the user never chose to ignore.
    if (key.find(kEntrySeparator) != std::string::npos)
        return 0;

    const bool read = ReloadIgnoreList() != 0;
    std::map<std::string, int> entries;
    GetIgnoreList(&entries);
    const bool added = entries.emplace(key, 0).second;
    if (!read)
        return 0;
    if (m_bIgnoreFileReadWhole)
        return WriteIgnoreList(entries);
    // The file holds more than its records say: add to its end, never rewrite.
    if (!added)
        return 1;
    return AppendToIgnoreFile(FormatRecord(key, 0)) ? 1 : 0;
}

int CScanItemsInfo::SkipRecycleBin()
{
    return m_bSkipRecycleBin;
}

int CScanItemsInfo::SkipTempFiles()
{
    return m_bSkipTempFiles;
}

bool CScanItemsInfo::ReadIgnoreFile(IgnoreFileContent& content)
{
    m_bIgnoreFileReadWhole = false;
    CHandle file = OpenForReading(IgnoreListPath());
    if (!file)
        return false;
    std::string text;
    if (!ReadAll(file.Get(), text))
        return false;
    content = ParseIgnoreList(text);
    m_bIgnoreFileReadWhole = content.whole;
    return true;
}

bool CScanItemsInfo::AppendToIgnoreFile(const std::string& records)
{
    CHandle file(::CreateFileA(IgnoreListPath().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    std::string text;
    if (!ReadAll(file.Get(), text))
        return false;
    m_bIgnoreListLoaded = 0;
    // A last record that lost its ";" would swallow the first one added.
    size_t last = text.size();
    while (last > 0 && IsBlank(text[last - 1]))
        --last;
    const bool dangling = last > 0 && text[last - 1] != kEntrySeparator;
    return WriteAll(file.Get(), (dangling ? std::string(kRecordEnd) : std::string()) + records);
}

CScanItemsInfo::IgnoreFileContent CScanItemsInfo::ParseIgnoreList(const std::string& text)
{
    IgnoreFileContent content;
    std::map<std::string, int> numbers;
    size_t position = 0;
    for (;;)
    {
        const size_t end = text.find(kEntrySeparator, position);
        if (end == std::string::npos)
        {
            // A last record without its ";" is not read.
            if (HasTextFrom(text, position))
                content.whole = false;
            break;
        }
        size_t first = position;
        size_t last = end;
        while (first < last && IsBlank(text[first]))
            ++first;
        while (last > first && IsBlank(text[last - 1]))
            --last;
        position = end + 1;
        if (first == last)
        {
            // An empty entry ends the list.
            if (HasTextFrom(text, position))
                content.whole = false;
            break;
        }

        // item "^" category "^" number, split from the right: the item is a
        // finding's text and may hold "^" itself.
        const std::string entry = text.substr(first, last - first);
        const size_t numberAt = entry.rfind(kFieldSeparator);
        if (numberAt == std::string::npos || numberAt == 0)
        {
            content.whole = false;
            continue;
        }
        IgnoreRecord record;
        const size_t categoryAt = entry.rfind(kFieldSeparator, numberAt - 1);
        if (categoryAt == std::string::npos)
        {
            record.item = entry.substr(0, numberAt);
        }
        else
        {
            record.item = entry.substr(0, categoryAt);
            record.category = entry.substr(categoryAt + 1, numberAt - categoryAt - 1);
        }
        record.number = std::atoi(entry.c_str() + numberAt + 1);
        if (record.item.empty())
        {
            content.whole = false;
            continue;
        }

        // Whatever a rewrite would not give back as it stands makes the read
        // less than whole.
        const std::string key = record.item + kFieldSeparator + record.category;
        const auto known = numbers.emplace(key, record.number);
        if (known.first->second != record.number ||
            key + kFieldSeparator + AnsiText::Format("%d", record.number) != entry)
            content.whole = false;
        content.records.push_back(std::move(record));
    }
    return content;
}
