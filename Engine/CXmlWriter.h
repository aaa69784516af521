#pragma once
#include <cstdint>
#include <string>

#include "Engine/Crc32.h"
#include "Framework/CHandle.h"

// Writes a backup file line by line. The file is created at the first write,
// the XML declaration always comes first, and output is gathered in a buffer
// so that a whole registry is written with few file writes. A file that
// could not be created or written leaves the writer failed: Close then
// reports it, so that a backup never passes for complete when it is not.
class CXmlWriter
{
public:
    CXmlWriter();
    virtual ~CXmlWriter();

    CXmlWriter(const CXmlWriter&) = delete;
    CXmlWriter& operator=(const CXmlWriter&) = delete;

    // Ignored (still 1) while the file is open.
    int SetFileName(const std::string& fileName);
    // 1 when the text was taken, 0 when the file cannot be created or an
    // earlier write failed.
    virtual int WriteText(const std::string& text);
    // Writes what is buffered and closes the file; level and flags go back
    // to 0. 1 when everything written since the file was opened reached it.
    int Close();
    // The same, and only after the file's bytes have reached the disk.
    int CloseDurably();
    int GetIndent() const { return m_nIndent; }
    void SetIndent(int level) { m_nIndent = level; }
    bool HasFailed() const { return m_bFailed; }
    // Writes a comment line, one level deeper than the open element, that
    // holds the checksum of every byte written before the comment.
    int WriteChecksum();
    // That comment: "<!-- crc32 ", eight lower-case hexadecimal digits and
    // " -->".
    static std::string ChecksumComment(uint32_t checksum);

protected:
    // Writes the declaration once, at level 0, before the first text.
    void WriteDeclarationOnce();
    // Of every byte taken so far.
    virtual Crc32 ChecksumSoFar() const;

private:
    bool OpenFile();
    bool Flush();

    static const size_t kBufferSize = 256 * 1024;

    CHandle m_file;
    int m_bOpen = 0;
    int m_bDeclaration = 0;
    std::string m_strFileName;
    int m_nIndent = 0;
    bool m_bFailed = false;
    std::string m_buffer;
    // Of the bytes written to the file; the buffer is added when asked.
    Crc32 m_written;
};
