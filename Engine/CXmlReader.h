#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Crc32.h"
#include "Framework/CHandle.h"

// The kind of the last node ReadNode returned.
enum XmlNodeType
{
    kXmlNone = 0,        // a step inside a tag, the end of a line, a tag closed
    kXmlStartTag = 1,
    kXmlEndTag = 2,      // also the "/" of an empty element
    kXmlAttribute = 3,
    kXmlText = 4,
    kXmlDeclaration = 5, // a tag whose name begins with "?" or "!"
    kXmlComment = 6,     // one line of a comment
    kXmlCData = 7,       // one line of a CDATA section
};

// A small pull reader for backup files: one node per ReadNode call. It does
// not check that tags balance and knows no entities; the caller does both.
// The file is read in binary, split at LF with one CR before it dropped, so
// every byte the writer put inside a value (a 0x1A, a lone CR) comes back.
// It shows nothing: a parse error is kept as text for whoever started the
// read, since the reader runs on the engine's job thread, which owns no
// window.
class CXmlReader
{
public:
    CXmlReader();
    virtual ~CXmlReader();

    CXmlReader(const CXmlReader&) = delete;
    CXmlReader& operator=(const CXmlReader&) = delete;

    int SetFileName(const std::string& fileName);
    // 1 when a node (possibly of kind 0) was read; 0 at the end of the file,
    // when the file cannot be opened, or after a parse error.
    virtual int ReadNode();
    int GetNodeType() const { return m_nodeType; }
    const std::string& GetName() const { return m_strName; }
    void GetAttribute(std::string& name, std::string& value) const;
    const std::string& GetAttributeName() const { return m_strAttributeName; }
    const std::string& GetAttributeValue() const { return m_strAttributeValue; }
    const std::string& GetText() const { return m_strText; }
    const std::string& GetInstruction() const { return m_strInstruction; }
    int GetLineNumber() const { return m_nLineNumber; }
    // "Parse error in line %d : (%s)" after a parse error, else empty.
    const std::string& GetErrorText() const { return m_strError; }
    // The line being parsed, as the file holds it without its line end.
    const std::string& GetCurrentLine() const { return m_strLine; }
    // The checksum of every byte of the file before the given position of
    // the current line.
    uint32_t GetChecksumBefore(size_t position) const;
    int IsOpen() const { return m_bOpen; }
    // Inside a tag: between its "<" and its ">".
    bool IsInTag() const { return m_bInTag; }
    // The last end tag was the "/" of an empty element, not a "</name".
    bool IsEmptyElementEnd() const { return m_bEmptyElementEnd; }
    // The last node was the "<!--" that opens a comment.
    bool IsCommentStart() const { return m_bCommentStart; }
    // Where the "<" of the comment that the last node opened stands.
    size_t GetCommentStart() const { return m_commentStart; }
    int Close();

    // Ends the read with a parse error at the current line, as the reader's
    // own errors do; for faults that only the caller can see (tags that do
    // not balance). Returns 0.
    int ReportError(const std::string& reason);

private:
    bool OpenFile();
    bool ReadLine();
    bool ParseLine();
    bool Fail(const char* reason);
    bool ParseAttributeValue();
    // Inside a comment or CDATA section: up to its closing text, which
    // ends the section (mode) and the tag.
    bool ParseUntil(const char* closing, int lineKind, bool& mode);
    bool ParseText();
    bool ParseTagOpening();
    bool ParseInTag(char c);
    bool AtLineEnd() const { return m_nPosition >= static_cast<int>(m_strLine.size()); }
    void SkipBlanks();
    void EnterText();

    CHandle m_file;
    int m_bOpen = 0;
    bool m_bStarted = false;
    bool m_bFinished = false;
    std::string m_strFileName;
    std::string m_strError;

    std::string m_strLine;
    int m_nPosition = -1;
    int m_nLineNumber = 0;
    int m_nodeType = kXmlNone;
    std::string m_strName;
    std::string m_strText;
    std::string m_strAttributeName;
    std::string m_strAttributeValue;
    std::string m_strInstruction;

    bool m_bInTag = false;
    bool m_bInValue = false;  // after "=", until the closing quote
    char m_quote = 0;         // the quote that opened the value; 0 before it
    bool m_bAttributeNamed = false; // a name waits for its "="
    bool m_bInComment = false;
    bool m_bInCData = false;
    bool m_bInText = false;
    bool m_bEmptyElementEnd = false;
    bool m_bCommentStart = false;
    size_t m_commentStart = 0;
    bool m_bLineTooLong = false;

    // Raw bytes read from the file and not yet split into lines.
    std::vector<char> m_chunk;
    size_t m_chunkPosition = 0;
    size_t m_chunkLength = 0;
    bool m_bEndOfFile = false;
    Crc32 m_checksum;
    Crc32 m_checksumBeforeLine;
};
