#include "Client/Shell/IniDocument.h"

#include <istream>
#include <ostream>
#include <sstream>

#include "Framework/CHandle.h"

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

namespace
{
// Reads what can be read; a read error keeps what came before it.
std::string ReadWholeFile(HANDLE file)
{
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        content.append(buffer, got);
    return content;
}
}

BOOL IniDocument::Load(const std::string& path, bool merge)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return FALSE;
    std::istringstream in(ReadWholeFile(file.Get()));
    Parse(in, merge);
    return TRUE;
}

BOOL IniDocument::Save(const std::string& path) const
{
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    CHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return FALSE;
    std::ostringstream out;
    Write(out);
    const std::string text = out.str();
    DWORD written = 0;
    return ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}
