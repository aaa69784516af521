#pragma once
#include <string>

// Narrow text in the ANSI code page. std::string is the program's string
// type; these are the few operations on it that need Windows' rules.
namespace AnsiText
{
// Lower-cases by the rules of the current ANSI code page (multibyte-aware).
std::string ToLower(std::string text);
void MakeLower(std::string& text);

// printf-style formatting into a new string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Case-insensitive comparison by the rules of the ANSI code page; 0 when equal.
int CompareNoCase(const std::string& a, const std::string& b);
// Equality of a text with a name of ASCII letters, A-Z and a-z alike: for the
// fixed names of a file format, without the code page's slower rules.
bool EqualsAsciiNoCase(const std::string& text, const char* name);
// True when every byte is ASCII: the text reads the same in every code page.
bool IsAscii(const std::string& text);

std::string TrimmedLeft(const std::string& text, const char* characters = " \t\r\n");
std::string TrimmedRight(const std::string& text, const char* characters = " \t\r\n");
std::string Trimmed(const std::string& text, const char* characters = " \t\r\n");

// Replaces every occurrence of from (left to right, not overlapping); the
// number of replacements.
int ReplaceAll(std::string& text, const std::string& from, const std::string& to);
}
