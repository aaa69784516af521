#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Client/Scan/IgnoreListFile.h"

// One read of the ignore list "IL", kept as the file's text and a few
// numbers per record, never changed once made: the results store, the home
// page's counts and the ignore-list page share it, and a worker may read it
// while the window goes on. A list costs about its file's size and some 40
// bytes a record (28 in the 32-bit build), and goes in a few frees.
class IgnoreListSnapshot
{
public:
    using Status = IgnoreListFile::Status;
    using Record = IgnoreListFile::Record;

    // Which version of the file a read saw: its size and when it was last
    // written, as Windows keeps them.
    struct Stamp
    {
        ULONGLONG size = 0;
        ULONGLONG written = 0;
        bool valid = false;

        bool operator==(const Stamp& other) const
        {
            return valid && other.valid && size == other.size && written == other.written;
        }
    };

    // Reads the file (created empty when missing); a read that failed gives
    // an empty list in the state kFailed.
    static std::shared_ptr<const IgnoreListSnapshot> Read(const std::string& path);
    // A list from a text that a store just wrote to path.
    static std::shared_ptr<const IgnoreListSnapshot> FromWritten(const std::string& path, std::string text);
    static Stamp StampOf(const std::string& path);
    // True when the file opens for reading as a read would open it.
    static bool CanBeRead(const std::string& path);

    Status State() const { return m_state; }
    const Stamp& FileStamp() const { return m_stamp; }
    const IgnoreListFile::Content& Content() const { return m_content; }

    // The text that finding texts and ignored items are matched by: the
    // place the text names (FindingPlace), so that an ignore holds for the
    // entry under every one of its names. What counts as the same text is
    // decided here alone. Returns a view of scratch.
    static std::string_view LookupKey(std::string_view text, std::string& scratch);
    // The first record whose item matches the text, or null.
    const Record* FindItem(std::string_view text) const;

    // The entries as the store's map holds them: one for each key (item
    // "^" category), its first record's, in file order.
    size_t EntryCount() const { return m_entries.size(); }
    const Record& Entry(size_t index) const { return m_content.records[m_entries[index]]; }
    std::string_view EntryItem(size_t index) const;
    std::string_view EntryCategory(size_t index) const;
    std::string EntryKey(size_t index) const { return Entry(index).KeyText(m_content.text); }
    std::map<std::string, int> EntryMap() const;

    // The bytes the list holds on the heap, as reserved.
    size_t MemoryBytes() const;

private:
    IgnoreListSnapshot(IgnoreListFile::Content content, Status state, Stamp stamp);
    static std::shared_ptr<const IgnoreListSnapshot> Make(IgnoreListFile::Content content, Status state,
                                                          Stamp stamp);
    void IndexItems();
    void ListEntries();
    std::string_view ItemOf(const Record& record) const;
    bool HoldsKey(uint32_t slot, uint32_t hash, std::string_view key) const;

    IgnoreListFile::Content m_content;
    Status m_state;
    Stamp m_stamp;
    // Open addressing by the lookup key of each item: record index + 1, 0
    // for a free slot; the first record of an item holds the slot.
    std::vector<uint32_t> m_itemSlots;
    // The hash of each slot's key, so that a probe makes a key only for the
    // slot it likely matches.
    std::vector<uint32_t> m_slotHashes;
    std::vector<uint32_t> m_entries;
};
