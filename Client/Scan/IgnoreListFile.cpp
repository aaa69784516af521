#include "Client/Scan/IgnoreListFile.h"

#include <cstdlib>

#include "Framework/AnsiText.h"
#include "Framework/CBinaryFile.h"

namespace
{
const char kRecordEnd[] = ";\r\n";

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

std::string FormatRecords(const std::map<std::string, int>& entries)
{
    std::string text;
    for (const auto& entry : entries)
        text += IgnoreListFile::FormatRecord(entry.first, entry.second);
    return text;
}
}

std::string IgnoreListFile::FormatRecord(const std::string& key, int number)
{
    return key + kFieldSeparator + AnsiText::Format("%d", number) + kRecordEnd;
}

bool IgnoreListFile::Read(Content& content) const
{
    std::string text;
    if (!CBinaryFile::Read(m_path, text, CBinaryFile::kReadCreating))
        return false;
    content = Parse(text);
    return true;
}

bool IgnoreListFile::Rewrite(const std::map<std::string, int>& entries) const
{
    return CBinaryFile::Write(m_path, FormatRecords(entries));
}

bool IgnoreListFile::Append(const std::map<std::string, int>& entries) const
{
    CBinaryFile file;
    std::string text;
    if (!file.Open(m_path, CBinaryFile::kReadAppend) || !file.ReadAll(text))
        return false;
    // A last record that lost its ";" would swallow the first one added.
    size_t last = text.size();
    while (last > 0 && IsBlank(text[last - 1]))
        --last;
    const bool dangling = last > 0 && text[last - 1] != kEntrySeparator;
    return file.WriteAll((dangling ? std::string(kRecordEnd) : std::string()) + FormatRecords(entries));
}

IgnoreListFile::Content IgnoreListFile::Parse(const std::string& text)
{
    Content content;
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
        Record record;
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
