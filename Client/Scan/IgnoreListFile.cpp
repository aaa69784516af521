#include "Client/Scan/IgnoreListFile.h"

#include <algorithm>
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

bool IgnoreListFile::Record::KeyEquals(const std::string& text, const std::string& key) const
{
    const size_t itemLength = itemEnd - begin;
    const size_t categoryLength = itemEnd < numberAt ? numberAt - itemEnd - 1 : 0u;
    return key.size() == itemLength + 1 + categoryLength && key.compare(0, itemLength, text, begin, itemLength) == 0 &&
           key[itemLength] == kFieldSeparator &&
           key.compare(itemLength + 1, categoryLength, text, itemEnd + 1, categoryLength) == 0;
}

int IgnoreListFile::CompareKey(const std::string& text, const Record& record, const std::string& key)
{
    // item, "^", category: each piece against the same stretch of key, as
    // std::string orders bytes (unsigned).
    const char separator[1] = {kFieldSeparator};
    const size_t categoryLength = record.itemEnd < record.numberAt ? record.numberAt - record.itemEnd - 1 : 0;
    const std::pair<const char*, size_t> pieces[] = {{text.data() + record.begin, record.itemEnd - record.begin},
                                                     {separator, 1},
                                                     {text.data() + record.itemEnd + 1, categoryLength}};
    size_t at = 0;
    for (const auto& piece : pieces)
    {
        const size_t common = std::min(piece.second, key.size() - at);
        const int order = std::char_traits<char>::compare(piece.first, key.data() + at, common);
        if (order != 0)
            return order;
        if (common < piece.second)
            return 1; // the key ended first
        at += common;
    }
    return at < key.size() ? -1 : 0;
}

IgnoreListFile::Content IgnoreListFile::Parse(std::string text)
{
    Content content;
    // Records keep 32-bit offsets; no list comes near that size.
    if (text.size() >= UINT32_MAX)
        throw std::bad_alloc();
    content.text = std::move(text);
    const std::string& t = content.text;
    const size_t stop = ListFile::ForEachEntry(t, [&](size_t first, size_t last, size_t end) {
        const size_t lineEnd = LineEndAfter(t, end);
        content.readEnd = lineEnd;
        // key "^" number, and the key is item "^" category.
        const size_t numberAt = t.rfind(kFieldSeparator, last - 1);
        if (numberAt == std::string::npos || numberAt < first)
            return;
        size_t itemEnd = numberAt;
        if (numberAt > first)
        {
            const size_t categoryAt = t.rfind(kFieldSeparator, numberAt - 1);
            if (categoryAt != std::string::npos && categoryAt >= first)
                itemEnd = categoryAt;
        }
        if (itemEnd == first)
            return;
        Record record;
        record.begin = static_cast<uint32_t>(first);
        record.itemEnd = static_cast<uint32_t>(itemEnd);
        record.numberAt = static_cast<uint32_t>(numberAt);
        record.number = ParseNumber(t, numberAt + 1, last);
        record.end = static_cast<uint32_t>(end);
        record.lineEnd = static_cast<uint32_t>(lineEnd);
        content.records.push_back(record);
    });
    content.damaged = ListFile::HoldsMoreFrom(t, stop);
    return content;
}

IgnoreListFile::Status IgnoreListFile::Update(const std::map<std::string, int>& entries) const
{
    Content content;
    if (Read(content) == Status::kFailed)
        return Status::kFailed;
    std::string written;
    return Update(content, entries, written);
}

IgnoreListFile::Status IgnoreListFile::Update(const Content& content, const std::map<std::string, int>& entries,
                                              std::string& written) const
{
    std::string text;
    if (!Merged(content, entries, text))
        return Status::kFailed;
    return Write(content, std::move(text), written);
}

IgnoreListFile::Status IgnoreListFile::Remove(const Content& content, const std::string& key,
                                              std::string& written) const
{
    const std::string& old = content.text;
    std::string text;
    size_t copied = 0;
    for (const Record& record : content.records)
    {
        if (!record.KeyEquals(old, key))
            continue;
        if (text.empty())
            text.reserve(old.size());
        text.append(old, copied, record.begin - copied);
        copied = record.lineEnd;
    }
    if (copied == 0)
        return Status::kDone;
    text.append(old, copied, std::string::npos);
    return Write(content, std::move(text), written);
}

IgnoreListFile::Status IgnoreListFile::Insert(const Content& content, const std::string& key, int number,
                                              std::string& written) const
{
    const std::string& old = content.text;
    size_t at = content.readEnd;
    for (const Record& record : content.records)
    {
        if (record.KeyEquals(old, key))
            return Status::kDone;
    }
    for (const Record& record : content.records)
        if (CompareKey(old, record, key) > 0)
        {
            at = record.begin;
            break;
        }
    if (!ReadsBack(key, number))
        return Status::kFailed;
    std::string text;
    text.reserve(old.size() + key.size() + 16);
    text.append(old, 0, at).append(FormatRecord(key, number)).append(old, at, std::string::npos);
    return Write(content, std::move(text), written);
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
        keys.push_back(content.records[i].KeyText(content.text));
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
    std::string written;
    return Write(content, std::move(text), written);
}

IgnoreListFile::Status IgnoreListFile::Write(const Content& content, std::string text, std::string& written) const
{
    written.clear();
    if (text == content.text)
        return Status::kDone;
    // A file cut short by a full disk would lose records the user kept.
    if (!CBinaryFile::ReplaceWhole(m_path, text))
        return Status::kFailed;
    written = std::move(text);
    return Status::kDone;
}

bool IgnoreListFile::ReadsBack(const std::string& key, int number)
{
    const Content read = Parse(FormatRecord(key, number));
    return !read.damaged && read.records.size() == 1 && read.records[0].KeyText(read.text) == key &&
           read.records[0].number == number;
}
