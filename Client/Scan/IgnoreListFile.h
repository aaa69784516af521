#pragma once
#include <map>
#include <string>
#include <vector>

// The ignore list's file "IL": records of item "^" category "^" number, each
// ended by ";" and a line end, read and written as bytes.
class IgnoreListFile
{
public:
    static const char kFieldSeparator = '^';
    static const char kEntrySeparator = ';';

    // One record as the file holds it.
    struct Record
    {
        std::string item;
        std::string category;
        int number = 0;
    };
    // What one read of the file gave.
    struct Content
    {
        std::vector<Record> records;
        // False when rewriting the file from the records would lose anything
        // that is in it: text after an empty entry, a last record without its
        // ";", an entry that is not item^category^number, or one key twice
        // with different numbers.
        bool whole = true;
    };

    explicit IgnoreListFile(std::string path) : m_path(std::move(path)) {}

    // Reads the whole file (created empty when missing); false when it cannot
    // be opened or read.
    bool Read(Content& content) const;
    // Replaces the file with one record per entry (key: item "^" category).
    bool Rewrite(const std::map<std::string, int>& entries) const;
    // Adds records at the end, so that nothing already in it is lost.
    bool Append(const std::map<std::string, int>& entries) const;

    // Splits the file's text into its records.
    static Content Parse(const std::string& text);
    // key "^" number ";" CR LF.
    static std::string FormatRecord(const std::string& key, int number);

private:
    std::string m_path;
};
