#pragma once
#include <string>

// The two lists beside the program, the ignore list "IL" and the white list
// "WL", are read whole into memory on the window thread. The program writes
// one ignore-list record per finding the user chose to ignore, a user types
// the white list by hand: either stays far below a megabyte in real use, and
// even a list of every finding of many large scans stays below 16 MB. A
// larger file is something else put in a list's place; it is refused, and
// the user told, instead of being read for minutes into gigabytes.
namespace ListFileLimit
{
constexpr unsigned long long kMaxBytes = 16ull << 20;

// The file's size; false when it cannot be asked (no such file).
bool SizeOf(const std::string& path, unsigned long long& bytes);
// True when the file is there and larger than kMaxBytes.
bool IsTooLarge(const std::string& path);
// What the user is told of a list file that was refused for its size
// (listName: "ignore list" or "white list"), and what follows from it.
std::string TooLargeMessage(const char* listName, const std::string& path, const char* consequence);
}
