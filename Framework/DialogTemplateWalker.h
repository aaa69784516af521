#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// Small routines over a dialog template in memory (DLGTEMPLATE or
// DLGTEMPLATEEX and their items). Every read is bounded by the template's
// size: a routine that would read past the end answers "none".
namespace DialogTemplateWalker
{
struct Template
{
    const BYTE* data = nullptr;
    size_t size = 0;
};

// The font a template asks for (DS_SETFONT), as read from it.
struct FontInfo
{
    bool present = false;
    int pointSize = 0;  // the 16-bit field as read, not yet sign-corrected
    int weight = 0;
    int italic = 0;
    std::wstring faceName;
};

// The header fields the rescaling needs.
struct Header
{
    DWORD style = 0;
    DWORD exStyle = 0;
    int itemCount = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    bool hasMenu = false;
};

// One control of the template.
struct Item
{
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;  // 32 bits in an extended template, 16 in a plain one
    // The class: a system class's ordinal (0x80 button ... 0x85 combo box),
    // or 0 and the class's name; 0 and no name when the template ends
    // inside the field.
    WORD classOrdinal = 0;
    std::wstring className;
};

// The template of a dialog resource of module; data null when it cannot be
// had.
Template Load(HMODULE module, int templateId);
bool IsExtended(const Template& t);
int ItemCount(const Template& t);
bool ReadHeader(const Template& t, Header* header);
bool ReadFont(const Template& t, FontInfo* font);
// Offsets of items inside the template; 0 = none.
size_t FirstItem(const Template& t);
size_t NextItem(const Template& t, size_t item, bool extended);
bool ReadItem(const Template& t, size_t item, bool extended, Item* out);
}
