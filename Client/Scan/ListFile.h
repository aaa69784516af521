#pragma once
#include <string>

// What the two lists beside the program, the ignore list "IL" and the white
// list "WL", have in common: entries ended by ";", read whole.
//
// A list of any size is read, as far as the machine can hold it: the program
// itself lets "IL" grow by one record a click, and a list left unread would
// bring back, and repair, every finding the user chose to keep. Reading and
// splitting take time in proportion to the file's size.
namespace ListFile
{
constexpr char kEntrySeparator = ';';

enum class Status
{
    kDone,
    kFailed,  // cannot be opened, read or written (or held in memory)
    kDamaged, // read, but something after the last entry it took was left
              // unread: an empty entry (";;") or a last one without its ";"
};

// Reads the whole file (created empty when missing).
Status Read(const std::string& path, std::string& text);

// White space around an entry. A zero byte counts as well: a file that was
// cut short by a crash is often padded with them.
inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\0';
}

// True when the text holds something other than white space from position on.
bool HoldsMoreFrom(const std::string& text, size_t position);

// Calls entry(first, last, end) for each entry of a list's text, in order:
// [first, last) is the text before its ";" trimmed of white space, end the
// position after the ";". An empty entry ends the list, and the text after
// the last ";" is no entry. Returns where the reading stopped: after the
// last entry's ";".
template <typename Entry>
size_t ForEachEntry(const std::string& text, Entry entry)
{
    for (size_t position = 0;;)
    {
        const size_t end = text.find(kEntrySeparator, position);
        if (end == std::string::npos)
            return position;
        size_t first = position;
        size_t last = end;
        while (first < last && IsBlank(text[first]))
            ++first;
        while (last > first && IsBlank(text[last - 1]))
            --last;
        if (first == last)
            return position;
        entry(first, last, end + 1);
        position = end + 1;
    }
}
}
