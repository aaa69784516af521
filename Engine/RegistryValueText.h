#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The texts of a backup file, apart from any file or registry: the value
// text and type name of each registry value, the escaping of attribute
// values, and the conversion between the ANSI code page and the file's UTF-8.
namespace RegistryValueText
{
// How one value is written: the value text and the "type" attribute.
// Values the plain forms give back exactly keep them; every other value
// (REG_NONE, REG_LINK, big-endian and unknown types, empty data, strings
// with inner zeros or without their terminator, numbers of another
// length ...) is written as its bytes under a type name of its own.
void DescribeValue(const BYTE* data, DWORD length, DWORD type, std::string& text, std::string& typeName);
// The reverse: false when the type name is none a writer makes or the text
// is not exactly the form the writer gives a value of that type.
bool ParseValue(const std::string& text, const std::string& typeName, DWORD& type, std::vector<BYTE>& data);
// A type name that this writer or an earlier one puts in a file.
bool IsKnownTypeName(const std::string& typeName);
// An attribute value as the writer escapes it: no "<", and every "&" begins
// one of the five entities of XML.
bool IsEscapedWhole(const std::string& text);
// The plain type names: "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD" ...
std::string TypeToName(DWORD type);
DWORD NameToType(const std::string& typeName);
// A text as an attribute value of the file: its "&", '"' and "<" as
// entities, in UTF-8.
std::string EscapeXml(const std::string& text);
// The same appended to out, without a text of its own where the text is
// ASCII: a full backup escapes every name and value it writes.
void AppendEscapedXml(std::string& out, const char* text, size_t length);
std::string UnescapeXml(const std::string& text);
// As UnescapeXml, but false (plain unchanged) when the text is not valid
// UTF-8 or holds a character that the ANSI code page cannot spell: such a
// text would come back with "?" in it.
bool UnescapeXmlExactly(const std::string& text, std::string& plain);
std::string AnsiToUtf8(const std::string& text);
std::string Utf8ToAnsi(const std::string& text);
}
