#pragma once
#include <string>
#include <vector>

class CXmlWriter;

// One element of a backup file: a name and its attributes in the order they
// were first set. It renders itself as one line for a CXmlWriter; values are
// written exactly as stored (the caller escapes them).
class XmlElement
{
public:
    XmlElement() = default;
    explicit XmlElement(std::string name) : m_name(std::move(name)) {}

    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }

    // Replaces the value of an attribute of exactly this name, or appends it.
    void SetAttribute(const std::string& name, const std::string& value);
    int HasAttribute(const std::string& name) const;
    int GetAttributeCount() const { return static_cast<int>(m_names.size()); }
    // An empty text for an index outside the list.
    std::string GetAttributeName(int index) const;
    std::string GetAttributeValue(int index) const;
    // Empties the attribute list but keeps its storage, so that one element
    // can render many lines without allocating for each.
    void ClearAttributes();

    // Each returns what the writer's WriteText returned.
    int WriteStartTag(CXmlWriter& writer) const;
    int WriteEmptyTag(CXmlWriter& writer) const;
    int WriteDeclaration(CXmlWriter& writer) const;
    int WriteEndTag(CXmlWriter& writer) const;

private:
    void Render(std::string& line, int level, const char* open, const char* close) const;

    std::string m_name;
    std::vector<std::string> m_names;
    std::vector<std::string> m_values;
    size_t m_count = 0; // attributes in use; the vectors may hold more storage
    mutable std::string m_line;
};
