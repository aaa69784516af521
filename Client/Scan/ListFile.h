#pragma once
#include <string>

// What the two lists beside the program, the ignore list "IL" and the white
// list "WL", have in common: entries ended by ";", and a size a list can be.
//
// Both are read whole on the window thread, and the ignore-list page shows
// every record of "IL" as a row. The program writes one ignore-list record
// (some 100 bytes) per finding the user chose to ignore, one click each, and
// a user types the white list by hand: real lists hold tens or hundreds of
// entries. 2 MB holds some 20,000 ignored findings or 50,000 fragments, and
// the page still fills its list within seconds. A larger file is something
// other than a list put in its place: it is not read, and the user is told,
// instead of the window freezing for minutes over it.
namespace ListFile
{
constexpr unsigned long long kMaxBytes = 2ull << 20;
constexpr char kEntrySeparator = ';';

enum class Status
{
    kDone,
    kFailed,   // cannot be opened, read or written
    kTooLarge, // larger than kMaxBytes; not read
};

// Reads the whole file (created empty when missing) unless it is too large.
Status Read(const std::string& path, std::string& text);

// The file's size; false when it cannot be asked (no such file).
bool SizeOf(const std::string& path, unsigned long long& bytes);
// True when the file is there and larger than kMaxBytes.
bool IsTooLarge(const std::string& path);
// What the user is told of a list file that was refused for its size
// (listName: "ignore list" or "white list"), and what follows from it.
std::string TooLargeMessage(const char* listName, const std::string& path, const char* consequence);

// White space around an entry. A zero byte counts as well: a file that was
// cut short by a crash is often padded with them.
inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\0';
}

// Calls entry(first, last, end) for each entry of a list's text, in order:
// [first, last) is the text before its ";" trimmed of white space, end the
// position after the ";". An empty entry ends the list, and the text after
// the last ";" is no entry.
template <typename Entry>
void ForEachEntry(const std::string& text, Entry entry)
{
    for (size_t position = 0;;)
    {
        const size_t end = text.find(kEntrySeparator, position);
        if (end == std::string::npos)
            return;
        size_t first = position;
        size_t last = end;
        while (first < last && IsBlank(text[first]))
            ++first;
        while (last > first && IsBlank(text[last - 1]))
            --last;
        if (first == last)
            return;
        entry(first, last, end + 1);
        position = end + 1;
    }
}
}
