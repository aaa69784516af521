#pragma once
#include <map>
#include <memory>
#include <string>

#include "Client/Shell/IniKey.h"
#include "Client/Shell/IniText.h"

class IniDocument;

// One "[name]" section of an INI document and its keys, which it owns. Keys
// are kept in name order, without regard to case; the first spelling stays.
class IniSection
{
public:
    typedef std::map<std::string, std::unique_ptr<IniKey>, IniNameLess> KeyMap;

    IniSection(const IniSection&) = delete;
    IniSection& operator=(const IniSection&) = delete;

    // NULL when the (trimmed) name is not there.
    IniKey* FindKey(const std::string& name) const;
    // A missing key is added with an empty value.
    IniKey* GetOrCreateKey(const std::string& name);
    void SetKeyValue(const std::string& name, const std::string& value);

    std::string GetName() const { return m_name; }
    IniDocument* GetDocument() const { return m_document; }
    const KeyMap& Keys() const { return m_keys; }
    void Clear() { m_keys.clear(); }

private:
    friend class IniDocument;
    IniSection(IniDocument* document, const std::string& name) : m_document(document), m_name(name) {}

    IniDocument* m_document;
    std::string m_name;
    KeyMap m_keys;
};
