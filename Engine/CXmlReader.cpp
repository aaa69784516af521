#include "Engine/CXmlReader.h"

#include <windows.h>

#include <cstring>

#include "Framework/AnsiText.h"

namespace
{
const size_t kChunkSize = 256 * 1024;
// No line or value the writer makes comes near this; a damaged file (its
// line ends lost) must not fill the memory.
const size_t kMaxLineBytes = 64u * 1024 * 1024;

bool IsBlank(char c)
{
    return c == ' ' || c == '\n' || c == '\r';
}

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

bool IsNameCharacter(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// An XML name: a letter, "_" or ":" and then name characters.
bool IsName(const std::string& text, size_t start)
{
    if (start >= text.size() || !IsNameStart(text[start]))
        return false;
    for (size_t i = start + 1; i < text.size(); ++i)
        if (!IsNameCharacter(text[i]))
            return false;
    return true;
}
}

CXmlReader::CXmlReader()
{
}

CXmlReader::~CXmlReader()
{
}

int CXmlReader::SetFileName(const std::string& fileName)
{
    if (!m_bOpen)
        m_strFileName = fileName;
    return 1;
}

void CXmlReader::GetAttribute(std::string& name, std::string& value) const
{
    name = m_strAttributeName;
    value = m_strAttributeValue;
}

int CXmlReader::Close()
{
    m_file.Close();
    m_bOpen = 0;
    m_bStarted = false;
    m_bFinished = false;
    return 1;
}

bool CXmlReader::OpenFile()
{
    m_nPosition = -1;
    m_nLineNumber = 0;
    m_bInTag = m_bInValue = m_bInComment = m_bInCData = m_bInText = false;
    m_bAttributeNamed = false;
    m_quote = 0;
    m_strError.clear();
    m_strName.clear();
    m_strText.clear();
    m_strAttributeName.clear();
    m_strAttributeValue.clear();
    m_strInstruction.clear();
    m_chunkPosition = m_chunkLength = 0;
    m_bEndOfFile = false;
    m_bEmptyElementEnd = false;
    m_bLineTooLong = false;
    m_checksum.Reset();
    m_checksumBeforeLine.Reset();

    m_file.Attach(::CreateFileA(m_strFileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    m_bOpen = m_file ? 1 : 0;
    if (m_bOpen && m_chunk.size() < kChunkSize)
        m_chunk.resize(kChunkSize);
    return m_bOpen != 0;
}

bool CXmlReader::ReadLine()
{
    m_strLine.clear();
    m_checksumBeforeLine = m_checksum;
    bool gotBytes = false;
    for (;;)
    {
        if (m_chunkPosition >= m_chunkLength)
        {
            if (m_bEndOfFile)
                break;
            DWORD got = 0;
            if (!::ReadFile(m_file.Get(), m_chunk.data(), static_cast<DWORD>(m_chunk.size()), &got, nullptr) ||
                got == 0)
            {
                m_bEndOfFile = true;
                break;
            }
            m_chunkLength = got;
            m_chunkPosition = 0;
        }
        const char* begin = m_chunk.data() + m_chunkPosition;
        const size_t available = m_chunkLength - m_chunkPosition;
        if (m_strLine.size() + available > kMaxLineBytes + kChunkSize)
        {
            m_bLineTooLong = true;
            return false;
        }
        const char* lineFeed = static_cast<const char*>(std::memchr(begin, '\n', available));
        if (lineFeed)
        {
            m_checksum.Add(begin, static_cast<size_t>(lineFeed - begin) + 1);
            m_strLine.append(begin, static_cast<size_t>(lineFeed - begin));
            m_chunkPosition += static_cast<size_t>(lineFeed - begin) + 1;
            if (!m_strLine.empty() && m_strLine.back() == '\r')
                m_strLine.pop_back();
            return true;
        }
        m_checksum.Add(begin, available);
        m_strLine.append(begin, available);
        m_chunkPosition = m_chunkLength;
        gotBytes = true;
    }
    return gotBytes;
}

int CXmlReader::ReadNode()
{
    if (m_bFinished)
        return 0;
    if (!m_bStarted)
    {
        m_bStarted = true;
        if (!OpenFile())
        {
            m_bFinished = true;
            return 0;
        }
    }
    if (m_nPosition == -1)
    {
        const bool read = ReadLine();
        if (m_bLineTooLong || (read && m_strLine.size() > kMaxLineBytes))
        {
            ++m_nLineNumber;
            return ReportError("Line too long");
        }
        if (!read)
        {
            // A file that ends inside a tag or a value was cut short.
            if (m_bInTag || m_bInValue || m_bInComment || m_bInCData)
                return ReportError("Unexpected end of file");
            m_bFinished = true;
            return 0;
        }
        ++m_nLineNumber;
        m_nPosition = 0;
    }
    if (ParseLine())
        return 1;
    return ReportError(m_strError);
}

uint32_t CXmlReader::GetChecksumBefore(size_t position) const
{
    Crc32 checksum = m_checksumBeforeLine;
    checksum.Add(m_strLine.data(), position < m_strLine.size() ? position : m_strLine.size());
    return checksum.Value();
}

int CXmlReader::ReportError(const std::string& reason)
{
    m_strError = AnsiText::Format("Parse error in line %d : (%s)", m_nLineNumber, reason.c_str());
    m_bFinished = true;
    return 0;
}

bool CXmlReader::Fail(const char* reason)
{
    m_strError = reason;
    return false;
}

void CXmlReader::SkipBlanks()
{
    while (!AtLineEnd() && IsBlank(m_strLine[m_nPosition]))
        ++m_nPosition;
}

void CXmlReader::EnterText()
{
    m_bInText = true;
    m_strText.clear();
}

bool CXmlReader::ParseLine()
{
    m_nodeType = kXmlNone;
    m_bCommentStart = false;
    // Inside a quoted value every byte counts, line ends included.
    if (m_bInValue && m_quote)
        return ParseAttributeValue();
    if (AtLineEnd())
    {
        m_nPosition = -1;
        return true;
    }
    if (m_bInTag)
    {
        SkipBlanks();
        if (AtLineEnd())
        {
            m_nPosition = -1;
            return true;
        }
    }
    if (m_bInComment)
        return ParseUntil("-->", kXmlComment, m_bInComment);
    if (m_bInCData)
        return ParseUntil("]]>", kXmlCData, m_bInCData);
    if (m_bInValue)
    {
        const char c = m_strLine[m_nPosition];
        if (c != '"' && c != '\'')
            return Fail("Attribute value without quotes");
        m_quote = c;
        ++m_nPosition;
        return true;
    }
    if (m_bInText)
        return ParseText();
    const char c = m_strLine[m_nPosition];
    if (c == '<')
        return ParseTagOpening();
    return ParseInTag(c);
}

bool CXmlReader::ParseAttributeValue()
{
    const size_t start = static_cast<size_t>(m_nPosition);
    const size_t close = start <= m_strLine.size() ? m_strLine.find(m_quote, start) : std::string::npos;
    // The writer escapes every "<"; a bare one is damage, not data.
    const size_t end = close == std::string::npos ? m_strLine.size() : close;
    if (start < end && std::memchr(m_strLine.data() + start, '<', end - start))
        return Fail("'<' in an attribute value");
    if (close == std::string::npos)
    {
        if (start < m_strLine.size())
            m_strAttributeValue.append(m_strLine, start, std::string::npos);
        m_strAttributeValue += "\r\n";
        if (m_strAttributeValue.size() > kMaxLineBytes)
            return Fail("Attribute value too long");
        m_nPosition = -1;
        return true;
    }
    m_strAttributeValue.append(m_strLine, start, close - start);
    if (m_strAttributeValue.size() > kMaxLineBytes)
        return Fail("Attribute value too long");
    m_nPosition = static_cast<int>(close) + 1;
    // A quote inside a value would otherwise end it early and leave the
    // rest as a name without a value.
    if (!AtLineEnd())
    {
        const char next = m_strLine[m_nPosition];
        if (!IsBlank(next) && next != '>' && next != '/' && next != '?')
            return Fail("Missing blank after an attribute value");
    }
    m_bInValue = false;
    m_quote = 0;
    m_bAttributeNamed = false;
    m_nodeType = kXmlAttribute;
    return true;
}

bool CXmlReader::ParseUntil(const char* closing, int lineKind, bool& mode)
{
    const size_t end = m_strLine.find(closing, static_cast<size_t>(m_nPosition));
    if (end == std::string::npos)
    {
        m_nodeType = lineKind;
        m_nPosition = -1;
        return true;
    }
    mode = false;
    m_bInTag = false;
    EnterText();
    m_nPosition = static_cast<int>(end + std::strlen(closing));
    return true;
}

bool CXmlReader::ParseText()
{
    const size_t start = static_cast<size_t>(m_nPosition);
    size_t end = m_strLine.find('<', start);
    if (end == std::string::npos)
        end = m_strLine.size();
    else
        m_bInText = false;
    m_strText.assign(m_strLine, start, end - start);
    m_nPosition = static_cast<int>(end);
    if (!m_strText.empty())
        m_nodeType = kXmlText;
    return true;
}

bool CXmlReader::ParseTagOpening()
{
    if (m_bInTag)
        return Fail("Bad '<' symbol");
    m_bInTag = true;
    m_bEmptyElementEnd = false;
    m_bInValue = m_bInComment = m_bInCData = m_bInText = false;
    m_quote = 0;
    m_bAttributeNamed = false;
    const size_t opening = static_cast<size_t>(m_nPosition);
    ++m_nPosition;
    SkipBlanks();
    if (AtLineEnd())
        return Fail("'<' symbol not allowed at the end of a line");
    if (m_strLine.compare(m_nPosition, 3, "!--") == 0)
    {
        m_commentStart = opening;
        m_nodeType = kXmlComment;
        m_bInComment = true;
        m_bCommentStart = true;
        m_nPosition += 3;
        return true;
    }
    if (m_strLine.compare(m_nPosition, 8, "![CDATA[") == 0)
    {
        m_nodeType = kXmlCData;
        m_bInCData = true;
        m_nPosition += 8;
        return true;
    }
    const int start = m_nPosition;
    if (m_strLine[m_nPosition] == '/')
        ++m_nPosition;
    while (!AtLineEnd())
    {
        const char c = m_strLine[m_nPosition];
        if (IsBlank(c) || c == '>' || c == '/')
            break;
        ++m_nPosition;
    }
    const std::string name = m_strLine.substr(static_cast<size_t>(start), static_cast<size_t>(m_nPosition - start));
    if (name.empty())
        return Fail("Empty element name");
    if (!IsName(name, name[0] == '/' || name[0] == '?' || name[0] == '!' ? 1 : 0))
        return Fail("Bad element name");
    if (name[0] == '?' || name[0] == '!')
    {
        m_nodeType = kXmlDeclaration;
        m_strInstruction = name;
        m_strName.clear();
    }
    else if (name[0] == '/')
    {
        m_nodeType = kXmlEndTag;
        m_strName = name.substr(1);
    }
    else
    {
        m_nodeType = kXmlStartTag;
        m_strName = name;
    }
    return true;
}

bool CXmlReader::ParseInTag(char c)
{
    if (m_bAttributeNamed && c != '=')
        return Fail("Attribute without a value");
    switch (c)
    {
    case '?':
        ++m_nPosition;
        return true;
    case '/':
        while (!AtLineEnd() && m_strLine[m_nPosition] != '>' && !IsBlank(m_strLine[m_nPosition]))
            ++m_nPosition;
        m_nodeType = kXmlEndTag;
        m_bEmptyElementEnd = true;
        return true;
    case '>':
        m_bInTag = false;
        EnterText();
        ++m_nPosition;
        return true;
    default:
        break;
    }
    if (!m_bInTag)
        return Fail("Syntax error");
    if (c == '=')
    {
        if (!m_bAttributeNamed)
            return Fail("Missing attribute name before '='");
        m_bInValue = true;
        m_quote = 0;
        ++m_nPosition;
        return true;
    }
    const int start = m_nPosition;
    while (!AtLineEnd())
    {
        const char n = m_strLine[m_nPosition];
        if (IsBlank(n) || n == '=' || n == '>')
            break;
        ++m_nPosition;
    }
    m_strAttributeName = m_strLine.substr(static_cast<size_t>(start), static_cast<size_t>(m_nPosition - start));
    if (!IsName(m_strAttributeName, 0))
        return Fail("Bad attribute name");
    m_strAttributeValue.clear();
    m_bAttributeNamed = true;
    return true;
}
