#include "Engine/CXmlStringWriter.h"

int CXmlStringWriter::WriteText(const std::string& text)
{
    WriteDeclarationOnce();
    m_text += text;
    return 1;
}

std::string CXmlStringWriter::MakeIndent(int count)
{
    return std::string(count > 0 ? static_cast<size_t>(count) : 0, ' ');
}

Crc32 CXmlStringWriter::ChecksumSoFar() const
{
    Crc32 checksum;
    checksum.Add(m_text.data(), m_text.size());
    return checksum;
}
