#pragma once
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

    // One record as the file holds it, with where it lies in the text.
    struct Record
    {
        std::string item;
        std::string category;
        int number = 0;
        size_t begin = 0;   // its first byte
        size_t end = 0;     // after its ";"
        size_t lineEnd = 0; // after the line end that follows the ";", if any

        std::string KeyText() const { return JoinKey(item, category); }
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
    Status Write(const Content& content, const std::string& text) const;
    // True when the record of this key and number, read on its own, is that
    // key and number again.
    static bool ReadsBack(const std::string& key, int number);

    std::string m_path;
};
