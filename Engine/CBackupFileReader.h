#pragma once
#include <map>
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
    // false ends the read.
    virtual bool OnKeyStart(const std::string& name, bool exact) = 0;
    virtual void OnKeyEnd() = 0;
    // A value of the innermost key; exact as above, for all three texts.
    virtual void OnValue(const std::string& name, const std::string& text, const std::string& typeName,
                         bool exact) = 0;
    // Called after every node of the file.
    virtual void OnNode() = 0;
};

// Reads a backup file and takes it only as the writer makes it: one
// "registry" element (optionally marked as read through the 64-bit view),
// key chains of "k" elements, each with its "name", and empty "v" elements
// with "name", "value" and an optional "type"; blanks and comments between
// them, and the declaration first. Anything else is a parse error with its
// line, shown to the user. Names and texts are handed on unescaped, in the
// ANSI code page.
class CBackupFileReader
{
public:
    // 1 when the whole file was read without a fault; 0 when it cannot be
    // opened, after a parse error, or when the sink ended the read. Without
    // a sink the file is only checked.
    int Read(const std::string& path, CBackupFileSink* sink);

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
        std::map<std::string, std::string> attributes;
    };

    bool ReadAll(CXmlReader& reader);
    void OnDeclaration(CXmlReader& reader);
    void OnStartTag(CXmlReader& reader);
    void OnAttribute(CXmlReader& reader);
    void OnEndTag(CXmlReader& reader);
    void EndStartTag(CXmlReader& reader, bool emptyElement);
    void EndKeyStartTag(CXmlReader& reader, const OpenElement& element);
    void EndElement();
    void Fail(CXmlReader& reader, const std::string& reason);
    bool MayHold(Element kind) const;

    CBackupFileSink* m_sink = nullptr;
    std::vector<OpenElement> m_open;
    size_t m_keyDepth = 0;
    bool m_rootClosed = false;
    bool m_declarationAllowed = true;
    bool m_inDeclaration = false;
    bool m_ok = true;
};
