#pragma once
#include <string>

#include "Engine/CXmlWriter.h"

// Gathers the same text as CXmlWriter in memory instead of a file.
class CXmlStringWriter : public CXmlWriter
{
public:
    int WriteText(const std::string& text) override;
    const std::string& GetString() const { return m_text; }
    void Clear() { m_text.clear(); }
    // A text of that many blanks.
    static std::string MakeIndent(int count);

protected:
    Crc32 ChecksumSoFar() const override;

private:
    std::string m_text;
};
