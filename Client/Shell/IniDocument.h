#pragma once
#include <windows.h>

#include <iosfwd>
#include <map>
#include <memory>
#include <string>

#include "Client/Shell/IniSection.h"

// An INI file held in memory: sections of keys and values, in name order
// (without regard to case). Reading a file and writing it back keeps every
// section and key, also those the program itself never reads.
class IniDocument
{
public:
    typedef std::map<std::string, std::unique_ptr<IniSection>, IniNameLess> SectionMap;

    IniDocument() = default;
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;

    IniSection* FindSection(const std::string& name) const;
    IniSection* GetOrCreateSection(const std::string& name);
    void SetValue(const std::string& section, const std::string& key, const std::string& value);
    // Empty when the section or the key is missing.
    std::string GetValue(const std::string& section, const std::string& key) const;
    void Clear() { m_sections.clear(); }
    const SectionMap& Sections() const { return m_sections; }

    // Without merge the document is emptied first.
    void Parse(std::istream& in, bool merge);
    void Write(std::ostream& out) const;
    // FALSE when the file cannot be opened; the document is then unchanged,
    // with or without merge.
    BOOL Load(const std::string& path, bool merge);
    // Clears a read-only attribute first. FALSE when the file cannot be
    // opened for writing.
    BOOL Save(const std::string& path) const;

private:
    void ParseLine(std::string line, IniSection*& current);

    SectionMap m_sections;
};
