#include "Framework/DialogTemplateWalker.h"

namespace DialogTemplateWalker
{
namespace
{
constexpr size_t kExtendedVariablePart = 26;
constexpr size_t kPlainVariablePart = 18;
constexpr size_t kExtendedItemHeader = 24;
constexpr size_t kPlainItemHeader = 18;

bool Fits(const Template& t, size_t offset, size_t length)
{
    return t.data && offset <= t.size && length <= t.size - offset;
}

WORD Word(const Template& t, size_t offset)
{
    return static_cast<WORD>(t.data[offset] | (t.data[offset + 1] << 8));
}

DWORD DWord(const Template& t, size_t offset)
{
    return static_cast<DWORD>(Word(t, offset)) | (static_cast<DWORD>(Word(t, offset + 2)) << 16);
}

size_t AlignToDword(size_t offset)
{
    return (offset + 3) & ~static_cast<size_t>(3);
}

// Skips a menu, class or title field: 0, 0xFFFF + ordinal, or a string.
// Returns 0 when the field runs past the end.
size_t SkipField(const Template& t, size_t offset)
{
    if (!Fits(t, offset, 2))
        return 0;
    const WORD first = Word(t, offset);
    if (first == 0)
        return offset + 2;
    if (first == 0xFFFF)
        return Fits(t, offset, 4) ? offset + 4 : 0;
    for (size_t at = offset; Fits(t, at, 2); at += 2)
    {
        if (Word(t, at) == 0)
            return at + 2;
    }
    return 0;
}

bool ReadString(const Template& t, size_t offset, std::wstring* out, size_t* end)
{
    out->clear();
    for (size_t at = offset; Fits(t, at, 2); at += 2)
    {
        const WORD c = Word(t, at);
        if (c == 0)
        {
            *end = at + 2;
            return true;
        }
        out->push_back(static_cast<wchar_t>(c));
    }
    return false;
}

void ReadClass(const Template& t, size_t offset, Item* out)
{
    out->classOrdinal = 0;
    out->className.clear();
    if (Fits(t, offset, 4) && Word(t, offset) == 0xFFFF)
    {
        out->classOrdinal = Word(t, offset + 2);
        return;
    }
    size_t end = 0;
    if (!ReadString(t, offset, &out->className, &end))
        out->className.clear();
}

// The offset just past the title, where the font fields (if any) begin.
size_t FontFieldsOffset(const Template& t)
{
    size_t at = IsExtended(t) ? kExtendedVariablePart : kPlainVariablePart;
    for (int field = 0; field < 3 && at; ++field)
        at = SkipField(t, at);
    return at;
}

DWORD StyleOf(const Template& t)
{
    return IsExtended(t) ? DWord(t, 12) : DWord(t, 0);
}
}

Template Load(HMODULE module, int templateId)
{
    Template t;
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(templateId & 0xFFFF), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!resource)
        return t;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        return t;
    t.data = static_cast<const BYTE*>(data);
    t.size = ::SizeofResource(module, resource);
    return t;
}

bool IsExtended(const Template& t)
{
    return Fits(t, 0, 4) && Word(t, 2) == 0xFFFF;
}

int ItemCount(const Template& t)
{
    if (IsExtended(t))
        return Fits(t, 16, 2) ? Word(t, 16) : 0;
    return Fits(t, 8, 2) ? Word(t, 8) : 0;
}

bool ReadHeader(const Template& t, Header* header)
{
    const bool extended = IsExtended(t);
    const size_t base = extended ? 16 : 8;
    if (!Fits(t, 0, extended ? kExtendedVariablePart : kPlainVariablePart))
        return false;
    header->style = extended ? DWord(t, 12) : DWord(t, 0);
    header->exStyle = extended ? DWord(t, 8) : DWord(t, 4);
    header->itemCount = Word(t, base);
    header->x = static_cast<short>(Word(t, base + 2));
    header->y = static_cast<short>(Word(t, base + 4));
    header->cx = static_cast<short>(Word(t, base + 6));
    header->cy = static_cast<short>(Word(t, base + 8));
    const size_t menu = extended ? kExtendedVariablePart : kPlainVariablePart;
    header->hasMenu = Fits(t, menu, 2) && Word(t, menu) != 0;
    return true;
}

bool ReadFont(const Template& t, FontInfo* font)
{
    *font = FontInfo();
    if (!Fits(t, 0, 4) || !(StyleOf(t) & DS_SETFONT))
        return true;
    size_t at = FontFieldsOffset(t);
    if (!at || !Fits(t, at, 2))
        return false;
    font->pointSize = Word(t, at);
    at += 2;
    if (IsExtended(t))
    {
        if (!Fits(t, at, 4))
            return false;
        font->weight = Word(t, at);
        font->italic = t.data[at + 2];
        at += 4;
    }
    size_t end = 0;
    if (!ReadString(t, at, &font->faceName, &end))
        return false;
    font->present = true;
    return true;
}

size_t FirstItem(const Template& t)
{
    if (!Fits(t, 0, 4))
        return 0;
    size_t at = FontFieldsOffset(t);
    if (!at)
        return 0;
    if (StyleOf(t) & DS_SETFONT)
    {
        at += IsExtended(t) ? 6 : 2;
        std::wstring face;
        size_t end = 0;
        if (!ReadString(t, at, &face, &end))
            return 0;
        at = end;
    }
    at = AlignToDword(at);
    return Fits(t, at, IsExtended(t) ? kExtendedItemHeader : kPlainItemHeader) ? at : 0;
}

size_t NextItem(const Template& t, size_t item, bool extended)
{
    const size_t header = extended ? kExtendedItemHeader : kPlainItemHeader;
    if (!item || !Fits(t, item, header))
        return 0;
    size_t at = SkipField(t, item + header);  // class
    if (at)
        at = SkipField(t, at);  // title
    if (!at || !Fits(t, at, 2))
        return 0;
    const WORD extra = Word(t, at);
    at += 2;
    // A plain template's creation-data word counts itself.
    if (extra)
        at += extended ? extra : static_cast<size_t>(extra >= 2 ? extra - 2 : 0);
    at = AlignToDword(at);
    return Fits(t, at, header) ? at : 0;
}

bool ReadItem(const Template& t, size_t item, bool extended, Item* out)
{
    if (!item || !Fits(t, item, extended ? kExtendedItemHeader : kPlainItemHeader))
        return false;
    if (extended)
    {
        out->exStyle = DWord(t, item + 4);
        out->style = DWord(t, item + 8);
        item += 12;
    }
    else
    {
        out->style = DWord(t, item);
        out->exStyle = DWord(t, item + 4);
        item += 8;
    }
    out->x = static_cast<short>(Word(t, item));
    out->y = static_cast<short>(Word(t, item + 2));
    out->cx = static_cast<short>(Word(t, item + 4));
    out->cy = static_cast<short>(Word(t, item + 6));
    out->id = extended ? DWord(t, item + 8) : Word(t, item + 8);
    ReadClass(t, item + (extended ? 12 : 10), out);
    return true;
}
}
