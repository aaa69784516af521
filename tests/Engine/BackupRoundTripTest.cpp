// A backup gives back exactly what it saved: every value type, odd names and
// data, empty values and keys, and a tree deeper than one call may name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Engine/CRegistryManager.h"
#include "Engine/Crc32.h"
#include "Engine/CXmlWriter.h"
#include "Engine/RegistryValueText.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "support/FakeScanItems.h"
#include "RegistryTree.h"
#include "ShownErrors.h"
#include "support/TestRegistry.h"

using RegistryTree::Sz;

namespace
{
const char kTreePath[] = "Software\\QmRoundTrip";
const char kTreeText[] = "HKEY_CURRENT_USER\\Software\\QmRoundTrip";
const char kOddName[] = "Sp\xE9" "cial <&\"'> \x80\x9F\xFF";

RegistryTree::Value V(DWORD type, const std::string& data)
{
    RegistryTree::Value value;
    value.type = type;
    value.data = data;
    return value;
}

std::string AllBytes()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

std::string Bytes(std::initializer_list<int> list)
{
    std::string bytes;
    for (const int b : list)
        bytes += static_cast<char>(b);
    return bytes;
}

RegistryTree::Key PlannedTree()
{
    RegistryTree::Key root;
    auto& values = root.values;
    values[""] = V(REG_SZ, Sz("the default"));
    values["sz"] = V(REG_SZ, Sz(std::string("<&\"'> &amp; &lt; ") + kOddName));
    values["sz lines"] = V(REG_SZ, Sz("one\r\ntwo\r\n\r\nfour\rlone cr\r\n"));
    values["sz lone lf"] = V(REG_SZ, Sz("a\nb"));
    values["sz inner zero"] = V(REG_SZ, std::string("a\0b", 3) + std::string(1, '\0'));
    values["sz unterminated"] = V(REG_SZ, "abc");
    values["sz eof byte"] = V(REG_SZ, Sz("x\x1Ay"));
    values["sz empty"] = V(REG_SZ, Sz(""));
    values["sz no data"] = V(REG_SZ, "");
    values["expand"] = V(REG_EXPAND_SZ, Sz("%SystemRoot%\\system32"));
    values["multi"] = V(REG_MULTI_SZ, std::string("\0a\0\0b\0\0", 7));
    values["multi empty list"] = V(REG_MULTI_SZ, std::string(2, '\0'));
    values["multi open end"] = V(REG_MULTI_SZ, std::string("a\0b", 3));
    values["multi with lf"] = V(REG_MULTI_SZ, std::string("a\nb\0\0", 5));
    values["binary"] = V(REG_BINARY, AllBytes());
    values["binary empty"] = V(REG_BINARY, "");
    values["dword"] = V(REG_DWORD, Bytes({0x1a, 0, 0, 0}));
    values["dword minus one"] = V(REG_DWORD, Bytes({0xff, 0xff, 0xff, 0xff}));
    values["dword short"] = V(REG_DWORD, Bytes({1, 2}));
    values["big endian"] = V(REG_DWORD_BIG_ENDIAN, Bytes({0, 0, 1, 2}));
    values["qword"] = V(REG_QWORD, Bytes({1, 2, 3, 4, 5, 6, 7, 0x88}));
    values["qword short"] = V(REG_QWORD, Bytes({1, 2, 3}));
    values["none with data"] = V(REG_NONE, Bytes({0x41, 0, 0x42}));
    values["none empty"] = V(REG_NONE, "");
    values["link"] = V(REG_LINK, Bytes({'\\', 0, 'R', 0, 'e', 0}));
    values["resource list"] = V(REG_RESOURCE_LIST, Bytes({1, 0, 0, 0}));
    values["full descriptor"] = V(REG_FULL_RESOURCE_DESCRIPTOR, Bytes({9, 8, 7}));
    values["requirements"] = V(REG_RESOURCE_REQUIREMENTS_LIST, Bytes({0}));
    values["unknown type"] = V(0x12345, Bytes({0xde, 0xad, 0xbe, 0xef}));
    values[std::string("name ") + kOddName] = V(REG_SZ, Sz("odd name"));

    root.subkeys[kOddName].values["inside"] = V(REG_DWORD, Bytes({7, 0, 0, 0}));
    root.subkeys["empty default"].values[""] = V(REG_SZ, Sz(""));
    root.subkeys["no-data default"].values[""] = V(REG_NONE, "");
    root.subkeys["empty key"].subkeys["empty too"];

    RegistryTree::Key* level = &root.subkeys["deep"];
    for (int depth = 0; depth < 20; ++depth)
    {
        std::string name(255, static_cast<char>('a' + depth));
        name[0] = static_cast<char>('A' + depth);
        level = &level->subkeys[name];
    }
    level->values["at the bottom"] = V(REG_SZ, Sz("twenty levels down"));
    return root;
}

class BackupRoundTrip : public testing::Test
{
protected:
    void SetUp() override
    {
        RegistryTree::Delete(HKEY_CURRENT_USER, kTreePath);
        ASSERT_TRUE(RegistryTree::Plant(HKEY_CURRENT_USER, kTreePath, PlannedTree()));
        ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, kTreePath, m_stored));
        m_file = TestEnv::MakeScratchFolder("roundtrip") + "tree.rbk";
    }
    void TearDown() override { RegistryTree::Delete(HKEY_CURRENT_USER, kTreePath); }

    RegistryTree::Key m_stored;
    std::string m_file;
};
}

TEST_F(BackupRoundTrip, StoredTreeIsThePlannedOne)
{
    // The baseline of the round trip. Wine's ANSI call adds the terminator
    // that a string value was set without; Windows stores such data as given.
    RegistryTree::Key planned = PlannedTree();
    if (m_stored.values["sz unterminated"].data == Sz("abc"))
        planned.values["sz unterminated"].data = Sz("abc");
    if (m_stored.values["multi open end"].data == std::string("a\0b\0", 4))
        planned.values["multi open end"].data = std::string("a\0b\0", 4);
    for (const std::string& difference : RegistryTree::Differences(planned, m_stored))
        ADD_FAILURE() << difference;
}

TEST_F(BackupRoundTrip, EveryValueComesBackWithItsTypeAndBytes)
{
    FakeScanItems items;
    items.Add(kTreeText, kScanEmptyKeys);
    RecordingStatus status;
    CRegistryManager manager(&status);
    ASSERT_EQ(manager.BackupKeys(&items, m_file), 1);

    ASSERT_TRUE(RegistryTree::Delete(HKEY_CURRENT_USER, kTreePath));
    ASSERT_FALSE(RegistryTree::Exists(HKEY_CURRENT_USER, kTreePath));
    EXPECT_EQ(manager.RestoreRegistry(m_file), 1);
    EXPECT_TRUE(ShownErrors::Messages(status).empty());
    EXPECT_TRUE(ShownErrors::NotRestored(status).empty());

    RegistryTree::Key restored;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, kTreePath, restored));
    for (const std::string& difference : RegistryTree::Differences(m_stored, restored))
        ADD_FAILURE() << difference;
}

TEST_F(BackupRoundTrip, FileKeepsThePlainFormsWhereTheyAreExact)
{
    FakeScanItems items;
    items.Add(std::string(kTreeText) + kItemValueSeparatorText + "dword", kScanStartup);
    items.Add(std::string(kTreeText) + "\\empty key", kScanEmptyKeys, true);
    CRegistryManager manager(nullptr);
    ASSERT_EQ(manager.BackupKeys(&items, m_file), 1);
    const std::string file = RegistryTree::ReadFile(m_file);

    // A 64-bit build reads the native view as its own, and says so: on the
    // root element, and in the name of every chain's root, which a program
    // that knows no view mark cannot place.
    const bool nativeOwnView = TestEnv::Is64BitWindows() && !TestEnv::IsWow64();
    EXPECT_EQ(file.rfind(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n ") +
                             (nativeOwnView ? "<registry view=\"64\">\r\n  <k name=\"HKEY_CURRENT_USER (64-bit view)\">"
                                            : "<registry>\r\n  <k name=\"HKEY_CURRENT_USER\">") +
                             "\r\n   <k name=\"Software\">\r\n"
                             "    <k name=\"QmRoundTrip\">\r\n",
                         0),
              0u);
    // Last, before the root's end tag, the checksum of everything before it.
    const std::string chainEnd = "\r\n    </k>\r\n   </k>\r\n  </k>\r\n";
    const size_t checksumLine = file.rfind("  <!-- crc32 ");
    ASSERT_NE(checksumLine, std::string::npos);
    ASSERT_GT(checksumLine, chainEnd.size());
    EXPECT_EQ(file.substr(checksumLine - chainEnd.size(), chainEnd.size()), chainEnd);
    Crc32 checksum;
    checksum.Add(file.data(), checksumLine + 2);
    EXPECT_EQ(file.substr(checksumLine), "  " + CXmlWriter::ChecksumComment(checksum.Value()) + "\r\n </registry>\r\n");
    const char* const plainLines[] = {
        "     <v name=\"(Default)\" value=\"the default\"/>\r\n",
        "     <v name=\"dword\" value=\"0x0000001a (26)\" type=\"REG_DWORD\"/>\r\n",
        "     <v name=\"dword minus one\" value=\"0xffffffff (-1)\" type=\"REG_DWORD\"/>\r\n",
        "     <v name=\"qword\" value=\"0x8807060504030201\" type=\"REG_QWORD\"/>\r\n",
        "     <v name=\"multi\" value=\"\r\na\r\n\r\nb\" type=\"REG_MULTI_SZ\"/>\r\n",
        "     <v name=\"expand\" value=\"%SystemRoot%\\system32\" type=\"REG_EXPAND_SZ\"/>\r\n",
        "     <v name=\"requirements\" value=\"00\" type=\"REG_RESOURCE_REQUIREMENTS_LIST\"/>\r\n",
        "value=\"&lt;&amp;&quot;'> &amp;amp; &amp;lt; Sp\xC3\xA9" "cial &lt;&amp;&quot;'> ",
        "     <k name=\"empty key\">\r\n      <k name=\"empty too\"/>\r\n     </k>\r\n",
        "     <v name=\"big endian\" value=\"00 00 01 02\" type=\"REG_DWORD_BIG_ENDIAN\"/>\r\n",
        "     <v name=\"none empty\" value=\"\" type=\"REG_NONE\"/>\r\n",
        "     <v name=\"dword short\" value=\"01 02\" type=\"REG_TYPE_4\"/>\r\n",
        "     <v name=\"unknown type\" value=\"de ad be ef\" type=\"REG_TYPE_74565\"/>\r\n",
    };
    for (const char* line : plainLines)
        EXPECT_NE(file.find(line), std::string::npos) << line;
    // The excluded finding adds no chain of its own; the value finding adds
    // its whole key once.
    EXPECT_EQ(file.find("<k name=\"QmRoundTrip\">", file.find("<k name=\"QmRoundTrip\">") + 1), std::string::npos);
}

TEST(BackupFileFormat, FilesOfThePlainFormsReadBackAsBefore)
{
    const std::string path = TestEnv::MakeScratchFolder("plainformat") + "plain.rbk";
    ASSERT_TRUE(TestEnv::WriteFile(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n"
                                         "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Software\">\r\n"
                                         "    <k name=\"QmPlainFormat\">\r\n"
                                         "     <v name=\"(DEFAULT)\" value=\"text\"/>\r\n"
                                         "     <v name=\"was big endian\" value=\"0x0000001a (26)\" type=\"REG_DWORD\"/>\r\n"
                                         "     <v name=\"empty binary\" value=\"\" type=\"REG_BINARY\"/>\r\n"
                                         "     <v name=\"empty multi\" value=\"\" type=\"REG_MULTI_SZ\"/>\r\n"
                                         "     <v name=\"multi\" value=\"a\r\nb\" type=\"reg_multi_sz\"/>\r\n"
                                         "     <v name=\"was descriptor\" value=\"x\" type=\"\"/>\r\n"
                                         "     <v name=\"entity\" value=\"&amp;amp;\"/>\r\n"
                                         "     <v name=\"more entities\" value=\"&gt;&apos;\"/>\r\n"
                                         "    </k>\r\n   </k>\r\n  </k>\r\n </registry>\r\n"));
    CRegistryManager manager(nullptr);
    EXPECT_EQ(manager.RestoreRegistry(path), 1);
    RegistryTree::Key tree;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, "Software\\QmPlainFormat", tree));
    EXPECT_TRUE(tree.values[""] == V(REG_SZ, Sz("text")));
    EXPECT_TRUE(tree.values["was big endian"] == V(REG_DWORD, Bytes({0x1a, 0, 0, 0})));
    EXPECT_TRUE(tree.values["empty binary"] == V(REG_BINARY, Bytes({0})));
    EXPECT_TRUE(tree.values["empty multi"] == V(REG_MULTI_SZ, Bytes({0})));
    EXPECT_TRUE(tree.values["multi"] == V(REG_MULTI_SZ, std::string("a\0b\0\0", 5)));
    EXPECT_TRUE(tree.values["was descriptor"] == V(REG_SZ, Sz("x")));
    EXPECT_TRUE(tree.values["entity"] == V(REG_SZ, Sz("&amp;")));
    EXPECT_TRUE(tree.values["more entities"] == V(REG_SZ, Sz(">'")));
    RegistryTree::Delete(HKEY_CURRENT_USER, "Software\\QmPlainFormat");
}

TEST(BackupFileFormat, ValueTextsAndTypeNames)
{
    std::string text;
    std::string type;
    const BYTE dword[] = {0x1a, 0, 0, 0};
    RegistryValueText::DescribeValue(dword, 4, REG_DWORD, text, type);
    EXPECT_EQ(text, "0x0000001a (26)");
    EXPECT_EQ(type, "REG_DWORD");
    const BYTE binary[] = {1, 10, 255};
    RegistryValueText::DescribeValue(binary, 3, REG_BINARY, text, type);
    EXPECT_EQ(text, "01 0a ff");
    const BYTE multi[] = {'a', 0, 'b', 0, 0};
    RegistryValueText::DescribeValue(multi, 5, REG_MULTI_SZ, text, type);
    EXPECT_EQ(text, "a\r\nb");
    RegistryValueText::DescribeValue(dword, 3, REG_SZ, text, type);
    EXPECT_EQ(text, "1a 00 00");
    EXPECT_EQ(type, "REG_TYPE_1");

    DWORD parsedType = 0;
    std::vector<BYTE> data;
    EXPECT_TRUE(RegistryValueText::ParseValue("", "reg_qword", parsedType, data));
    EXPECT_EQ(parsedType, static_cast<DWORD>(REG_QWORD));
    EXPECT_EQ(data, std::vector<BYTE>(8, 0));
    EXPECT_TRUE(RegistryValueText::ParseValue("", "REG_LINK", parsedType, data));
    EXPECT_EQ(parsedType, static_cast<DWORD>(REG_LINK));
    EXPECT_TRUE(data.empty());
    EXPECT_FALSE(RegistryValueText::ParseValue("0x0000zz1a", "REG_DWORD", parsedType, data));
    EXPECT_FALSE(RegistryValueText::ParseValue("0", "REG_TYPE_3", parsedType, data));
    // Only forms a writer makes: a damaged file must not pass for another value.
    EXPECT_FALSE(RegistryValueText::ParseValue("x", "REG_TYPE_99999999999", parsedType, data));
    EXPECT_FALSE(RegistryValueText::ParseValue("x", "REG_SOMETHING", parsedType, data));
    EXPECT_TRUE(RegistryValueText::ParseValue("x", "", parsedType, data));
    EXPECT_EQ(parsedType, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(RegistryValueText::ParseValue("0x0000001a (26)", "REG_DWORD", parsedType, data));
    EXPECT_EQ(data, (std::vector<BYTE>{0x1a, 0, 0, 0}));
    EXPECT_TRUE(RegistryValueText::ParseValue("0xffffffff (-1)", "REG_DWORD", parsedType, data));
    EXPECT_TRUE(RegistryValueText::ParseValue("0x0000001a", "REG_DWORD", parsedType, data));
    for (const char* wrong : {"0x0000001a (27)", "0x0000001a(26)", "0x0000001", "1x0000001a", "0x0000001a (26)x"})
        EXPECT_FALSE(RegistryValueText::ParseValue(wrong, "REG_DWORD", parsedType, data)) << wrong;
    EXPECT_FALSE(RegistryValueText::ParseValue("0x000000000000001a (26)", "REG_QWORD", parsedType, data));
    EXPECT_FALSE(RegistryValueText::ParseValue("01-0a ff", "REG_BINARY", parsedType, data));
    EXPECT_FALSE(RegistryValueText::ParseValue("01 0a f", "REG_BINARY", parsedType, data));

    EXPECT_EQ(RegistryValueText::EscapeXml("a&b\"c<d>e'"), "a&amp;b&quot;c&lt;d>e'");
    EXPECT_EQ(RegistryValueText::UnescapeXml("&amp;amp; &amp;lt; &lt;&quot;&amp;"), "&amp; &lt; <\"&");
    EXPECT_EQ(RegistryValueText::UnescapeXml("&gt;&apos;&#65;&x"), ">'&#65;&x");
    EXPECT_TRUE(RegistryValueText::IsEscapedWhole("&lt;&gt;&amp;&quot;&apos;'>"));
    for (const char* wrong : {"&#65;", "&nbsp;", "a & b", "&amp", "<"})
        EXPECT_FALSE(RegistryValueText::IsEscapedWhole(wrong)) << wrong;

    // Only a text the code page spells exactly comes back; the rest would hold "?".
    std::string plain = "unchanged";
    EXPECT_TRUE(RegistryValueText::UnescapeXmlExactly("a&amp;b", plain));
    EXPECT_EQ(plain, "a&b");
    EXPECT_EQ(RegistryValueText::UnescapeXmlExactly(RegistryValueText::AnsiToUtf8("Sp\xE9" "cial"), plain), true);
    EXPECT_EQ(plain, "Sp\xE9" "cial");
    plain = "unchanged";
    EXPECT_FALSE(RegistryValueText::UnescapeXmlExactly("bad\xC3(", plain));
    EXPECT_FALSE(RegistryValueText::UnescapeXmlExactly("\xF0\x9F\x98\x80", plain));
    EXPECT_FALSE(RegistryValueText::UnescapeXmlExactly("\xC4\x80", plain));
    EXPECT_EQ(plain, "unchanged");
}

// What the program sees through the ANSI calls comes back. Wine's ANSI calls
// show such strings with a terminator, so the restore stores one: "abc"
// without its zero (6 bytes) comes back as 8 bytes in the wide view.
TEST(BackupRoundTripLimits, StringsWithoutTerminatorSetThroughTheWideCalls)
{
    const char* const path = "Software\\QmWideStrings";
    CRegKey key;
    ASSERT_TRUE(RegistryTree::Create(HKEY_CURRENT_USER, path, key));
    const wchar_t text[] = L"abc";
    ASSERT_EQ(::RegSetValueExW(key.Get(), L"sz", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 6), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.Get(), L"multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(text), 6),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.Get(), L"odd", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 5), ERROR_SUCCESS);
    key.Close();
    RegistryTree::Key before;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, path, before));

    const std::string file = TestEnv::MakeScratchFolder("widestrings") + "wide.rbk";
    FakeScanItems items;
    items.Add(std::string("HKEY_CURRENT_USER\\") + path, kScanEmptyKeys);
    CRegistryManager manager(nullptr);
    ASSERT_EQ(manager.BackupKeys(&items, file), 1);
    ASSERT_TRUE(RegistryTree::Delete(HKEY_CURRENT_USER, path));
    EXPECT_EQ(manager.RestoreRegistry(file), 1);
    RegistryTree::Key after;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, path, after));
    for (const std::string& difference : RegistryTree::Differences(before, after))
        ADD_FAILURE() << difference;
    RegistryTree::Delete(HKEY_CURRENT_USER, path);
}

namespace
{
size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}
}

TEST(PartialBackup, SavesEachKeyOnceHoweverManyFindingsItHolds)
{
    // A Run key full of dead entries: every value is found twice (as a
    // startup entry and as a missing file), and a finding below the key
    // is held by the key's own chain already.
    const char* const path = "Software\\QmManyFindings";
    const std::string keyText = std::string("HKEY_CURRENT_USER\\") + path;
    const int values = 1000;
    RegistryTree::Key planted;
    for (int i = 0; i < values; ++i)
        planted.values["dead " + std::to_string(i)] = V(REG_SZ, Sz("C:\\gone\\" + std::to_string(i) + ".exe"));
    planted.subkeys["Inner"].values["dead inner"] = V(REG_SZ, Sz("C:\\gone\\inner.exe"));
    RegistryTree::Delete(HKEY_CURRENT_USER, path);
    ASSERT_TRUE(RegistryTree::Plant(HKEY_CURRENT_USER, path, planted));
    FakeScanItems items;
    items.Add(keyText + "\\Inner" + kItemValueSeparatorText + "dead inner", kScanFilePaths);
    for (int i = 0; i < values; ++i)
    {
        const std::string name = "dead " + std::to_string(i);
        items.Add(keyText + kItemValueSeparatorText + name, kScanStartup);
        // As the scanners report it: spelt in lower case.
        items.Add(AnsiText::ToLower(keyText) + kItemValueSeparatorText + name, kScanFilePaths);
    }
    const std::string file = TestEnv::MakeScratchFolder("manyfindings") + "repair.rbk";
    CRegistryManager manager(nullptr);
    ASSERT_EQ(manager.BackupKeys(&items, file), 1);
    const std::string content = RegistryTree::ReadFile(file);
    EXPECT_EQ(Occurrences(content, "<v name=\"dead 0\""), 1u);
    EXPECT_EQ(Occurrences(content, "<v name=\"dead 999\""), 1u);
    EXPECT_EQ(Occurrences(content, "<v name=\"dead inner\""), 1u);
    EXPECT_EQ(Occurrences(content, "<v "), static_cast<size_t>(values) + 1);
    EXPECT_EQ(Occurrences(content, "<k name=\"QmManyFindings\">"), 1u);
    EXPECT_LT(content.size(), static_cast<size_t>(values) * 100);

    // It restores everything the repair would delete.
    ASSERT_TRUE(RegistryTree::Delete(HKEY_CURRENT_USER, path));
    EXPECT_EQ(manager.RestoreRegistry(file), 1);
    RegistryTree::Key restored;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, path, restored));
    for (const std::string& difference : RegistryTree::Differences(planted, restored))
        ADD_FAILURE() << difference;
    RegistryTree::Delete(HKEY_CURRENT_USER, path);
}

TEST(PartialBackup, AFindingBelowAKeyThatCouldNotBeSavedIsSavedItself)
{
    // The outer key may not be opened (Windows checks no rights on the keys
    // above the one opened), and a key whose name only begins as another's
    // is not inside it.
    const char* const path = "Software\\QmSavedItself";
    RegistryTree::Key planted;
    planted.subkeys["Closed"].subkeys["Inner"].values["x"] = V(REG_SZ, Sz("1"));
    planted.subkeys["Closed Two"].values["y"] = V(REG_SZ, Sz("2"));
    RegistryTree::Delete(HKEY_CURRENT_USER, path);
    ASSERT_TRUE(RegistryTree::Plant(HKEY_CURRENT_USER, path, planted));
    const std::string keyText = std::string("HKEY_CURRENT_USER\\") + path;
    FakeScanItems items;
    items.Add(keyText + "\\Closed Two" + kItemValueSeparatorText + "y", kScanFilePaths);
    items.Add(keyText + "\\Closed\\Inner" + kItemValueSeparatorText + "x", kScanFilePaths);
    items.Add(keyText + "\\Closed", kScanEmptyKeys);
    const std::string file = TestEnv::MakeScratchFolder("saveditself") + "repair.rbk";
    {
        const TestEnv::KeyAccess closed(HKEY_CURRENT_USER, std::string(path) + "\\Closed", TestEnv::KeyAccess::kClosed);
        ASSERT_TRUE(closed.Applied());
        CRegistryManager manager(nullptr);
        ASSERT_EQ(manager.BackupKeys(&items, file), 1);
    }
    const std::string content = RegistryTree::ReadFile(file);
    EXPECT_EQ(Occurrences(content, "<v name=\"x\""), 1u) << content;
    EXPECT_EQ(Occurrences(content, "<v name=\"y\""), 1u) << content;
    RegistryTree::Delete(HKEY_CURRENT_USER, path);
}
