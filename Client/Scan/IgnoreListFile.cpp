#include "Client/Scan/IgnoreListFile.h"

#include <climits>
#include <new>
#include <unordered_map>

#include "Client/Scan/ListFile.h"
#include "Framework/AnsiText.h"
#include "Framework/CBinaryFile.h"

namespace
{
const char kRecordEnd[] = ";\r\n";

// After an entry's ";": the line feed that ends its line, when nothing but
// blanks comes before it, belongs to the record.
size_t LineEndAfter(const std::string& text, size_t end)
{
    size_t at = end;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r'))
        ++at;
    return at < text.size() && text[at] == '\n' ? at + 1 : end;
}

// The number part of a record as atoi reads it, without atoi's undefined
// overflow: blanks, a sign, digits; 0 when there are none.
int ParseNumber(const std::string& text, size_t from, size_t to)
{
    while (from < to && ListFile::IsBlank(text[from]) && text[from] != '\0')
        ++from;
    bool negative = false;
    if (from < to && (text[from] == '-' || text[from] == '+'))
        negative = text[from++] == '-';
    long long value = 0;
    for (; from < to && text[from] >= '0' && text[from] <= '9'; ++from)
    {
        value = value * 10 + (text[from] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::string NumberText(int number)
{
    return AnsiText::Format("%d", number);
}
}

IgnoreListFile::Key IgnoreListFile::SplitKey(const std::string& key)
{
    Key split;
    const size_t separator = key.rfind(kFieldSeparator);
    if (separator == std::string::npos)
    {
        split.item = key;
        return split;
    }
    split.item = key.substr(0, separator);
    split.category = key.substr(separator + 1);
    return split;
}

std::string IgnoreListFile::JoinKey(const std::string& item, const std::string& category)
{
    std::string key;
    key.reserve(item.size() + 1 + category.size());
    key.append(item).append(1, kFieldSeparator).append(category);
    return key;
}

std::string IgnoreListFile::FormatRecord(const std::string& key, int number)
{
    return key + kFieldSeparator + NumberText(number) + kRecordEnd;
}

IgnoreListFile::Status IgnoreListFile::Read(Content& content) const
{
    content = Content();
    std::string text;
    const Status read = ListFile::Read(m_path, text);
    if (read != Status::kDone)
        return read;
    try
    {
        content = Parse(std::move(text));
    }
    catch (const std::bad_alloc&)
    {
        content = Content();
        return Status::kFailed;
    }
    return content.damaged ? Status::kDamaged : Status::kDone;
}

IgnoreListFile::Content IgnoreListFile::Parse(std::string text)
{
    Content content;
    content.text = std::move(text);
    const std::string& t = content.text;
    const size_t stop = ListFile::ForEachEntry(t, [&](size_t first, size_t last, size_t end) {
        const size_t lineEnd = LineEndAfter(t, end);
        content.readEnd = lineEnd;
        // key "^" number, and the key is item "^" category.
        const size_t numberAt = t.rfind(kFieldSeparator, last - 1);
        if (numberAt == std::string::npos || numberAt < first)
            return;
        Key key = SplitKey(t.substr(first, numberAt - first));
        if (key.item.empty())
            return;
        Record record;
        record.item = std::move(key.item);
        record.category = std::move(key.category);
        record.number = ParseNumber(t, numberAt + 1, last);
        record.begin = first;
        record.end = end;
        record.lineEnd = lineEnd;
        content.records.push_back(std::move(record));
    });
    content.damaged = ListFile::HoldsMoreFrom(t, stop);
    return content;
}

IgnoreListFile::Status IgnoreListFile::Update(const std::map<std::string, int>& entries) const
{
    Content content;
    if (Read(content) == Status::kFailed)
        return Status::kFailed;
    std::string text;
    if (!Merged(content, entries, text))
        return Status::kFailed;
    return Write(content, text);
}

bool IgnoreListFile::Merged(const Content& content, const std::map<std::string, int>& entries, std::string& text)
{
    // A key is read with the number of its first record.
    std::vector<std::string> keys;
    keys.reserve(content.records.size());
    std::unordered_map<std::string, size_t> firstRecord;
    firstRecord.reserve(content.records.size());
    for (size_t i = 0; i < content.records.size(); ++i)
    {
        keys.push_back(content.records[i].KeyText());
        firstRecord.emplace(keys.back(), i);
    }
    std::vector<const std::pair<const std::string, int>*> added;
    for (const auto& entry : entries)
    {
        if (firstRecord.count(entry.first) != 0)
            continue;
        // The records kept are read back as they were read; a new one must
        // read back as it goes in.
        if (!ReadsBack(entry.first, entry.second))
            return false;
        added.push_back(&entry);
    }

    const std::string& old = content.text;
    text.clear();
    text.reserve(old.size() + 64 * added.size());
    size_t copied = 0;
    const auto copyTo = [&](size_t at) {
        text.append(old, copied, at - copied);
        copied = at;
    };
    size_t next = 0;
    for (size_t i = 0; i < content.records.size(); ++i)
    {
        const Record& record = content.records[i];
        for (; next < added.size() && added[next]->first < keys[i]; ++next)
        {
            copyTo(record.begin);
            text += FormatRecord(added[next]->first, added[next]->second);
        }
        const auto kept = entries.find(keys[i]);
        if (kept == entries.end())
        {
            copyTo(record.begin);
            copied = record.lineEnd;
        }
        else if (kept->second != record.number && firstRecord[keys[i]] == i)
        {
            copyTo(record.begin);
            text += keys[i] + kFieldSeparator + NumberText(kept->second) + kEntrySeparator;
            copied = record.end;
        }
    }
    copyTo(content.readEnd);
    for (; next < added.size(); ++next)
        text += FormatRecord(added[next]->first, added[next]->second);
    copyTo(old.size());
    return true;
}

IgnoreListFile::Status IgnoreListFile::Append(const std::map<std::string, int>& entries) const
{
    Content content;
    if (Read(content) == Status::kFailed)
        return Status::kFailed;
    std::string text = content.text.substr(0, content.readEnd);
    for (const auto& entry : entries)
    {
        if (!ReadsBack(entry.first, entry.second))
            return Status::kFailed;
        text += FormatRecord(entry.first, entry.second);
    }
    text.append(content.text, content.readEnd, std::string::npos);
    return Write(content, text);
}

IgnoreListFile::Status IgnoreListFile::Write(const Content& content, const std::string& text) const
{
    if (text == content.text)
        return Status::kDone;
    // A file cut short by a full disk would lose records the user kept.
    return CBinaryFile::ReplaceWhole(m_path, text) ? Status::kDone : Status::kFailed;
}

bool IgnoreListFile::ReadsBack(const std::string& key, int number)
{
    const Content read = Parse(FormatRecord(key, number));
    return !read.damaged && read.records.size() == 1 && read.records[0].KeyText() == key &&
           read.records[0].number == number;
}
