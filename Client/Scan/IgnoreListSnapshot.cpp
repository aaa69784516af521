#include "Client/Scan/IgnoreListSnapshot.h"

#include <new>

#include "Client/Scan/FindingPlace.h"
#include "Client/Scan/ListFile.h"
#include "Framework/CHandle.h"

namespace
{
// FNV-1a: the slot of a text in a table of a power of two.
uint32_t HashOf(std::string_view text, uint32_t hash = 2166136261u)
{
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

// A table of at least 1.5 slots a record, so that probes stay short.
std::vector<uint32_t> EmptySlots(size_t records)
{
    size_t size = 16;
    while (size < records + records / 2)
        size *= 2;
    return std::vector<uint32_t>(size, 0);
}
}

IgnoreListSnapshot::IgnoreListSnapshot(IgnoreListFile::Content content, Status state, Stamp stamp)
    : m_content(std::move(content)), m_state(state), m_stamp(stamp)
{
    m_content.records.shrink_to_fit();
    IndexItems();
    ListEntries();
}

std::shared_ptr<const IgnoreListSnapshot> IgnoreListSnapshot::Make(IgnoreListFile::Content content, Status state,
                                                                   Stamp stamp)
{
    try
    {
        return std::shared_ptr<const IgnoreListSnapshot>(new IgnoreListSnapshot(std::move(content), state, stamp));
    }
    catch (const std::bad_alloc&)
    {
        // Larger than the memory the program can have: not honoured, and
        // the caller says so.
        return std::shared_ptr<const IgnoreListSnapshot>(
            new IgnoreListSnapshot(IgnoreListFile::Content(), Status::kFailed, Stamp()));
    }
}

IgnoreListSnapshot::Stamp IgnoreListSnapshot::StampOf(const std::string& path)
{
    Stamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return stamp;
    stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written =
        (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    stamp.valid = true;
    return stamp;
}

bool IgnoreListSnapshot::CanBeRead(const std::string& path)
{
    const CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

std::shared_ptr<const IgnoreListSnapshot> IgnoreListSnapshot::Read(const std::string& path)
{
    // Taken first: a change while the file is read makes the stamp old,
    // and the next look reads it again.
    const Stamp stamp = StampOf(path);
    IgnoreListFile::Content content;
    const Status state = IgnoreListFile(path).Read(content);
    return Make(std::move(content), state, state == Status::kFailed ? Stamp() : stamp);
}

std::shared_ptr<const IgnoreListSnapshot> IgnoreListSnapshot::FromWritten(const std::string& path, std::string text)
{
    IgnoreListFile::Content content;
    try
    {
        content = IgnoreListFile::Parse(std::move(text));
    }
    catch (const std::bad_alloc&)
    {
        return Read(path);
    }
    const Status state = content.damaged ? Status::kDamaged : Status::kDone;
    return Make(std::move(content), state, StampOf(path));
}

std::string_view IgnoreListSnapshot::LookupKey(std::string_view text, std::string& scratch)
{
    scratch = FindingPlace::ForCurrentUser().Of(std::string(text));
    return scratch;
}

std::string_view IgnoreListSnapshot::ItemOf(const Record& record) const
{
    return std::string_view(m_content.text).substr(record.begin, record.itemEnd - record.begin);
}

void IgnoreListSnapshot::IndexItems()
{
    const std::vector<Record>& records = m_content.records;
    m_itemSlots = EmptySlots(records.size());
    m_slotHashes.assign(m_itemSlots.size(), 0);
    const uint32_t mask = static_cast<uint32_t>(m_itemSlots.size() - 1);
    std::string scratch;
    for (size_t i = 0; i < records.size(); ++i)
    {
        const std::string_view key = LookupKey(ItemOf(records[i]), scratch);
        const uint32_t hash = HashOf(key);
        uint32_t slot = hash & mask;
        for (; m_itemSlots[slot] != 0; slot = (slot + 1) & mask)
            if (HoldsKey(slot, hash, key))
                break; // the first record of an item counts
        if (m_itemSlots[slot] == 0)
        {
            m_itemSlots[slot] = static_cast<uint32_t>(i + 1);
            m_slotHashes[slot] = hash;
        }
    }
}

void IgnoreListSnapshot::ListEntries()
{
    // The store's map keeps the first record of each key: a table of the
    // keys seen, needed only while the list is made.
    const std::vector<Record>& records = m_content.records;
    const std::string& text = m_content.text;
    std::vector<uint32_t> slots = EmptySlots(records.size());
    const uint32_t mask = static_cast<uint32_t>(slots.size() - 1);
    m_entries.reserve(records.size());
    const auto categoryOf = [&](const Record& record) {
        return record.itemEnd < record.numberAt
                   ? std::string_view(text).substr(record.itemEnd + 1, record.numberAt - record.itemEnd - 1)
                   : std::string_view();
    };
    for (size_t i = 0; i < records.size(); ++i)
    {
        const std::string_view item = ItemOf(records[i]);
        const std::string_view category = categoryOf(records[i]);
        for (uint32_t slot = HashOf(category, HashOf(item) * 31u) & mask;; slot = (slot + 1) & mask)
        {
            if (slots[slot] == 0)
            {
                slots[slot] = static_cast<uint32_t>(i + 1);
                m_entries.push_back(static_cast<uint32_t>(i));
                break;
            }
            const Record& other = records[slots[slot] - 1];
            if (ItemOf(other) == item && categoryOf(other) == category)
                break;
        }
    }
    m_entries.shrink_to_fit();
}

const IgnoreListSnapshot::Record* IgnoreListSnapshot::FindItem(std::string_view text) const
{
    if (m_content.records.empty())
        return nullptr;
    std::string scratch;
    const std::string_view key = LookupKey(text, scratch);
    const uint32_t hash = HashOf(key);
    const uint32_t mask = static_cast<uint32_t>(m_itemSlots.size() - 1);
    for (uint32_t slot = hash & mask; m_itemSlots[slot] != 0; slot = (slot + 1) & mask)
        if (HoldsKey(slot, hash, key))
            return &m_content.records[m_itemSlots[slot] - 1];
    return nullptr;
}

bool IgnoreListSnapshot::HoldsKey(uint32_t slot, uint32_t hash, std::string_view key) const
{
    // The hash first: the slot's key is made anew only for a likely match.
    if (m_slotHashes[slot] != hash)
        return false;
    std::string scratch;
    return LookupKey(ItemOf(m_content.records[m_itemSlots[slot] - 1]), scratch) == key;
}

std::string_view IgnoreListSnapshot::EntryItem(size_t index) const
{
    return ItemOf(Entry(index));
}

std::string_view IgnoreListSnapshot::EntryCategory(size_t index) const
{
    const Record& record = Entry(index);
    if (record.itemEnd >= record.numberAt)
        return std::string_view();
    return std::string_view(m_content.text).substr(record.itemEnd + 1, record.numberAt - record.itemEnd - 1);
}

std::map<std::string, int> IgnoreListSnapshot::EntryMap() const
{
    std::map<std::string, int> entries;
    for (size_t i = 0; i < m_entries.size(); ++i)
        entries.emplace(EntryKey(i), Entry(i).number);
    return entries;
}

size_t IgnoreListSnapshot::MemoryBytes() const
{
    return m_content.text.capacity() + m_content.records.capacity() * sizeof(Record) +
           (m_itemSlots.capacity() + m_slotHashes.capacity() + m_entries.capacity()) * sizeof(uint32_t);
}
