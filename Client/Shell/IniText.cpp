#include "Client/Shell/IniText.h"

const char* const kIniBlanks = " \t";

void IniTrimRight(std::string& text, const char* characters)
{
    const size_t last = text.find_last_not_of(characters);
    text.erase(last == std::string::npos ? 0 : last + 1);
}

void IniTrimLeft(std::string& text, const char* characters)
{
    text.erase(0, text.find_first_not_of(characters));
}

void IniTrim(std::string& text, const char* characters)
{
    IniTrimRight(text, characters);
    IniTrimLeft(text, characters);
}

namespace
{
unsigned char FoldAscii(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}
}

bool IniNameLess::operator()(const std::string& a, const std::string& b) const
{
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i)
    {
        const unsigned char x = FoldAscii(a[i]);
        const unsigned char y = FoldAscii(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}
