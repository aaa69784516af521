#pragma once
#include <string>

// The two lists beside the program, the ignore list "IL" and the white list
// "WL", are read whole on the window thread, and the ignore-list page shows
// every record of "IL" as a row. The program writes one ignore-list record
// (some 100 bytes) per finding the user chose to ignore, one click each, and
// a user types the white list by hand: real lists hold tens or hundreds of
// entries. 2 MB holds some 20,000 ignored findings or 50,000 fragments, and
// the page still fills its list within seconds. A larger file is something
// other than a list put in its place: it is not read, and the user is told,
// instead of the window freezing for minutes over it.
namespace ListFileLimit
{
constexpr unsigned long long kMaxBytes = 2ull << 20;

// The file's size; false when it cannot be asked (no such file).
bool SizeOf(const std::string& path, unsigned long long& bytes);
// True when the file is there and larger than kMaxBytes.
bool IsTooLarge(const std::string& path);
// What the user is told of a list file that was refused for its size
// (listName: "ignore list" or "white list"), and what follows from it.
std::string TooLargeMessage(const char* listName, const std::string& path, const char* consequence);
}
