#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Client/Scan/ListFile.h"

// The ignore list's file "IL": records of item "^" category "^" number, each
// ended by ";" and a line end, read and written as bytes. The results store
// and the ignore-list page both read it through this class alone.
//
// The item is a finding's text, and key, value and file names may hold "^"
// themselves; a category caption never does and the number is digits. So a
// record is split at its last two "^": what comes before them is the item,
// whole. (For an item without "^" that is the same as splitting at the
// first two.)
//
// A change writes only what changes: a record taken out is cut out with its
// line end, one put in goes in among the others; every other byte of the
// file, including whatever the reading passed over, stays as it was. The
// file is replaced only once its new text is on the disk whole.
class IgnoreListFile
{
public:
    static const char kFieldSeparator = '^';
    static const char kEntrySeparator = ListFile::kEntrySeparator;

    using Status = ListFile::Status;

    // An item and its category; the store's key is both joined by "^".
    struct Key
    {
        std::string item;
        std::string category;
    };

    // One record as the file holds it: where its parts lie in the text. A
    // list of hundreds of thousands of records keeps no text of its own per
    // record, only these few numbers beside the one text of the file.
    struct Record
    {
        // Offsets into the text, which a list keeps under 4 GB.
        uint32_t begin = 0;    // its first byte, the item's
        uint32_t itemEnd = 0;  // after the item: its "^", or the number's
        uint32_t numberAt = 0; // the "^" before the number
        uint32_t end = 0;      // after its ";"
        uint32_t lineEnd = 0;  // after the line end that follows the ";", if any
        int number = 0;

        std::string Item(const std::string& text) const { return text.substr(begin, itemEnd - begin); }
        std::string Category(const std::string& text) const
        {
            return itemEnd < numberAt ? text.substr(itemEnd + 1, numberAt - itemEnd - 1) : std::string();
        }
        // item "^" category, as the store keys the ignore list.
        std::string KeyText(const std::string& text) const { return JoinKey(Item(text), Category(text)); }
        // The same without copying: the item and the category lie side by
        // side in the text, split by "^".
        bool KeyEquals(const std::string& text, const std::string& key) const;
    };

    // What one read of the file gave.
    struct Content
    {
        std::string text;
        // In file order; an entry that is no record (no item) is not here.
        std::vector<Record> records;
        // Where the reading stopped: after the line of the last entry read,
        // before an empty entry or a last entry without its ";".
        size_t readEnd = 0;
        // Something other than white space lies after readEnd: records the
        // reading could not take.
        bool damaged = false;
    };

    explicit IgnoreListFile(std::string path) : m_path(std::move(path)) {}

    // Reads the whole file (created empty when missing); kDamaged when part
    // of it could not be taken (what was read is in content).
    Status Read(Content& content) const;
    // Makes the file hold exactly these entries (key: item "^" category):
    // records whose key is not among them are cut out, an entry whose key is
    // not in the file goes in before the first record whose key sorts after
    // it (or where the reading stopped), and a key whose first record has
    // another number gets that record rewritten. A text that would not read
    // back as these entries (an item with a ";" or with white space at an
    // end) is not written: kFailed, and the file stays as it was.
    Status Update(const std::map<std::string, int>& entries) const;
    // Puts these records in where the reading stopped, whether their keys
    // are in the file or not.
    Status Append(const std::map<std::string, int>& entries) const;
    // The same on a read already made (content: what the file holds now).
    // When the file was rewritten, written holds its new text; it stays
    // empty when nothing had to change.
    Status Update(const Content& content, const std::map<std::string, int>& entries, std::string& written) const;
    // Every record of this key cut out.
    Status Remove(const Content& content, const std::string& key, std::string& written) const;
    // A record of this key put in before the first record whose key sorts
    // after it (as Update would put it), unless the key is there already.
    Status Insert(const Content& content, const std::string& key, int number, std::string& written) const;

    // Splits the file's text into its records.
    static Content Parse(std::string text);
    // An item and its category from the store's key, split at its last "^";
    // a key without "^" is an item without a category.
    static Key SplitKey(const std::string& key);
    static std::string JoinKey(const std::string& item, const std::string& category);
    // key "^" number ";" CR LF.
    static std::string FormatRecord(const std::string& key, int number);

private:
    // The file's text holding exactly these entries (see Update); false when
    // one of those it adds would not read back as it went in.
    static bool Merged(const Content& content, const std::map<std::string, int>& entries, std::string& text);
    // Writes text when it differs from what content holds; written then
    // takes it.
    Status Write(const Content& content, std::string text, std::string& written) const;
    // The record's key (item "^" category) compared with key as the store's
    // map orders them, without copying either.
    static int CompareKey(const std::string& text, const Record& record, const std::string& key);
    // True when the record of this key and number, read on its own, is that
    // key and number again.
    static bool ReadsBack(const std::string& key, int number);

    std::string m_path;
};
