#include "Client/Shell/IniDocument.h"

#include <istream>
#include <ostream>
#include <sstream>

#include "Framework/CBinaryFile.h"

IniSection* IniDocument::FindSection(const std::string& name) const
{
    return FindByIniName(m_sections, name);
}

IniSection* IniDocument::GetOrCreateSection(const std::string& name)
{
    std::string trimmed = name;
    IniTrim(trimmed, kIniBlanks);
    std::unique_ptr<IniSection>& slot = m_sections[trimmed];
    if (!slot)
        slot.reset(new IniSection(this, trimmed));
    return slot.get();
}

void IniDocument::SetValue(const std::string& section, const std::string& key, const std::string& value)
{
    GetOrCreateSection(section)->SetKeyValue(key, value);
}

std::string IniDocument::GetValue(const std::string& section, const std::string& key) const
{
    const IniSection* s = FindSection(section);
    const IniKey* k = s ? s->FindKey(key) : nullptr;
    return k ? k->GetValue() : std::string();
}

void IniDocument::ParseLine(std::string line, IniSection*& current)
{
    IniTrimLeft(line, kIniBlanks);
    IniTrimRight(line, "\r\n");
    if (line.empty())
        return;

    if (line[0] == '[')
    {
        const size_t close = line.find_last_not_of(" \t\r\n");
        if (line[close] == ']' && close > 0)
        {
            current = GetOrCreateSection(line.substr(1, close - 1));
            return;
        }
    }

    // A key needs a name: an "=" in the first place makes no key. Everything
    // else without "=" is a comment, whatever it begins with.
    const size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0 || !current)
        return;
    current->SetKeyValue(line.substr(0, equals), line.substr(equals + 1));
}

void IniDocument::Parse(std::istream& in, bool merge)
{
    if (!merge)
        Clear();
    IniSection* current = nullptr;
    std::string line;
    while (std::getline(in, line))
        ParseLine(line, current);
}

void IniDocument::Write(std::ostream& out) const
{
    for (const SectionMap::value_type& section : m_sections)
    {
        out << '[' << section.second->GetName() << "]\r\n";
        for (const IniSection::KeyMap::value_type& key : section.second->Keys())
            out << key.second->GetName() << '=' << key.second->GetValue() << "\r\n";
    }
}

BOOL IniDocument::Load(const std::string& path, bool merge)
{
    CBinaryFile file;
    if (!file.Open(path, CBinaryFile::kReadExisting))
        return FALSE;
    // A read error keeps what came before it.
    std::string content;
    file.ReadAll(content);
    std::istringstream in(content);
    Parse(in, merge);
    return TRUE;
}

BOOL IniDocument::Save(const std::string& path) const
{
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ostringstream out;
    Write(out);
    // Whole or not at all: a disk that fills up half way keeps the last
    // good file instead of one cut in the middle of a line.
    return CBinaryFile::ReplaceWhole(path, out.str()) ? TRUE : FALSE;
}
