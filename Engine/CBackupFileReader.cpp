#include "Engine/CBackupFileReader.h"

#include "Engine/BackupViewMark.h"
#include "Engine/CXmlReader.h"
#include "Engine/CXmlWriter.h"
#include "Engine/RegistryKeyPath.h"
#include "Engine/RegistryValueText.h"
#include "Framework/AnsiText.h"

namespace
{
// Off only in tests, to read a file as a program that knows no view mark.
bool g_viewMarksKnown = true;
// Windows nests keys at most this deep.
const size_t kMaxKeyDepth = 512;

enum Attribute : unsigned
{
    kAttributeName = 1,
    kAttributeValue = 2,
    kAttributeType = 4,
    kAttributeView = 8,
};

bool IsBlankText(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// The checksum a comment states, when the comment that begins at start is
// exactly the writer's checksum comment. Found wherever it stands in its
// line, so that a file whose line ends were lost is still checked.
bool StatedChecksum(const std::string& line, size_t start, uint32_t& checksum)
{
    static const char kPrefix[] = "<!-- crc32 ";
    const size_t prefix = sizeof(kPrefix) - 1;
    if (line.size() < start + prefix + 12 || line.compare(start, prefix, kPrefix) != 0)
        return false;
    unsigned long value = 0;
    for (size_t i = start + prefix; i < start + prefix + 8; ++i)
    {
        const char c = line[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<unsigned long>(digit);
    }
    checksum = static_cast<uint32_t>(value);
    const std::string comment = CXmlWriter::ChecksumComment(checksum);
    return line.compare(start, comment.size(), comment) == 0;
}

// A comment whose words begin as the checksum's do ("crc" in any case).
bool BeginsLikeChecksum(const std::string& line, size_t start)
{
    size_t at = line.find_first_not_of(" \t", start + 4);
    if (at == std::string::npos || line.size() < at + 3)
        return false;
    return AnsiText::EqualsAsciiNoCase(line.substr(at, 3), "crc");
}
}

void CBackupFileReader::SetViewMarksKnown(bool known)
{
    g_viewMarksKnown = known;
}

int CBackupFileReader::Read(const std::string& path, CBackupFileSink* sink)
{
    m_sink = sink;
    m_depth = 0;
    m_keyDepth = 0;
    m_rootClosed = false;
    m_declarationAllowed = true;
    m_inDeclaration = false;
    m_checksummed = false;
    m_nativeView = false;
    m_viewSuffixSeen = false;
    m_ok = true;
    m_error.clear();

    CXmlReader reader;
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
    m_error = reader.GetErrorText();
    reader.Close();
    m_depth = 0;
    return read ? 1 : 0;
}

bool CBackupFileReader::ReadAll(CXmlReader& reader)
{
    while (m_ok && reader.ReadNode())
    {
        // A ">" ends the start tag that is open.
        if (m_inDeclaration && !reader.IsInTag())
            m_inDeclaration = false;
        if (m_depth && Top().startTagOpen && !reader.IsInTag())
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
            OnComment(reader);
            break;
        case kXmlCData:
            Fail(reader, "Unexpected text");
            break;
        case kXmlText:
            if (!IsBlankText(reader.GetText()))
                Fail(reader, m_rootClosed || m_checksummed ? LateContent() : "Unexpected text");
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
    // Roots spelt for the native view came with the checksum: such a file
    // without one lost its checksum line.
    if (m_viewSuffixSeen && !m_checksummed)
    {
        reader.ReportError("Missing checksum");
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

const char* CBackupFileReader::LateContent() const
{
    return m_rootClosed ? "Content after the root element" : "Content after the checksum";
}

void CBackupFileReader::OnComment(CXmlReader& reader)
{
    if (m_rootClosed || m_checksummed)
        return Fail(reader, LateContent());
    if (!reader.IsCommentStart())
        return;
    const std::string& line = reader.GetCurrentLine();
    const size_t start = reader.GetCommentStart();
    const bool directlyInRoot = m_depth == 1 && Top().kind == kElementRegistry && !Top().startTagOpen;
    uint32_t stated = 0;
    if (!StatedChecksum(line, start, stated))
    {
        // The writer makes no comment but its checksum, and puts that
        // directly in the root. Any other there, or one that begins as the
        // checksum does, is that line damaged; taken for a note, it would
        // let the file pass for an older one and restore it unchecked.
        if (BeginsLikeChecksum(line, start))
            return Fail(reader, "Damaged checksum");
        if (directlyInRoot)
            return Fail(reader, "Unexpected comment");
        return;
    }
    // Anywhere but directly inside the root it is no checksum of this file.
    if (!directlyInRoot)
        return Fail(reader, "Unexpected checksum");
    if (stated != reader.GetChecksumBefore(start))
        return Fail(reader, "The checksum does not match the content");
    m_checksummed = true;
}

bool CBackupFileReader::MayHold(Element kind) const
{
    if (!m_depth)
        return kind == kElementRegistry && !m_rootClosed;
    switch (m_open[m_depth - 1].kind)
    {
    case kElementRegistry:
        return kind == kElementKey;
    case kElementKey:
        return kind != kElementRegistry;
    default:
        return false;
    }
}

CBackupFileReader::OpenElement& CBackupFileReader::Push(Element kind)
{
    if (m_depth == m_open.size())
        m_open.emplace_back();
    OpenElement& element = m_open[m_depth++];
    element.kind = kind;
    element.startTagOpen = true;
    element.seen = 0;
    return element;
}

void CBackupFileReader::OnStartTag(CXmlReader& reader)
{
    m_declarationAllowed = false;
    const std::string& name = reader.GetName();
    Element kind = kElementRegistry;
    if (m_rootClosed || m_checksummed)
        return Fail(reader, LateContent());
    if (AnsiText::EqualsAsciiNoCase(name, "k"))
        kind = kElementKey;
    else if (AnsiText::EqualsAsciiNoCase(name, "v"))
        kind = kElementValue;
    else if (!AnsiText::EqualsAsciiNoCase(name, "registry"))
        return Fail(reader, "Unknown element '" + name + "'");
    if (!MayHold(kind))
        return Fail(reader, "Unexpected element '" + name + "'");
    if (kind == kElementKey && m_keyDepth >= kMaxKeyDepth)
        return Fail(reader, "Keys nested too deeply");
    Push(kind);
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
    if (!m_depth || !Top().startTagOpen)
        return Fail(reader, "Unexpected attribute '" + name + "'");
    OpenElement& element = Top();
    unsigned attribute = 0;
    std::string* slot = nullptr;
    if (element.kind == kElementRegistry && name == BackupViewMark::kAttribute)
    {
        attribute = kAttributeView;
        slot = &element.view;
    }
    else if (element.kind != kElementRegistry && name == "name")
    {
        attribute = kAttributeName;
        slot = &element.name;
    }
    else if (element.kind == kElementValue && name == "value")
    {
        attribute = kAttributeValue;
        slot = &element.value;
    }
    else if (element.kind == kElementValue && name == "type")
    {
        attribute = kAttributeType;
        slot = &element.type;
    }
    if (!slot)
        return Fail(reader, "Unknown attribute '" + name + "'");
    if (element.seen & attribute)
        return Fail(reader, "Repeated attribute '" + name + "'");
    // The writer escapes "&" always: any other is damage.
    if (!RegistryValueText::IsEscapedWhole(reader.GetAttributeValue()))
        return Fail(reader, "Unknown entity in attribute '" + name + "'");
    element.seen |= attribute;
    *slot = reader.GetAttributeValue();
}

void CBackupFileReader::OnEndTag(CXmlReader& reader)
{
    if (reader.IsEmptyElementEnd())
    {
        if (!m_depth || !Top().startTagOpen)
            return Fail(reader, "Unexpected '/'");
        EndStartTag(reader, true);
        if (m_ok)
            EndElement();
        return;
    }
    const std::string& name = reader.GetName();
    if (!m_depth)
        return Fail(reader, m_rootClosed ? "Content after the root element" : "Unexpected end tag '" + name + "'");
    const Element open = Top().kind;
    if ((open == kElementKey && AnsiText::EqualsAsciiNoCase(name, "k")) ||
        (open == kElementRegistry && AnsiText::EqualsAsciiNoCase(name, "registry")))
        return EndElement();
    if (open == kElementKey && AnsiText::EqualsAsciiNoCase(name, "registry"))
        return Fail(reader, "Element 'k' not closed");
    Fail(reader, "Unexpected end tag '" + name + "'");
}

void CBackupFileReader::EndStartTag(CXmlReader& reader, bool emptyElement)
{
    OpenElement& element = Top();
    element.startTagOpen = false;
    switch (element.kind)
    {
    case kElementRegistry:
        // A program that knows no view mark ignores the attribute.
        if ((element.seen & kAttributeView) && g_viewMarksKnown)
        {
            if (element.view != BackupViewMark::kNativeView)
                return Fail(reader, "Unknown view '" + element.view + "'");
            m_nativeView = true;
            if (m_sink)
                m_sink->OnView64();
        }
        return;
    case kElementValue:
        if (!emptyElement)
            return Fail(reader, "Element 'v' must be empty");
        return EndValueStartTag(reader, element);
    case kElementKey:
        return EndKeyStartTag(reader, element);
    }
}

void CBackupFileReader::EndValueStartTag(CXmlReader& reader, const OpenElement& element)
{
    if (!(element.seen & kAttributeName))
        return Fail(reader, "Missing attribute 'name'");
    if (!(element.seen & kAttributeValue))
        return Fail(reader, "Missing attribute 'value'");
    const bool exact = RegistryValueText::UnescapeXmlExactly(element.name, m_plainName) &&
                       RegistryValueText::UnescapeXmlExactly(element.value, m_plainText);
    if (!exact)
    {
        m_plainName = RegistryValueText::UnescapeXml(element.name);
        m_plainText = RegistryValueText::UnescapeXml(element.value);
    }
    m_plainType = element.seen & kAttributeType ? RegistryValueText::UnescapeXml(element.type) : std::string();
    if (!RegistryValueText::IsKnownTypeName(m_plainType))
        return Fail(reader, "Unknown type '" + m_plainType + "'");
    DWORD type = REG_SZ;
    // A text that its type does not read exactly is refused with the file:
    // a number or bytes that lost a digit must not be written as others.
    if (!RegistryValueText::ParseValue(m_plainText, m_plainType, type, m_data))
        return Fail(reader, "Bad text of value '" + m_plainName + "'");
    if (m_sink)
        m_sink->OnValue(m_plainName, type, m_data, exact);
}

void CBackupFileReader::EndKeyStartTag(CXmlReader& reader, const OpenElement& element)
{
    if (!(element.seen & kAttributeName))
        return Fail(reader, "Missing attribute 'name'");
    std::string& name = m_plainName;
    const bool exact = RegistryValueText::UnescapeXmlExactly(element.name, name);
    if (!exact)
        name = RegistryValueText::UnescapeXml(element.name);
    if (exact && name.empty())
        return Fail(reader, "Empty key name");
    if (exact && name.find('\\') != std::string::npos)
        return Fail(reader, "Key name with a backslash");
    // A file of the native view spells its roots with the view's suffix
    // (files of earlier versions have the mark on the root element only).
    if (m_keyDepth == 0 && exact && m_nativeView && BackupViewMark::StripRootSuffix(name))
        m_viewSuffixSeen = true;
    if (m_keyDepth == 0 && (!exact || !RegistryKeyPath::RootFromName(name)))
        return Fail(reader, "Unknown root key");
    ++m_keyDepth;
    if (m_sink)
        m_sink->OnKeyStart(name, exact);
}

void CBackupFileReader::EndElement()
{
    switch (Top().kind)
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
    --m_depth;
}
