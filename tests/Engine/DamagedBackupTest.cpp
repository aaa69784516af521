// A backup file that is not exactly what the writer made never harms the
// registry: a file with any fault writes nothing and hands one message with
// its line to the status sink; a file the writer made restores exactly what
// it held or nothing (its checksum catches a changed byte); a name the code
// page cannot spell is left out, never written with "?"; and nothing outside
// the keys a file names ever changes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Engine/CRegistryManager.h"
#include "Engine/ScanCategory.h"
#include "support/FakeScanItems.h"
#include "RegistryTree.h"
#include "ShownErrors.h"
#include "support/TestRegistry.h"

using RegistryTree::Sz;

namespace
{
const char kTreePath[] = "Software\\QmDamaged";
const char kOutsidePath[] = "Software\\QmDamagedOutside";
const char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n";
const char kChain[] = "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Software\">\r\n    <k name=\"QmDamaged\">\r\n";
const char kChainEnd[] = "    </k>\r\n   </k>\r\n  </k>\r\n </registry>\r\n";

RegistryTree::Key PlannedTree()
{
    RegistryTree::Key root;
    root.values[""] = {REG_SZ, Sz("default")};
    root.values["lines"] = {REG_MULTI_SZ, std::string("one\0two\0three\0\0", 15)};
    root.values["number"] = {REG_DWORD, std::string("\x1a\0\0\0", 4)};
    root.values["bytes"] = {REG_BINARY, std::string("\x01\x0a\xff", 3)};
    root.subkeys["Inner"].values["text"] = {REG_SZ, Sz("<&\"'>")};
    root.subkeys["Inner"].subkeys["Empty"];
    root.subkeys["Second"].values["x"] = {REG_EXPAND_SZ, Sz("%SystemRoot%")};
    return root;
}

// The file with its checksum line (the one before the root's end tag)
// replaced by the given one.
std::string WithChecksumLine(const std::string& file, const std::string& line)
{
    const size_t end = file.rfind(" </registry>");
    const size_t start = file.rfind("\r\n", end - 3) + 2;
    return file.substr(0, start) + line + "\r\n" + file.substr(end);
}

std::vector<std::string> Lines(const std::string& file)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < file.size();)
    {
        const size_t end = file.find("\r\n", start);
        const size_t next = end == std::string::npos ? file.size() : end + 2;
        lines.push_back(file.substr(start, next - start));
        start = next;
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line;
    return text;
}

std::set<std::string> SubkeyNames(HKEY root, const std::string& path)
{
    std::set<std::string> names;
    CRegKey key;
    if (key.Open(root, path.c_str(), KEY_READ) != ERROR_SUCCESS)
        return names;
    char name[1024];
    for (DWORD i = 0;; ++i)
    {
        DWORD length = sizeof(name);
        if (::RegEnumKeyExA(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    return names;
}

struct Damage
{
    std::string name;
    std::string content;
};

class DamagedBackup : public testing::Test
{
protected:
    void SetUp() override
    {
        RegistryTree::Delete(HKEY_CURRENT_USER, kTreePath);
        ASSERT_TRUE(RegistryTree::Plant(HKEY_CURRENT_USER, kTreePath, PlannedTree()));
        RegistryTree::Key outside;
        outside.values["kept"] = {REG_SZ, Sz("never touched")};
        ASSERT_TRUE(RegistryTree::Plant(HKEY_CURRENT_USER, kOutsidePath, outside));
        ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, kOutsidePath, m_outside));

        m_folder = TestEnv::MakeScratchFolder("damaged");
        FakeScanItems items;
        items.Add(std::string("HKEY_CURRENT_USER\\") + kTreePath, kScanEmptyKeys);
        CRegistryManager manager(nullptr);
        ASSERT_EQ(manager.BackupKeys(&items, m_folder + "whole.rbk"), 1);
        m_whole = RegistryTree::ReadFile(m_folder + "whole.rbk");
        ASSERT_TRUE(RegistryTree::Delete(HKEY_CURRENT_USER, kTreePath));
        m_rootNames = SubkeyNames(HKEY_CURRENT_USER, "");
        m_softwareNames = SubkeyNames(HKEY_CURRENT_USER, "Software");
    }
    void TearDown() override
    {
        RegistryTree::Delete(HKEY_CURRENT_USER, kTreePath);
        RegistryTree::Delete(HKEY_CURRENT_USER, kOutsidePath);
    }

    // Restores the content and checks what must hold for any file: one
    // message at most; with a message, result 0 and nothing written; and
    // never a change outside the keys the file names. Leaves the registry
    // as it found it. Returns the result and the message shown.
    int Restore(const Damage& damage, std::string& shown)
    {
        const std::string path = m_folder + "damaged.rbk";
        EXPECT_TRUE(TestEnv::WriteFile(path, damage.content));
        RecordingStatus status;
        CRegistryManager manager(&status);
        const int result = manager.RestoreRegistry(path);
        const std::vector<std::string> errors = ShownErrors::Messages(status);
        m_notRestored = ShownErrors::NotRestored(status);
        EXPECT_LE(errors.size(), 1u) << damage.name;
        shown = errors.empty() ? std::string() : errors.front();
        if (!shown.empty())
        {
            EXPECT_EQ(result, 0) << damage.name;
            EXPECT_EQ(shown.rfind("Parse error in line ", 0), 0u) << damage.name << ": " << shown;
        }
        CheckNothingOutsideChanged(damage, !shown.empty());
        if (!shown.empty())
        {
            EXPECT_FALSE(RegistryTree::Exists(HKEY_CURRENT_USER, kTreePath)) << damage.name;
        }
        return result;
    }

    void CheckNothingOutsideChanged(const Damage& damage, bool nothingWritten)
    {
        RegistryTree::Key outside;
        EXPECT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, kOutsidePath, outside)) << damage.name;
        for (const std::string& difference : RegistryTree::Differences(m_outside, outside))
            ADD_FAILURE() << damage.name << ": " << difference;
        CheckNewKeys(damage, "", m_rootNames, nothingWritten);
        CheckNewKeys(damage, "Software", m_softwareNames, nothingWritten);
    }

    // Keys that were not there before must be named by the file; they are
    // removed again.
    void CheckNewKeys(const Damage& damage, const std::string& parent, const std::set<std::string>& before,
                      bool nothingWritten)
    {
        for (const std::string& name : SubkeyNames(HKEY_CURRENT_USER, parent))
        {
            if (before.count(name) || (parent == "Software" && name == "QmDamaged"))
                continue;
            EXPECT_FALSE(nothingWritten) << damage.name << ": wrote " << name;
            EXPECT_NE(damage.content.find("\"" + name + "\""), std::string::npos) << damage.name << ": " << name;
            EXPECT_EQ(name.find('?'), std::string::npos) << damage.name << ": " << name;
            RegistryTree::Delete(HKEY_CURRENT_USER, parent.empty() ? name : parent + "\\" + name);
        }
    }

    RegistryTree::Key m_outside;
    // The keys the last restore told as not restored.
    std::vector<std::string> m_notRestored;
    std::string m_folder;
    std::string m_whole;
    std::set<std::string> m_rootNames;
    std::set<std::string> m_softwareNames;
};
}

TEST_F(DamagedBackup, NoDamageHarmsTheRegistry)
{
    const std::vector<std::string> lines = Lines(m_whole);
    ASSERT_GT(lines.size(), 10u);
    std::vector<Damage> damages;
    for (size_t cut = 0; cut + 2 < m_whole.size(); cut += 7)
        damages.push_back({"cut at " + std::to_string(cut), m_whole.substr(0, cut)});
    for (size_t at = 0; at < m_whole.size(); ++at)
    {
        std::string flipped = m_whole;
        flipped[at] = static_cast<char>(flipped[at] ^ (1 << (at % 8)));
        damages.push_back({"bit " + std::to_string(at % 8) + " flipped at " + std::to_string(at), flipped});
    }
    for (size_t line = 0; line < lines.size(); ++line)
    {
        std::vector<std::string> removed = lines;
        removed.erase(removed.begin() + static_cast<long>(line));
        damages.push_back({"line removed " + std::to_string(line), Joined(removed)});
        std::vector<std::string> repeated = lines;
        repeated.insert(repeated.begin() + static_cast<long>(line), lines[line]);
        damages.push_back({"line repeated " + std::to_string(line), Joined(repeated)});
    }
    std::string oneLine;
    for (const char c : m_whole)
        if (c != '\r' && c != '\n')
            oneLine += c;
    damages.push_back({"line ends lost", oneLine});

    // Each damage is refused with its message, or (where it hit only the
    // checksum's own words, or the line ends after the root) restores the
    // tree exactly as it was backed up: never anything else.
    const size_t rootEnd = m_whole.rfind("</registry>") + std::strlen("</registry>");
    int refused = 0;
    for (const Damage& damage : damages)
    {
        std::string shown;
        const int result = Restore(damage, shown);
        if (result == 0)
        {
            ++refused;
            EXPECT_NE(shown, "") << damage.name;
        }
        else
        {
            RegistryTree::Key restored;
            EXPECT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, kTreePath, restored)) << damage.name;
            for (const std::string& difference : RegistryTree::Differences(PlannedTree(), restored))
                ADD_FAILURE() << damage.name << ": " << difference;
        }
        if (damage.name.rfind("cut at ", 0) == 0 && damage.content.size() < rootEnd)
        {
            EXPECT_NE(shown, "") << damage.name;
        }
        RegistryTree::Delete(HKEY_CURRENT_USER, kTreePath);
    }
    EXPECT_GT(refused, static_cast<int>(damages.size()) * 9 / 10);

    // The file as written restores whole: the table tested damage, not a
    // file the reader refuses anyway.
    std::string shown;
    EXPECT_EQ(Restore({"whole", m_whole}, shown), 1);
    EXPECT_EQ(shown, "");
    RegistryTree::Key restored;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, kTreePath, restored));
    for (const std::string& difference : RegistryTree::Differences(PlannedTree(), restored))
        ADD_FAILURE() << difference;
}

TEST_F(DamagedBackup, EveryDepartureFromTheWriterIsAParseErrorWithItsLine)
{
    const std::string head = std::string(kHeader) + kChain;
    const std::string good = "     <v name=\"a\" value=\"1\"/>\r\n";
    struct Case
    {
        std::string name;
        std::string content;
        std::string shown;
    };
    // The writer's file with one bit of a value's text flipped ("default"
    // becomes "defaulu"): well formed, but not what was backed up.
    std::string flippedText = m_whole;
    const size_t letter = flippedText.find("value=\"default\"") + 13;
    flippedText[letter] = static_cast<char>(flippedText[letter] ^ 1);
    const size_t checksumLine = Lines(m_whole).size() - 1;
    const std::string deep = [&] {
        std::string text = head;
        for (int i = 0; i < 600; ++i)
            text += "<k name=\"d\">\r\n";
        return text;
    }();
    const std::vector<Case> cases = {
        {"unknown key attribute", head + "     <k name=\"x\" extra=\"1\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Unknown attribute 'extra')"},
        {"unknown value attribute", head + "     <v name=\"a\" value=\"1\" typ=\"REG_SZ\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Unknown attribute 'typ')"},
        {"value without name", head + good + "     <v value=\"1\"/>\r\n" + kChainEnd,
         "Parse error in line 7 : (Missing attribute 'name')"},
        {"value without text", head + "     <v name=\"a\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Missing attribute 'value')"},
        {"key without name", head + "     <k/>\r\n" + kChainEnd, "Parse error in line 6 : (Missing attribute 'name')"},
        {"repeated attribute", head + "     <v name=\"a\" value=\"1\" name=\"b\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Repeated attribute 'name')"},
        {"empty key name", head + "     <k name=\"\"/>\r\n" + kChainEnd, "Parse error in line 6 : (Empty key name)"},
        {"key name with a backslash", head + "     <k name=\"a\\b\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Key name with a backslash)"},
        {"unknown root", std::string(kHeader) + "  <k name=\"HKEY_NOWHERE\">\r\n  </k>\r\n </registry>\r\n",
         "Parse error in line 3 : (Unknown root key)"},
        {"text between elements", head + "     stray\r\n" + good + kChainEnd,
         "Parse error in line 6 : (Unexpected text)"},
        {"second root", m_whole + " <registry>\r\n </registry>\r\n",
         "Parse error in line " + std::to_string(Lines(m_whole).size() + 1) + " : (Content after the root element)"},
        {"text after the root", m_whole + "x", "Parse error in line " + std::to_string(Lines(m_whole).size() + 1) +
                                                   " : (Content after the root element)"},
        {"misspelt element", head + "     <kk name=\"a\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Unknown element 'kk')"},
        {"misspelt root", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registri>\r\n </registri>\r\n",
         "Parse error in line 2 : (Unknown element 'registri')"},
        {"value directly in the root", std::string(kHeader) + "  <v name=\"a\" value=\"1\"/>\r\n </registry>\r\n",
         "Parse error in line 3 : (Unexpected element 'v')"},
        {"value with content", head + "     <v name=\"a\" value=\"1\"></v>\r\n" + kChainEnd,
         "Parse error in line 6 : (Element 'v' must be empty)"},
        {"attribute on an end tag", head + good + "    </k name=\"x\">\r\n   </k>\r\n  </k>\r\n </registry>\r\n",
         "Parse error in line 7 : (Unexpected attribute 'name')"},
        {"mismatched end tag", head + good + "    </v>\r\n   </k>\r\n  </k>\r\n </registry>\r\n",
         "Parse error in line 7 : (Unexpected end tag 'v')"},
        {"declaration inside", head + "<?xml version=\"1.0\"?>\r\n" + kChainEnd,
         "Parse error in line 6 : (Unexpected declaration)"},
        {"unknown view", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry view=\"32\">\r\n </registry>\r\n",
         "Parse error in line 2 : (Unknown view '32')"},
        {"deep nesting", deep, "Parse error in line 515 : (Keys nested too deeply)"},
        {"entity other than the five", head + "     <v name=\"a\" value=\"&#65;\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Unknown entity in attribute 'value')"},
        {"bare ampersand", head + "     <v name=\"a&b\" value=\"1\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Unknown entity in attribute 'name')"},
        {"raw < in a value", head + "     <v name=\"a\" value=\"x<y\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : ('<' in an attribute value)"},
        {"stray quote in a key name", head + "     <k name=\"Soft\"ware\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Missing blank after an attribute value)"},
        {"attribute without a value", head + "     <k name=\"a\" extra />\r\n" + kChainEnd,
         "Parse error in line 6 : (Attribute without a value)"},
        {"unknown type", head + "     <v name=\"a\" value=\"1\" type=\"REG_SOMETHING\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Unknown type 'REG_SOMETHING')"},
        {"short number", head + "     <v name=\"n\" value=\"0x12\" type=\"REG_DWORD\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Bad text of value 'n')"},
        {"number and decimal disagree",
         head + "     <v name=\"n\" value=\"0x0000001a (27)\" type=\"REG_DWORD\"/>\r\n" + kChainEnd,
         "Parse error in line 6 : (Bad text of value 'n')"},
        {"one flipped bit in a value's text", flippedText,
         "Parse error in line " + std::to_string(checksumLine) + " : (The checksum does not match the content)"},
        {"checksum digits in capitals", WithChecksumLine(flippedText, "  <!-- crc32 0A1B2C3D -->"),
         "Parse error in line " + std::to_string(checksumLine) + " : (Damaged checksum)"},
        {"checksum of letters", WithChecksumLine(flippedText, "  <!-- crc32 zzzzzzzz -->"),
         "Parse error in line " + std::to_string(checksumLine) + " : (Damaged checksum)"},
        {"checksum of seven digits", WithChecksumLine(flippedText, "  <!-- crc32 1234567 -->"),
         "Parse error in line " + std::to_string(checksumLine) + " : (Damaged checksum)"},
        {"checksum word in capitals", WithChecksumLine(flippedText, "  <!-- CRC32 00000000 -->"),
         "Parse error in line " + std::to_string(checksumLine) + " : (Damaged checksum)"},
        {"checksum word misspelt", WithChecksumLine(flippedText, "  <!-- brc32 00000000 -->"),
         "Parse error in line " + std::to_string(checksumLine) + " : (Unexpected comment)"},
        {"checksum comment not closed on its line", WithChecksumLine(flippedText, "  <!-- crc32 00000000 -,>"),
         "Parse error in line " + std::to_string(checksumLine) + " : (Damaged checksum)"},
        {"checksum like comment inside a key", head + "     <!-- crc32 -->\r\n" + kChainEnd,
         "Parse error in line 6 : (Damaged checksum)"},
        {"checksum inside a key", head + "  <!-- crc32 00000000 -->\r\n" + kChainEnd,
         "Parse error in line 6 : (Unexpected checksum)"},
        {"content after the checksum", m_whole.substr(0, m_whole.rfind(" </registry>")) + "  <k name=\"HKEY_USERS\"/>\r\n </registry>\r\n",
         "Parse error in line " + std::to_string(checksumLine + 1) + " : (Content after the checksum)"},
        {"huge line", head + std::string(65 * 1024 * 1024, ' ') + "\r\n" + kChainEnd,
         "Parse error in line 6 : (Line too long)"},
    };
    for (const Case& c : cases)
    {
        std::string shown;
        EXPECT_EQ(Restore({c.name, c.content}, shown), 0) << c.name;
        EXPECT_EQ(shown, c.shown) << c.name;
        EXPECT_FALSE(RegistryTree::Exists(HKEY_CURRENT_USER, kTreePath)) << c.name;
    }

    // What harms nothing reads as before: blanks and comments between
    // elements, in a file without a checksum (as earlier writers made them).
    std::string shown;
    EXPECT_EQ(Restore({"open", head + "     <!-- a note -->\r\n\t\r\n" +
                                   "     <v name=\"a\" value=\"1\"/>\r\n" + kChainEnd},
                      shown),
              1);
    EXPECT_EQ(shown, "");
    RegistryTree::Key tree;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, kTreePath, tree));
    EXPECT_TRUE(tree.values["a"] == (RegistryTree::Value{REG_SZ, Sz("1")}));
}

TEST_F(DamagedBackup, NamesTheCodePageCannotSpellAreLeftOut)
{
    // Invalid UTF-8, and a character no ANSI code page has.
    const std::string invalid = "bad\xC3(";
    const std::string emoji = "smile\xF0\x9F\x98\x80";
    const std::string content = std::string(kHeader) + kChain + "     <v name=\"kept\" value=\"yes\"/>\r\n" +
                                "     <v name=\"" + invalid + "\" value=\"1\"/>\r\n" +
                                "     <v name=\"text\" value=\"" + emoji + "\"/>\r\n" + "     <k name=\"" + emoji +
                                "\">\r\n      <v name=\"inside\" value=\"1\"/>\r\n      <k name=\"below\"/>\r\n"
                                "     </k>\r\n     <k name=\"after\"/>\r\n" + kChainEnd;
    std::string shown;
    EXPECT_EQ(Restore({"unspellable", content}, shown), 0);
    EXPECT_EQ(shown, "");
    // The key of the values left out, once, and the key left out with all
    // below it; the user learns both.
    ASSERT_EQ(m_notRestored.size(), 2u);
    EXPECT_EQ(m_notRestored[0], std::string("HKEY_CURRENT_USER\\") + kTreePath);
    EXPECT_EQ(m_notRestored[1].rfind(std::string("HKEY_CURRENT_USER\\") + kTreePath + "\\smile", 0), 0u)
        << m_notRestored[1];
    RegistryTree::Key tree;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, kTreePath, tree)) << content;
    RegistryTree::Key expected;
    expected.values["kept"] = {REG_SZ, Sz("yes")};
    expected.subkeys["after"];
    for (const std::string& difference : RegistryTree::Differences(expected, tree))
        ADD_FAILURE() << difference;
}

TEST_F(DamagedBackup, ADamagedChecksumNeverLetsChangedDataThrough)
{
    // A value's text changed, and then any one bit of the checksum line
    // flipped, or the line given another form: the file must not pass for
    // an older one without a checksum.
    std::string changed = m_whole;
    const size_t letter = changed.find("value=\"default\"") + 13;
    changed[letter] = static_cast<char>(changed[letter] ^ 1);
    const size_t end = changed.rfind(" </registry>");
    const size_t start = changed.rfind("\r\n", end - 3) + 2;
    ASSERT_EQ(changed.compare(start, 13, "  <!-- crc32 "), 0);
    std::vector<Damage> damages;
    for (size_t at = start; at < end; ++at)
        for (int bit = 0; bit < 8; ++bit)
        {
            std::string flipped = changed;
            flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
            damages.push_back({"bit " + std::to_string(bit) + " of the checksum line flipped at " +
                                   std::to_string(at - start), flipped});
        }
    const std::string line = changed.substr(start, end - start - 2);
    const std::string digits = line.substr(line.find("crc32 ") + 6, 8);
    std::string upper = digits;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::vector<std::string> forms = {
        "  <!-- crc32 " + upper + " -->",     "  <!-- crc32 zzzzzzzz -->",
        "  <!-- crc32 " + digits.substr(1) + " -->", "  <!-- crc32 " + digits + "0 -->",
        "  <!--crc32 " + digits + "-->",      "  <!-- crc32 " + digits + " -- -->",
        "  <!-- note -->",                    "  <!---->"};
    for (const std::string& form : forms)
        damages.push_back({"checksum line as '" + form + "'", WithChecksumLine(changed, form)});
    // Only a file of the native view's form is known to have had one.
    if (m_whole.find(" (64-bit view)") != std::string::npos)
        damages.push_back({"checksum line blanked", WithChecksumLine(changed, "  ")});
    for (const Damage& damage : damages)
    {
        std::string shown;
        EXPECT_EQ(Restore(damage, shown), 0) << damage.name;
        RegistryTree::Delete(HKEY_CURRENT_USER, kTreePath);
    }
}

TEST_F(DamagedBackup, TheViewMarkCannotBeDamagedUnseen)
{
    if (m_whole.find("<registry view=\"64\">") == std::string::npos)
        GTEST_SKIP() << "this build's repair backup carries no view mark";
    // Sealed, every change of the mark is refused; in a file without a
    // checksum, the mark without the roots' suffix is an earlier version's
    // form and restores, anything with the suffix is refused.
    const std::string sealed = m_whole;
    const size_t checksumStart = sealed.rfind("  <!-- crc32 ");
    const std::string older = sealed.substr(0, checksumStart) + sealed.substr(sealed.find("\r\n", checksumStart) + 2);
    const auto without = [](std::string text, const std::string& part) {
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part))
            text.erase(at, part.size());
        return text;
    };
    const auto replaced = [](std::string text, const std::string& part, const std::string& by) {
        text.replace(text.find(part), part.size(), by);
        return text;
    };
    struct Case
    {
        Damage damage;
        int result;
    };
    const std::vector<Case> cases = {
        {{"sealed, mark removed", without(sealed, " view=\"64\"")}, 0},
        {{"sealed, suffix removed", without(sealed, " (64-bit view)")}, 0},
        {{"sealed, other view", replaced(sealed, "view=\"64\"", "view=\"32\"")}, 0},
        {{"sealed, suffix misspelt", replaced(sealed, " (64-bit view)", " (64-bit View)")}, 0},
        {{"older, mark removed", without(older, " view=\"64\"")}, 0},
        {{"older, suffix misspelt", replaced(older, " (64-bit view)", " (32-bit view)")}, 0},
        {{"older, other view", replaced(older, "view=\"64\"", "view=\"6\"")}, 0},
        {{"older, suffix removed", without(older, " (64-bit view)")}, 1},
        // The suffix came with the checksum: such a file without one lost it.
        {{"suffix without a checksum", older}, 0},
    };
    for (const Case& c : cases)
    {
        std::string shown;
        EXPECT_EQ(Restore(c.damage, shown), c.result) << c.damage.name << ": " << shown;
        if (c.result)
        {
            RegistryTree::Key restored;
            EXPECT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, kTreePath, restored)) << c.damage.name;
            for (const std::string& difference : RegistryTree::Differences(PlannedTree(), restored))
                ADD_FAILURE() << c.damage.name << ": " << difference;
        }
        RegistryTree::Delete(HKEY_CURRENT_USER, kTreePath);
    }
}

TEST_F(DamagedBackup, AnOlderFileWithoutAChecksumHarmsNothingOutsideWhatItNames)
{
    // Without a checksum a changed text cannot be seen; but no damage may
    // crash or hang the restore, or write anything the file does not name.
    const size_t checksumStart = m_whole.rfind("  <!-- crc32 ");
    const std::string older =
        m_whole.substr(0, checksumStart) + m_whole.substr(m_whole.find("\r\n", checksumStart) + 2);
    std::vector<Damage> damages;
    for (size_t cut = 0; cut + 2 < older.size(); cut += 11)
        damages.push_back({"older cut at " + std::to_string(cut), older.substr(0, cut)});
    for (size_t at = 0; at < older.size(); at += 3)
    {
        std::string flipped = older;
        flipped[at] = static_cast<char>(flipped[at] ^ (1 << (at % 8)));
        damages.push_back({"older, bit " + std::to_string(at % 8) + " flipped at " + std::to_string(at), flipped});
    }
    int refused = 0;
    for (const Damage& damage : damages)
    {
        std::string shown;
        if (Restore(damage, shown) == 0)
            ++refused;
        RegistryTree::Delete(HKEY_CURRENT_USER, kTreePath);
    }
    EXPECT_GT(refused, static_cast<int>(damages.size()) / 2);
}
