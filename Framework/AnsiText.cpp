#include "Framework/AnsiText.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace AnsiText
{
void MakeLower(std::string& text)
{
    if (!text.empty())
        ::CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
}

std::string ToLower(std::string text)
{
    MakeLower(text);
    return text;
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (length > 0)
    {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        result.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return result;
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    return ::lstrcmpiA(a.c_str(), b.c_str());
}

bool IsAscii(const std::string& text)
{
    for (const unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

bool EqualsAsciiNoCase(const std::string& text, const char* name)
{
    size_t i = 0;
    for (; name[i]; ++i)
    {
        if (i >= text.size())
            return false;
        char a = text[i];
        char b = name[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return i == text.size();
}

std::string TrimmedLeft(const std::string& text, const char* characters)
{
    const size_t first = text.find_first_not_of(characters);
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string TrimmedRight(const std::string& text, const char* characters)
{
    const size_t last = text.find_last_not_of(characters);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string Trimmed(const std::string& text, const char* characters)
{
    return TrimmedLeft(TrimmedRight(text, characters), characters);
}

int ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return 0;
    int count = 0;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    {
        text.replace(at, from.size(), to);
        ++count;
    }
    return count;
}
}
