#include "Client/Shell/IniSection.h"

IniKey* IniSection::FindKey(const std::string& name) const
{
    return FindByIniName(m_keys, name);
}

IniKey* IniSection::GetOrCreateKey(const std::string& name)
{
    std::string trimmed = name;
    IniTrim(trimmed, kIniBlanks);
    std::unique_ptr<IniKey>& slot = m_keys[trimmed];
    if (!slot)
        slot.reset(new IniKey(this, trimmed));
    return slot.get();
}

void IniSection::SetKeyValue(const std::string& name, const std::string& value)
{
    GetOrCreateKey(name)->SetValue(value);
}
