#include "Engine/XmlElement.h"

#include "Engine/CXmlWriter.h"

void XmlElement::SetAttribute(const std::string& name, const std::string& value)
{
    for (size_t i = 0; i < m_count; ++i)
    {
        if (m_names[i] == name)
        {
            m_values[i] = value;
            return;
        }
    }
    if (m_count < m_names.size())
    {
        m_names[m_count] = name;
        m_values[m_count] = value;
    }
    else
    {
        m_names.push_back(name);
        m_values.push_back(value);
    }
    ++m_count;
}

int XmlElement::HasAttribute(const std::string& name) const
{
    for (size_t i = 0; i < m_count; ++i)
        if (m_names[i] == name)
            return 1;
    return 0;
}

std::string XmlElement::GetAttributeName(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_count ? m_names[index] : std::string();
}

std::string XmlElement::GetAttributeValue(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_count ? m_values[index] : std::string();
}

void XmlElement::ClearAttributes()
{
    m_count = 0;
}

void XmlElement::Render(std::string& line, int level, const char* open, const char* close) const
{
    line.assign(level > 0 ? static_cast<size_t>(level) : 0, ' ');
    line += open;
    line += m_name;
    for (size_t i = 0; i < m_count; ++i)
    {
        line += ' ';
        line += m_names[i];
        line += "=\"";
        line += m_values[i];
        line += '"';
    }
    line += close;
    line += "\r\n";
}

int XmlElement::WriteStartTag(CXmlWriter& writer) const
{
    writer.SetIndent(writer.GetIndent() + 1);
    Render(m_line, writer.GetIndent(), "<", ">");
    return writer.WriteText(m_line);
}

int XmlElement::WriteEmptyTag(CXmlWriter& writer) const
{
    const int level = writer.GetIndent() + 1;
    writer.SetIndent(level);
    Render(m_line, level, "<", "/>");
    const int written = writer.WriteText(m_line);
    writer.SetIndent(level - 1);
    return written;
}

int XmlElement::WriteDeclaration(CXmlWriter& writer) const
{
    Render(m_line, writer.GetIndent(), "<?", "?>");
    return writer.WriteText(m_line);
}

int XmlElement::WriteEndTag(CXmlWriter& writer) const
{
    const int level = writer.GetIndent();
    m_line.assign(level > 0 ? static_cast<size_t>(level) : 0, ' ');
    m_line += "</";
    m_line += m_name;
    m_line += ">\r\n";
    const int written = writer.WriteText(m_line);
    writer.SetIndent(level - 1);
    return written;
}
