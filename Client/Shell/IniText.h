#pragma once
#include <string>

// Text helpers of the INI document. Names in an INI file compare without
// regard to the case of ASCII letters, byte for byte otherwise, so that a
// file keeps one order whatever the ANSI code page.
void IniTrim(std::string& text, const char* characters);
void IniTrimLeft(std::string& text, const char* characters);
void IniTrimRight(std::string& text, const char* characters);

// Blanks and tabs: what is cut from names.
extern const char* const kIniBlanks;

// Orders names as _stricmp does: ASCII letters folded to lower case, then
// the bytes compared as unsigned.
struct IniNameLess
{
    bool operator()(const std::string& a, const std::string& b) const;
};

// The entry of a name-ordered map of owned objects whose name equals the
// given one, trimmed of blanks; NULL when there is none.
template <class Map>
typename Map::mapped_type::element_type* FindByIniName(const Map& map, std::string name)
{
    IniTrim(name, kIniBlanks);
    const typename Map::const_iterator found = map.find(name);
    return found == map.end() ? nullptr : found->second.get();
}
