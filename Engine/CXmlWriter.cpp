#include "Engine/CXmlWriter.h"

#include <windows.h>

#include "Engine/XmlElement.h"
#include "Framework/AnsiText.h"

CXmlWriter::CXmlWriter()
{
}

CXmlWriter::~CXmlWriter()
{
    Close();
}

int CXmlWriter::SetFileName(const std::string& fileName)
{
    if (!m_bOpen)
        m_strFileName = fileName;
    return 1;
}

void CXmlWriter::WriteDeclarationOnce()
{
    if (m_bDeclaration)
        return;
    m_bDeclaration = 1;
    const int level = m_nIndent;
    m_nIndent = 0;
    XmlElement declaration("xml");
    declaration.SetAttribute("version", "1.0");
    declaration.SetAttribute("encoding", "UTF-8");
    declaration.WriteDeclaration(*this);
    m_nIndent = level;
}

bool CXmlWriter::OpenFile()
{
    m_file.Attach(::CreateFileA(m_strFileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    m_bOpen = m_file ? 1 : 0;
    if (m_bOpen)
        m_buffer.reserve(kBufferSize + 4096);
    return m_bOpen != 0;
}

int CXmlWriter::WriteText(const std::string& text)
{
    // A file that could not be created stays failed: a backup with its
    // first lines missing is worth nothing.
    if (m_bFailed)
        return 0;
    if (!m_bOpen && !OpenFile())
    {
        m_bFailed = true;
        return 0;
    }
    WriteDeclarationOnce();
    m_buffer += text;
    if (m_buffer.size() >= kBufferSize && !Flush())
        return 0;
    return m_bFailed ? 0 : 1;
}

int CXmlWriter::WriteChecksum()
{
    if (m_bFailed)
        return 0;
    WriteDeclarationOnce();
    const std::string indent(m_nIndent + 1 > 0 ? static_cast<size_t>(m_nIndent + 1) : 0, ' ');
    Crc32 checksum = ChecksumSoFar();
    checksum.Add(indent.data(), indent.size());
    return WriteText(indent + ChecksumComment(checksum.Value()) + "\r\n");
}

Crc32 CXmlWriter::ChecksumSoFar() const
{
    Crc32 checksum = m_written;
    checksum.Add(m_buffer.data(), m_buffer.size());
    return checksum;
}

std::string CXmlWriter::ChecksumComment(uint32_t checksum)
{
    return AnsiText::Format("<!-- crc32 %08lx -->", static_cast<unsigned long>(checksum));
}

bool CXmlWriter::Flush()
{
    m_written.Add(m_buffer.data(), m_buffer.size());
    size_t done = 0;
    while (done < m_buffer.size())
    {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(m_buffer.size() - done);
        if (!::WriteFile(m_file.Get(), m_buffer.data() + done, chunk, &written, nullptr) || written == 0)
        {
            m_bFailed = true;
            break;
        }
        done += written;
    }
    m_buffer.clear();
    return !m_bFailed;
}

int CXmlWriter::CloseDurably()
{
    if (m_bOpen && Flush() && !::FlushFileBuffers(m_file.Get()))
        m_bFailed = true;
    return Close();
}

int CXmlWriter::Close()
{
    if (m_bOpen)
    {
        Flush();
        m_file.Close();
    }
    const int result = m_bFailed ? 0 : 1;
    m_nIndent = 0;
    m_bOpen = 0;
    m_bDeclaration = 0;
    m_bFailed = false;
    m_buffer.clear();
    m_written.Reset();
    return result;
}
