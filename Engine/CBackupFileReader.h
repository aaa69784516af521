#pragma once
#include <windows.h>

#include <string>
#include <vector>

class CXmlReader;

// What a backup file holds, handed on while it is read.
class CBackupFileSink
{
public:
    virtual ~CBackupFileSink() = default;
    // The file was written through the 64-bit view of a 64-bit Windows.
    virtual void OnView64() = 0;
    // A key below the one started before; the first of a chain is a root
    // name. exact is false when the ANSI code page cannot spell the name.
    virtual void OnKeyStart(const std::string& name, bool exact) = 0;
    virtual void OnKeyEnd() = 0;
    // A value of the innermost key: its name, registry type and data. exact
    // is false when the code page cannot spell its name or its text.
    virtual void OnValue(const std::string& name, DWORD type, const std::vector<BYTE>& data, bool exact) = 0;
    // Called after every node of the file.
    virtual void OnNode() = 0;
};

// Reads a backup file and takes it only as the writer makes it: one
// "registry" element (optionally marked as read through the 64-bit view, its
// roots then spelt with the view's suffix or, from earlier writers, without),
// key chains of "k" elements, each with its "name", and empty "v" elements
// with "name", "value" and an optional "type", every value text in the form
// the writer gives its type; blanks between them, the declaration first, and
// last the checksum of everything before it. A file without a checksum (made
// by an earlier writer) is read without one; such a file may hold comments
// inside its keys, but a comment directly in the root, or one that begins as
// the checksum does, is the checksum damaged, and so is a missing checksum
// in a file whose roots carry the view's suffix. Anything else is a parse error
// with its line. Names and texts are handed on unescaped, in the ANSI code
// page.
class CBackupFileReader
{
public:
    // 1 when the whole file was read without a fault; 0 when it cannot be
    // opened, after a parse error, or when the sink ended the read. Without
    // a sink the file is only checked.
    int Read(const std::string& path, CBackupFileSink* sink);
    // "Parse error in line %d : (%s)" after a parse error; empty otherwise.
    const std::string& GetErrorText() const { return m_error; }
    // The file ended in a checksum that matched what it holds.
    bool WasChecksummed() const { return m_checksummed; }
    // For tests only, for every reader: off, a file is read as by a program
    // that knows no view mark (the attribute ignored, the suffixed roots
    // unknown).
    static void SetViewMarksKnown(bool known);

private:
    enum Element
    {
        kElementRegistry,
        kElementKey,
        kElementValue,
    };
    // An open element and the attributes read so far, as the file spells them.
    struct OpenElement
    {
        Element kind = kElementRegistry;
        bool startTagOpen = true;
        unsigned seen = 0; // one bit per attribute below
        std::string name;
        std::string value;
        std::string type;
        std::string view;
    };

    bool ReadAll(CXmlReader& reader);
    void OnDeclaration(CXmlReader& reader);
    void OnComment(CXmlReader& reader);
    void OnStartTag(CXmlReader& reader);
    void OnAttribute(CXmlReader& reader);
    void OnEndTag(CXmlReader& reader);
    void EndStartTag(CXmlReader& reader, bool emptyElement);
    void EndKeyStartTag(CXmlReader& reader, const OpenElement& element);
    void EndValueStartTag(CXmlReader& reader, const OpenElement& element);
    void EndElement();
    void Fail(CXmlReader& reader, const std::string& reason);
    // Why content after the checksum or the root element is refused.
    const char* LateContent() const;
    bool MayHold(Element kind) const;
    OpenElement& Push(Element kind);
    OpenElement& Top() { return m_open[m_depth - 1]; }

    CBackupFileSink* m_sink = nullptr;
    // Open elements are m_open[0, m_depth); the rest keep their storage.
    std::vector<OpenElement> m_open;
    size_t m_depth = 0;
    size_t m_keyDepth = 0;
    bool m_rootClosed = false;
    bool m_declarationAllowed = true;
    bool m_inDeclaration = false;
    bool m_checksummed = false;
    // The root element carries the mark of the native view.
    bool m_nativeView = false;
    // A root was spelt with the native view's suffix.
    bool m_viewSuffixSeen = false;
    bool m_ok = true;
    std::string m_error;
    // Reused for every value.
    std::string m_plainName;
    std::string m_plainText;
    std::string m_plainType;
    std::vector<BYTE> m_data;
};
