// The backup file's writer and reader on their own, and the reader against
// files that are not what the writer makes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/CRegistryManager.h"
#include "Engine/CXmlReader.h"
#include "Engine/CXmlStringWriter.h"
#include "Engine/CXmlWriter.h"
#include "Engine/XmlElement.h"
#include "RegistryTree.h"
#include "ShownErrors.h"
#include "support/TestRegistry.h"

namespace
{
std::string Scratch(const std::string& file)
{
    return TestEnv::MakeScratchFolder("xml") + file;
}

struct Node
{
    int kind;
    std::string name;
    std::string value;
};

// Every node of a file: kind, then the element name, text or attribute.
std::vector<Node> ReadAll(const std::string& content, std::string* error = nullptr)
{
    const std::string path = Scratch("nodes.xml");
    EXPECT_TRUE(TestEnv::WriteFile(path, content));
    CXmlReader reader;
    reader.SetFileName(path);
    std::vector<Node> nodes;
    while (reader.ReadNode())
    {
        Node node{reader.GetNodeType(), reader.GetName(), std::string()};
        if (node.kind == kXmlAttribute)
        {
            node.name = reader.GetAttributeName();
            node.value = reader.GetAttributeValue();
        }
        else if (node.kind == kXmlText)
        {
            node.value = reader.GetText();
        }
        nodes.push_back(node);
        if (nodes.size() > 100000)
            break;
    }
    if (error)
        *error = reader.GetErrorText();
    reader.Close();
    return nodes;
}

std::vector<Node> Significant(const std::vector<Node>& nodes)
{
    std::vector<Node> kept;
    for (const Node& node : nodes)
        if (node.kind != kXmlNone && node.kind != kXmlText)
            kept.push_back(node);
    return kept;
}

// The restore of a file, with the error it showed ("" for none).
int RestoreText(const std::string& content, std::string& shown)
{
    const std::string path = Scratch("malformed.rbk");
    EXPECT_TRUE(TestEnv::WriteFile(path, content));
    RecordingStatus status;
    CRegistryManager manager(&status);
    const int result = manager.RestoreRegistry(path);
    const std::vector<std::string> errors = ShownErrors::Messages(status);
    EXPECT_LE(errors.size(), 1u);
    shown = errors.empty() ? std::string() : errors.front();
    return result;
}

const char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n";
}

TEST(XmlWriter, WritesDeclarationFirstAndIndentsOneBlankPerLevel)
{
    CXmlStringWriter writer;
    XmlElement registry("registry");
    XmlElement value("v");
    value.SetAttribute("name", "a");
    value.SetAttribute("value", "1");
    value.SetAttribute("name", "b");
    registry.WriteStartTag(writer);
    value.WriteEmptyTag(writer);
    value.WriteEmptyTag(writer);
    registry.WriteEndTag(writer);
    EXPECT_EQ(writer.GetString(), std::string(kHeader) +
                                      "  <v name=\"b\" value=\"1\"/>\r\n"
                                      "  <v name=\"b\" value=\"1\"/>\r\n"
                                      " </registry>\r\n");
    EXPECT_EQ(value.GetAttributeCount(), 2);
    EXPECT_EQ(value.GetAttributeName(5), "");
    EXPECT_EQ(writer.GetIndent(), 0);
}

TEST(XmlWriter, FileNameIsKeptWhileOpenAndBufferedOutputReachesTheFile)
{
    const std::string first = Scratch("first.xml");
    const std::string second = Scratch("second.xml");
    CXmlWriter writer;
    writer.SetFileName(first);
    XmlElement registry("registry");
    registry.WriteStartTag(writer);
    writer.SetFileName(second);
    XmlElement key("k");
    // More than the buffer holds, so that it is written in several pieces.
    for (int i = 0; i < 20000; ++i)
    {
        key.SetAttribute("name", "key number " + std::to_string(i));
        key.WriteEmptyTag(writer);
    }
    registry.WriteEndTag(writer);
    EXPECT_EQ(writer.Close(), 1);
    EXPECT_FALSE(TestEnv::FileExists(second));
    const std::string content = RegistryTree::ReadFile(first);
    EXPECT_EQ(content.compare(0, sizeof(kHeader) - 1, kHeader), 0);
    EXPECT_NE(content.find("  <k name=\"key number 19999\"/>\r\n </registry>\r\n"), std::string::npos);
    EXPECT_EQ(content.size(), content.find(" </registry>\r\n") + 14);
}

TEST(XmlWriter, FileThatCannotBeCreatedFailsTheClose)
{
    CXmlWriter writer;
    writer.SetFileName(Scratch("no such folder\\file.xml"));
    XmlElement registry("registry");
    EXPECT_EQ(registry.WriteStartTag(writer), 0);
    EXPECT_TRUE(writer.HasFailed());
    EXPECT_EQ(writer.Close(), 0);
}

TEST(XmlReader, ReportsTheNodesOfOneLineInOrder)
{
    // The first line only puts the reader between tags, as a file does.
    std::vector<Node> nodes = ReadAll("<r>\r\n <v name=\"a\" value=\"b\"/>\r\n");
    ASSERT_GE(nodes.size(), 3u);
    nodes.erase(nodes.begin(), nodes.begin() + 3);
    const std::vector<int> kinds = {4, 1, 0, 0, 0, 3, 0, 0, 0, 3, 2, 0, 0};
    ASSERT_EQ(nodes.size(), kinds.size());
    for (size_t i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(nodes[i].kind, kinds[i]) << "node " << i;
    EXPECT_EQ(nodes[5].name, "name");
    EXPECT_EQ(nodes[5].value, "a");
    EXPECT_EQ(nodes[9].name, "value");
    EXPECT_EQ(nodes[9].value, "b");
    EXPECT_EQ(nodes[10].name, "v");
}

TEST(XmlReader, GivesBackEveryByteOfAQuotedValue)
{
    // Apostrophes, ">", a lone CR, the DOS end-of-file byte, an empty line
    // and a line that starts right after the opening quote.
    const std::string value = "it's > \r x\x1Ay\r\n\r\nlast";
    const std::vector<Node> nodes =
        Significant(ReadAll("<v name='q\"q' value=\"\r\n" + value + "\"/>\r\n<v value=\"\"/>"));
    ASSERT_EQ(nodes.size(), 7u);
    EXPECT_EQ(nodes[1].value, "q\"q");
    EXPECT_EQ(nodes[2].value, "\r\n" + value);
    EXPECT_EQ(nodes[5].value, "");
}

TEST(XmlReader, CommentsAndDeclarationsAreNodesOfTheirOwn)
{
    const std::vector<Node> nodes = Significant(ReadAll("<?xml version=\"1.0\"?>\r\n<!-- one\r\ntwo -->\r\n<k/>\r\n"));
    ASSERT_GE(nodes.size(), 5u);
    EXPECT_EQ(nodes[0].kind, kXmlDeclaration);
    EXPECT_EQ(nodes[1].kind, kXmlAttribute);
    EXPECT_EQ(nodes[2].kind, kXmlComment);
    EXPECT_EQ(nodes[nodes.size() - 2].kind, kXmlStartTag);
    EXPECT_EQ(nodes.back().kind, kXmlEndTag);
}

TEST(XmlReader, ParseErrorsNameTheirLine)
{
    struct Case
    {
        const char* content;
        const char* error;
    };
    const Case cases[] = {
        {"x<k/>", "Parse error in line 1 : (Syntax error)"},
        {"<k>\r\n<k <v/>", "Parse error in line 2 : (Bad '<' symbol)"},
        {"<k>\r\n\r\n  <   \r\n", "Parse error in line 3 : ('<' symbol not allowed at the end of a line)"},
        {"<k>\r\n< >", "Parse error in line 2 : (Empty element name)"},
        {"<k>\r\n<v =\"1\"/>", "Parse error in line 2 : (Missing attribute name before '=')"},
        {"<k>\r\n<v name=1/>", "Parse error in line 2 : (Attribute value without quotes)"},
        {"<k>\r\n<v name=\"open\r\nvalue", "Parse error in line 3 : (Unexpected end of file)"},
        {"<k>\r\n<v name=\"a\"", "Parse error in line 2 : (Unexpected end of file)"},
    };
    for (const Case& c : cases)
    {
        std::string error;
        ReadAll(c.content, &error);
        EXPECT_EQ(error, c.error) << c.content;
    }
}

TEST(XmlReader, MissingFileGivesNoNodeAndNoError)
{
    CXmlReader reader;
    reader.SetFileName(Scratch("missing.xml"));
    EXPECT_EQ(reader.ReadNode(), 0);
    EXPECT_EQ(reader.GetErrorText(), "");
    EXPECT_EQ(reader.IsOpen(), 0);
}

TEST(MalformedBackup, NeverCrashesAndFailsWithTheLineOfTheFault)
{
    const std::string chain = std::string(kHeader) + "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Software\">\r\n";
    const std::string whole = chain + "    <k name=\"QmMalformed\">\r\n     <v name=\"a\" value=\"1\"/>\r\n"
                                      "    </k>\r\n   </k>\r\n  </k>\r\n </registry>\r\n";
    struct Case
    {
        std::string name;
        std::string content;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"cut inside a value", whole.substr(0, whole.find("value=\"1") + 8),
         "Parse error in line 6 : (Unexpected end of file)"},
        {"cut after a line", whole.substr(0, whole.find("    </k>")),
         "Parse error in line 6 : (Unexpected end of file)"},
        {"stray <", chain + "   <\r\n", "Parse error in line 5 : ('<' symbol not allowed at the end of a line)"},
        {"bad attribute", chain + "    <k name=QmMalformed>\r\n", "Parse error in line 5 : (Attribute value without quotes)"},
        {"unclosed tags", chain + " </registry>\r\n", "Parse error in line 5 : (Element 'k' not closed)"},
        {"extra end tag", whole.substr(0, whole.find(" </registry>")) + "  </k>\r\n </registry>\r\n",
         "Parse error in line 10 : (Unexpected end tag 'k')"},
        {"1 MB attribute left open", chain + "    <v name=\"big\" value=\"" + std::string(1 << 20, 'x') + "\r\n",
         "Parse error in line 5 : (Unexpected end of file)"},
        {"unknown root", std::string(kHeader) + "  <k name=\"HKEY_NOWHERE\">\r\n  </k>\r\n </registry>\r\n",
         "Parse error in line 3 : (Unknown root key)"},
        {"empty file", "", "Parse error in line 0 : (Unexpected end of file)"},
    };
    for (const Case& c : cases)
    {
        std::string shown;
        EXPECT_EQ(RestoreText(c.content, shown), 0) << c.name;
        EXPECT_EQ(shown, c.shown) << c.name;
    }

    // Binary garbage of every byte value, with line breaks among it.
    std::string garbage;
    unsigned seed = 12345;
    for (int i = 0; i < 200000; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        garbage += static_cast<char>(seed >> 16);
    }
    for (const std::string& prefix : {std::string(), std::string("<"), chain + "<v name=\""})
    {
        std::string shown;
        EXPECT_EQ(RestoreText(prefix + garbage, shown), 0);
        EXPECT_EQ(shown.rfind("Parse error in line ", 0), 0u) << shown;
    }
    TestEnv::DeleteTree(HKEY_CURRENT_USER, "Software\\QmMalformed");
}

TEST(MalformedBackup, OneMegabyteValueReadsBack)
{
    const std::string big(1 << 20, 'z');
    const std::string content = std::string(kHeader) +
                                "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Software\">\r\n"
                                "    <k name=\"QmBigValue\">\r\n     <v name=\"big\" value=\"" +
                                big + "\"/>\r\n    </k>\r\n   </k>\r\n  </k>\r\n </registry>\r\n";
    std::string shown;
    EXPECT_EQ(RestoreText(content, shown), 1);
    EXPECT_EQ(shown, "");
    CRegKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, "Software\\QmBigValue", KEY_READ), ERROR_SUCCESS);
    std::string text;
    EXPECT_EQ(key.QueryString("big", text), ERROR_SUCCESS);
    EXPECT_EQ(text, big);
    key.Close();
    TestEnv::DeleteTree(HKEY_CURRENT_USER, "Software\\QmBigValue");
}
