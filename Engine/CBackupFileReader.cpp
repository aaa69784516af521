#include "Engine/CBackupFileReader.h"

#include "Engine/CXmlReader.h"
#include "Engine/RegistryKeyPath.h"
#include "Engine/RegistryValueText.h"
#include "Framework/AnsiText.h"

namespace
{
const char kViewAttribute[] = "view";
const char kView64[] = "64";
// Windows nests keys at most this deep.
const size_t kMaxKeyDepth = 512;

bool IsElement(const std::string& name, const char* element)
{
    return AnsiText::CompareNoCase(name, element) == 0;
}

bool IsBlankText(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}
}

int CBackupFileReader::Read(const std::string& path, CBackupFileSink* sink)
{
    m_sink = sink;
    m_open.clear();
    m_keyDepth = 0;
    m_rootClosed = false;
    m_declarationAllowed = true;
    m_inDeclaration = false;
    m_ok = true;

    CXmlReader reader;
    reader.SetShowErrors(1);
    reader.SetFileName(path);
    bool read = false;
    try
    {
        read = ReadAll(reader);
    }
    catch (...)
    {
        read = false;
    }
    reader.Close();
    m_open.clear();
    return read ? 1 : 0;
}

bool CBackupFileReader::ReadAll(CXmlReader& reader)
{
    while (m_ok && reader.ReadNode())
    {
        // A ">" ends the start tag that is open.
        if (m_inDeclaration && !reader.IsInTag())
            m_inDeclaration = false;
        if (!m_open.empty() && m_open.back().startTagOpen && !reader.IsInTag())
        {
            EndStartTag(reader, false);
            if (!m_ok)
                break;
        }
        switch (reader.GetNodeType())
        {
        case kXmlDeclaration:
            OnDeclaration(reader);
            break;
        case kXmlComment:
            if (m_rootClosed)
                Fail(reader, "Content after the root element");
            break;
        case kXmlCData:
            Fail(reader, "Unexpected text");
            break;
        case kXmlText:
            if (!IsBlankText(reader.GetText()))
                Fail(reader, m_rootClosed ? "Content after the root element" : "Unexpected text");
            break;
        case kXmlStartTag:
            OnStartTag(reader);
            break;
        case kXmlAttribute:
            OnAttribute(reader);
            break;
        case kXmlEndTag:
            OnEndTag(reader);
            break;
        default:
            break;
        }
        if (m_sink)
            m_sink->OnNode();
    }
    if (!m_ok || !reader.GetErrorText().empty() || !reader.IsOpen())
        return false;
    if (!m_rootClosed)
    {
        reader.ReportError("Unexpected end of file");
        return false;
    }
    return true;
}

void CBackupFileReader::Fail(CXmlReader& reader, const std::string& reason)
{
    reader.ReportError(reason);
    m_ok = false;
}

void CBackupFileReader::OnDeclaration(CXmlReader& reader)
{
    if (!m_declarationAllowed || reader.GetInstruction() != "?xml")
        return Fail(reader, "Unexpected declaration");
    m_declarationAllowed = false;
    m_inDeclaration = true;
}

bool CBackupFileReader::MayHold(Element kind) const
{
    if (m_open.empty())
        return kind == kElementRegistry && !m_rootClosed;
    switch (m_open.back().kind)
    {
    case kElementRegistry:
        return kind == kElementKey;
    case kElementKey:
        return kind != kElementRegistry;
    default:
        return false;
    }
}

void CBackupFileReader::OnStartTag(CXmlReader& reader)
{
    m_declarationAllowed = false;
    const std::string& name = reader.GetName();
    Element kind = kElementRegistry;
    if (m_rootClosed)
        return Fail(reader, "Content after the root element");
    if (IsElement(name, "k"))
        kind = kElementKey;
    else if (IsElement(name, "v"))
        kind = kElementValue;
    else if (!IsElement(name, "registry"))
        return Fail(reader, "Unknown element '" + name + "'");
    if (!MayHold(kind))
        return Fail(reader, "Unexpected element '" + name + "'");
    if (kind == kElementKey && m_keyDepth >= kMaxKeyDepth)
        return Fail(reader, "Keys nested too deeply");
    m_open.emplace_back();
    m_open.back().kind = kind;
}

void CBackupFileReader::OnAttribute(CXmlReader& reader)
{
    const std::string& name = reader.GetAttributeName();
    if (m_inDeclaration)
    {
        if (name != "version" && name != "encoding" && name != "standalone")
            Fail(reader, "Unknown attribute '" + name + "'");
        return;
    }
    if (m_open.empty() || !m_open.back().startTagOpen)
        return Fail(reader, "Unexpected attribute '" + name + "'");
    OpenElement& element = m_open.back();
    const bool known = element.kind == kElementRegistry ? name == kViewAttribute
                       : element.kind == kElementKey    ? name == "name"
                                                        : name == "name" || name == "value" || name == "type";
    if (!known)
        return Fail(reader, "Unknown attribute '" + name + "'");
    if (!element.attributes.emplace(name, reader.GetAttributeValue()).second)
        Fail(reader, "Repeated attribute '" + name + "'");
}

void CBackupFileReader::OnEndTag(CXmlReader& reader)
{
    if (reader.IsEmptyElementEnd())
    {
        if (m_open.empty() || !m_open.back().startTagOpen)
            return Fail(reader, "Unexpected '/'");
        EndStartTag(reader, true);
        if (m_ok)
            EndElement();
        return;
    }
    const std::string& name = reader.GetName();
    if (m_open.empty())
        return Fail(reader, m_rootClosed ? "Content after the root element" : "Unexpected end tag '" + name + "'");
    const Element open = m_open.back().kind;
    if ((open == kElementKey && IsElement(name, "k")) || (open == kElementRegistry && IsElement(name, "registry")))
        return EndElement();
    if (open == kElementKey && IsElement(name, "registry"))
        return Fail(reader, "Element 'k' not closed");
    Fail(reader, "Unexpected end tag '" + name + "'");
}

void CBackupFileReader::EndStartTag(CXmlReader& reader, bool emptyElement)
{
    OpenElement& element = m_open.back();
    element.startTagOpen = false;
    const auto attribute = [&element](const char* name) -> const std::string* {
        const auto found = element.attributes.find(name);
        return found == element.attributes.end() ? nullptr : &found->second;
    };
    switch (element.kind)
    {
    case kElementRegistry:
        if (const std::string* view = attribute(kViewAttribute))
        {
            if (*view != kView64)
                return Fail(reader, "Unknown view '" + *view + "'");
            if (m_sink)
                m_sink->OnView64();
        }
        return;
    case kElementValue:
    {
        if (!emptyElement)
            return Fail(reader, "Element 'v' must be empty");
        const std::string* name = attribute("name");
        const std::string* value = attribute("value");
        if (!name)
            return Fail(reader, "Missing attribute 'name'");
        if (!value)
            return Fail(reader, "Missing attribute 'value'");
        if (!m_sink)
            return;
        std::string plainName;
        std::string plainText;
        std::string typeName;
        const std::string* type = attribute("type");
        const bool exact = RegistryValueText::UnescapeXmlExactly(*name, plainName) &&
                           RegistryValueText::UnescapeXmlExactly(*value, plainText) &&
                           (!type || RegistryValueText::UnescapeXmlExactly(*type, typeName));
        m_sink->OnValue(plainName, plainText, typeName, exact);
        return;
    }
    case kElementKey:
        return EndKeyStartTag(reader, element);
    }
}

void CBackupFileReader::EndKeyStartTag(CXmlReader& reader, const OpenElement& element)
{
    const auto found = element.attributes.find("name");
    if (found == element.attributes.end())
        return Fail(reader, "Missing attribute 'name'");
    std::string name;
    const bool exact = RegistryValueText::UnescapeXmlExactly(found->second, name);
    if (exact && name.empty())
        return Fail(reader, "Empty key name");
    if (exact && name.find('\\') != std::string::npos)
        return Fail(reader, "Key name with a backslash");
    if (m_keyDepth == 0 && (!exact || !RegistryKeyPath::RootFromName(name)))
        return Fail(reader, "Unknown root key");
    ++m_keyDepth;
    // A key the sink cannot take ends the read, without a message.
    if (m_sink && !m_sink->OnKeyStart(name, exact))
        m_ok = false;
}

void CBackupFileReader::EndElement()
{
    switch (m_open.back().kind)
    {
    case kElementKey:
        --m_keyDepth;
        if (m_sink)
            m_sink->OnKeyEnd();
        break;
    case kElementRegistry:
        m_rootClosed = true;
        break;
    default:
        break;
    }
    m_open.pop_back();
}
