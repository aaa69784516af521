#pragma once
#include <string>

class IniSection;

// One "name=value" line of an INI document. Made only by its section.
class IniKey
{
public:
    IniKey(const IniKey&) = delete;
    IniKey& operator=(const IniKey&) = delete;

    std::string GetName() const { return m_name; }
    std::string GetValue() const { return m_value; }
    void SetValue(const std::string& value) { m_value = value; }
    IniSection* GetSection() const { return m_section; }

private:
    friend class IniSection;
    IniKey(IniSection* section, const std::string& name) : m_section(section), m_name(name) {}

    IniSection* m_section;
    std::string m_name;
    std::string m_value;
};
