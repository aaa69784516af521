// The texts of a backup file: value texts and type names, escaping, and the
// conversion between the ANSI code page and the file's UTF-8.
#include "Engine/RegistryValueText.h"

#include <cstring>

#include "Framework/AnsiText.h"

namespace
{
const char kHexDigits[] = "0123456789abcdef";
const char kExactTypePrefix[] = "REG_TYPE_";

struct TypeName
{
    DWORD type;
    const char* name;
};

// Types whose plain text form gives back their bytes, as the type attribute
// names them.
const TypeName kPlainTypeNames[] = {
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},
    {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_RESOURCE_LIST, "REG_RESOURCE_LIST"},
    {REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST"},
    {REG_QWORD, "REG_QWORD"},
};

// Names for values written as their bytes. Files of the plain forms never
// hold them, so such a value always reads back to its own type.
const TypeName kExactTypeNames[] = {
    {REG_NONE, "REG_NONE"},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
    {REG_LINK, "REG_LINK"},
    {REG_FULL_RESOURCE_DESCRIPTOR, "REG_FULL_RESOURCE_DESCRIPTOR"},
};


std::string Convert(const std::string& text, UINT from, UINT to)
{
    const int wideLength = ::MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wideLength <= 0)
        return text;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], wideLength);
    const int length = ::WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return text;
    std::string result(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(to, 0, wide.data(), wideLength, &result[0], length, nullptr, nullptr);
    return result;
}

// Whether the file's UTF-8 gives back exactly these ANSI bytes.
bool SurvivesUtf8(const std::string& text)
{
    return AnsiText::IsAscii(text) || RegistryValueText::Utf8ToAnsi(RegistryValueText::AnsiToUtf8(text)) == text;
}

// The reader joins the lines of a value with CR LF, so a lone LF would come
// back as CR LF.
bool EveryLineFeedFollowsCarriageReturn(const std::string& text)
{
    for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        if (i == 0 || text[i - 1] != '\r')
            return false;
    return true;
}

void AppendHexByte(std::string& text, BYTE byte)
{
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0x0F];
}

std::string HexBytes(const BYTE* data, DWORD length)
{
    std::string text;
    if (length == 0)
        return text;
    text.reserve(static_cast<size_t>(length) * 3);
    for (DWORD i = 0; i < length; ++i)
    {
        if (i)
            text += ' ';
        AppendHexByte(text, data[i]);
    }
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool HexPair(const std::string& text, size_t position, BYTE& byte)
{
    if (position + 1 >= text.size())
        return false;
    const int high = HexDigit(text[position]);
    const int low = HexDigit(text[position + 1]);
    if (high < 0 || low < 0)
        return false;
    byte = static_cast<BYTE>(high * 16 + low);
    return true;
}

// Byte j from the digits at 3j and 3j+1, bytes separated by one blank.
bool ParseHexBytes(const std::string& text, std::vector<BYTE>& data)
{
    if ((text.size() + 1) % 3 != 0)
        return false;
    const size_t count = (text.size() + 1) / 3;
    data.assign(count, 0);
    for (size_t j = 0; j < count; ++j)
        if (!HexPair(text, 3 * j, data[j]) || (j + 1 < count && text[3 * j + 2] != ' '))
            return false;
    return true;
}

// "0x" and the bytes most significant first; an empty text is all zeros.
// What may follow the digits is checked by the caller.
bool ParseHexNumber(const std::string& text, size_t bytes, std::vector<BYTE>& data)
{
    data.assign(bytes, 0);
    if (text.empty())
        return true;
    if (text.size() < 2 + 2 * bytes || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    for (size_t i = 0; i < bytes; ++i)
        if (!HexPair(text, 2 + 2 * i, data[bytes - 1 - i]))
            return false;
    return true;
}

// A number's text as the writer makes it: the digits, and for a 32-bit
// number optionally " (" and the same number in signed decimal and ")".
bool ParseNumber(const std::string& text, size_t bytes, std::vector<BYTE>& data)
{
    if (!ParseHexNumber(text, bytes, data))
        return false;
    const size_t digits = 2 + 2 * bytes;
    if (text.empty() || text.size() == digits)
        return true;
    if (bytes != 4)
        return false;
    LONG value = 0;
    std::memcpy(&value, data.data(), 4);
    return text.compare(digits, std::string::npos, AnsiText::Format(" (%ld)", value)) == 0;
}

bool PlainStringText(const BYTE* data, DWORD length, std::string& text)
{
    if (length == 0 || data[length - 1] != 0 || std::memchr(data, 0, length - 1))
        return false;
    text.assign(reinterpret_cast<const char*>(data), length - 1);
    return EveryLineFeedFollowsCarriageReturn(text) && SurvivesUtf8(text);
}

bool PlainMultiStringText(const BYTE* data, DWORD length, std::string& text)
{
    if (length < 3 || data[length - 1] != 0 || data[length - 2] != 0)
        return false;
    text.clear();
    for (DWORD i = 0; i + 2 < length; ++i)
    {
        const char c = static_cast<char>(data[i]);
        if (c == '\r' || c == '\n')
            return false;
        if (c)
            text += c;
        else
            text += "\r\n";
    }
    return SurvivesUtf8(text);
}

std::string PlainNumberText(const BYTE* data, size_t bytes)
{
    std::string text = "0x";
    for (size_t i = bytes; i-- > 0;)
        AppendHexByte(text, data[i]);
    if (bytes == 4)
    {
        LONG value = 0;
        std::memcpy(&value, data, 4);
        text += AnsiText::Format(" (%ld)", value);
    }
    return text;
}

// The plain text of a value when it gives back the same bytes.
bool PlainText(const BYTE* data, DWORD length, DWORD type, std::string& text)
{
    switch (type)
    {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return PlainStringText(data, length, text);
    case REG_BINARY:
    case REG_RESOURCE_LIST:
    case REG_RESOURCE_REQUIREMENTS_LIST:
        if (length == 0)
            return false;
        text = HexBytes(data, length);
        return true;
    case REG_DWORD:
        if (length != 4)
            return false;
        text = PlainNumberText(data, 4);
        return true;
    case REG_QWORD:
        if (length != 8)
            return false;
        text = PlainNumberText(data, 8);
        return true;
    case REG_MULTI_SZ:
        return PlainMultiStringText(data, length, text);
    default:
        return false;
    }
}

std::string ExactTypeName(DWORD type)
{
    for (const TypeName& entry : kExactTypeNames)
        if (entry.type == type)
            return entry.name;
    return AnsiText::Format("%s%lu", kExactTypePrefix, static_cast<unsigned long>(type));
}

bool ExactTypeFromName(const std::string& typeName, DWORD& type)
{
    for (const TypeName& entry : kExactTypeNames)
    {
        if (AnsiText::EqualsAsciiNoCase(typeName, entry.name))
        {
            type = entry.type;
            return true;
        }
    }
    const size_t prefix = sizeof(kExactTypePrefix) - 1;
    if (typeName.size() <= prefix || typeName.size() > prefix + 10 ||
        !AnsiText::EqualsAsciiNoCase(typeName.substr(0, prefix), kExactTypePrefix))
        return false;
    unsigned long long number = 0;
    for (size_t i = prefix; i < typeName.size(); ++i)
    {
        if (typeName[i] < '0' || typeName[i] > '9')
            return false;
        number = number * 10 + static_cast<unsigned>(typeName[i] - '0');
    }
    if (number > 0xFFFFFFFFull)
        return false;
    type = static_cast<DWORD>(number);
    return true;
}

struct Entity
{
    const char* text;
    size_t length;
    char plain;
};

// The five entities of XML. The writer makes only the first three.
const Entity kEntities[] = {
    {"&lt;", 4, '<'}, {"&quot;", 6, '"'}, {"&amp;", 5, '&'}, {"&gt;", 4, '>'}, {"&apos;", 6, '\''},
};

const Entity* EntityAt(const std::string& text, size_t position)
{
    for (const Entity& entity : kEntities)
        if (text.compare(position, entity.length, entity.text) == 0)
            return &entity;
    return nullptr;
}

// One pass from the start; what an entity gave is not looked at again, so
// "&amp;lt;" gives "&lt;". An "&" that begins no entity stays as it is.
std::string WithoutEntities(const std::string& text)
{
    size_t position = text.find('&');
    if (position == std::string::npos)
        return text;
    std::string plain;
    plain.reserve(text.size());
    size_t start = 0;
    for (; position != std::string::npos; position = text.find('&', start))
    {
        plain.append(text, start, position - start);
        const Entity* entity = EntityAt(text, position);
        plain += entity ? entity->plain : '&';
        start = position + (entity ? entity->length : 1);
    }
    plain.append(text, start, std::string::npos);
    return plain;
}
}

void RegistryValueText::DescribeValue(const BYTE* data, DWORD length, DWORD type, std::string& text,
                                     std::string& typeName)
{
    if (PlainText(data, length, type, text))
    {
        typeName = type == REG_SZ ? std::string() : TypeToName(type);
        return;
    }
    text = HexBytes(data, length);
    typeName = ExactTypeName(type);
}

bool RegistryValueText::ParseValue(const std::string& text, const std::string& typeName, DWORD& type,
                                  std::vector<BYTE>& data)
{
    if (!IsKnownTypeName(typeName))
        return false;
    if (ExactTypeFromName(typeName, type))
    {
        if (text.empty())
        {
            data.clear();
            return true;
        }
        return text.size() % 3 == 2 && ParseHexBytes(text, data);
    }
    type = NameToType(typeName);
    switch (type)
    {
    case REG_BINARY:
    case REG_RESOURCE_LIST:
    case REG_RESOURCE_REQUIREMENTS_LIST:
        if (text.empty())
        {
            data.assign(1, 0);
            return true;
        }
        return ParseHexBytes(text, data);
    case REG_DWORD:
        return ParseNumber(text, 4, data);
    case REG_QWORD:
        return ParseNumber(text, 8, data);
    case REG_MULTI_SZ:
        data.clear();
        if (text.empty())
        {
            data.push_back(0);
            return true;
        }
        for (const char c : text)
        {
            if (c == '\r')
                continue;
            data.push_back(c == '\n' ? 0 : static_cast<BYTE>(c));
        }
        data.push_back(0);
        data.push_back(0);
        return true;
    default:
        data.assign(text.begin(), text.end());
        data.push_back(0);
        return true;
    }
}

std::string RegistryValueText::TypeToName(DWORD type)
{
    for (const TypeName& entry : kPlainTypeNames)
        if (entry.type == type)
            return entry.name;
    if (type == REG_DWORD_BIG_ENDIAN)
        return "REG_DWORD";
    if (type == REG_LINK)
        return "REG_SZ";
    return std::string();
}

bool RegistryValueText::IsKnownTypeName(const std::string& typeName)
{
    // "" and "REG_SZ" are what earlier writers gave text values of other types.
    if (typeName.empty() || AnsiText::EqualsAsciiNoCase(typeName, "REG_SZ"))
        return true;
    DWORD type = 0;
    if (ExactTypeFromName(typeName, type))
        return true;
    for (const TypeName& entry : kPlainTypeNames)
        if (AnsiText::EqualsAsciiNoCase(typeName, entry.name))
            return true;
    return false;
}

bool RegistryValueText::IsEscapedWhole(const std::string& text)
{
    if (text.find('<') != std::string::npos)
        return false;
    for (size_t position = text.find('&'); position != std::string::npos; position = text.find('&', position + 1))
        if (!EntityAt(text, position))
            return false;
    return true;
}

DWORD RegistryValueText::NameToType(const std::string& typeName)
{
    for (const TypeName& entry : kPlainTypeNames)
        if (AnsiText::EqualsAsciiNoCase(typeName, entry.name))
            return entry.type;
    return REG_SZ;
}

std::string RegistryValueText::EscapeXml(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size() + 8);
    AppendEscapedXml(escaped, text.data(), text.size());
    return escaped;
}

void RegistryValueText::AppendEscapedXml(std::string& out, const char* text, size_t length)
{
    const size_t begin = out.size();
    bool ascii = true;
    size_t start = 0;
    for (size_t i = 0; i < length; ++i)
    {
        const char c = text[i];
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        const char* entity = c == '&' ? "&amp;" : c == '"' ? "&quot;" : c == '<' ? "&lt;" : nullptr;
        if (!entity)
            continue;
        out.append(text + start, i - start);
        out += entity;
        start = i + 1;
    }
    out.append(text + start, length - start);
    // The file is UTF-8, the registry's texts are in the ANSI code page; the
    // entities are the same in both.
    if (!ascii)
        out.replace(begin, std::string::npos, AnsiToUtf8(out.substr(begin)));
}

std::string RegistryValueText::UnescapeXml(const std::string& text)
{
    return WithoutEntities(Utf8ToAnsi(text));
}

bool RegistryValueText::UnescapeXmlExactly(const std::string& text, std::string& plain)
{
    if (!AnsiText::IsAscii(text))
    {
        const int size = static_cast<int>(text.size());
        const int wideLength = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
        if (wideLength <= 0)
            return false;
        std::wstring wide(static_cast<size_t>(wideLength), L'\0');
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, &wide[0], wideLength);
        BOOL usedDefault = FALSE;
        const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, &usedDefault);
        if (length <= 0 || usedDefault)
            return false;
        std::string ansi(static_cast<size_t>(length), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &ansi[0], length, nullptr, &usedDefault);
        // A best fit ("\u0100" as "A") is no exact spelling either.
        const int backLength = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
        std::wstring back(static_cast<size_t>(backLength > 0 ? backLength : 0), L'\0');
        if (backLength > 0)
            ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, &back[0], backLength);
        if (usedDefault || back != wide)
            return false;
        plain = WithoutEntities(ansi);
        return true;
    }
    plain = WithoutEntities(text);
    return true;
}

std::string RegistryValueText::AnsiToUtf8(const std::string& text)
{
    return AnsiText::IsAscii(text) ? text : Convert(text, CP_ACP, CP_UTF8);
}

std::string RegistryValueText::Utf8ToAnsi(const std::string& text)
{
    return AnsiText::IsAscii(text) ? text : Convert(text, CP_UTF8, CP_ACP);
}
