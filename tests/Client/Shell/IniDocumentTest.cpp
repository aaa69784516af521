// The INI document: what a hand-edited or damaged settings file reads as, and
// that writing it back keeps everything.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Client/Shell/IniDocument.h"
#include "support/TestRegistry.h"

namespace
{
IniDocument& ParseText(IniDocument& doc, const std::string& text, bool merge = false)
{
    std::istringstream in(text);
    doc.Parse(in, merge);
    return doc;
}

std::string WriteText(const IniDocument& doc)
{
    std::ostringstream out;
    doc.Write(out);
    return out.str();
}

std::vector<std::string> KeyNames(const IniDocument& doc, const std::string& section)
{
    std::vector<std::string> names;
    if (const IniSection* s = doc.FindSection(section))
        for (const auto& key : s->Keys())
            names.push_back(key.second->GetName());
    return names;
}

std::string ReadFileText(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    char buffer[8192];
    DWORD got = 0;
    ::ReadFile(file, buffer, sizeof(buffer), &got, nullptr);
    ::CloseHandle(file);
    return std::string(buffer, got);
}
}

TEST(IniTrimming, CutsTheGivenCharactersAtBothEnds)
{
    std::string text = " \t a b \t";
    IniTrim(text, " \t");
    EXPECT_EQ(text, "a b");
    text = " \t \t";
    IniTrim(text, " \t");
    EXPECT_EQ(text, "");
    text = "xxaxx";
    IniTrimLeft(text, "x");
    EXPECT_EQ(text, "axx");
    IniTrimRight(text, "x");
    EXPECT_EQ(text, "a");
}

TEST(IniDocumentParse, SectionHeadersInAnyFormNameTheSameSection)
{
    IniDocument doc;
    ParseText(doc,
              "[SETTINGS]\r\na=1\r\n"
              "[ SETTINGS ]\r\nb=2\r\n"
              "  [settings]\r\nc=3\r\n"
              "[Settings]   \t\r\nd=4\r\n");
    ASSERT_EQ(doc.Sections().size(), 1u);
    EXPECT_EQ(doc.FindSection("settings")->GetName(), "SETTINGS");
    EXPECT_EQ(KeyNames(doc, "SETTINGS"), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(IniDocumentParse, KeyNameIsTrimmedAndValueKeepsItsBlanks)
{
    IniDocument doc;
    ParseText(doc, "[s]\n  Name  =  value with blanks \r\n");
    EXPECT_EQ(KeyNames(doc, "s"), (std::vector<std::string>{"Name"}));
    EXPECT_EQ(doc.GetValue("s", "name"), "  value with blanks ");
    EXPECT_EQ(doc.GetValue("s", " NAME "), "  value with blanks ");
}

TEST(IniDocumentParse, CommentsAndLinesWithoutANameAreIgnored)
{
    IniDocument doc;
    ParseText(doc,
              "early=ignored\n"
              "[s]\n"
              "=no name\n"
              "no equals sign\n"
              "# a comment\n"
              "#hash=kept\n"
              "; semicolon=also a key\n"
              "value=a=b\n");
    EXPECT_EQ(KeyNames(doc, "s"), (std::vector<std::string>{"#hash", "; semicolon", "value"}));
    EXPECT_EQ(doc.GetValue("s", "#hash"), "kept");
    EXPECT_EQ(doc.GetValue("s", "value"), "a=b");
    EXPECT_EQ(doc.FindSection("early"), nullptr);
}

TEST(IniDocumentParse, LaterKeysReplaceEarlierOnesAndKeepTheFirstSpelling)
{
    IniDocument doc;
    ParseText(doc, "[s]\nRunCount=1\n[t]\nx=1\n[S]\nRUNCOUNT=2\n");
    EXPECT_EQ(KeyNames(doc, "s"), (std::vector<std::string>{"RunCount"}));
    EXPECT_EQ(doc.GetValue("s", "runcount"), "2");
}

TEST(IniDocumentParse, WithoutMergeTheDocumentStartsEmpty)
{
    IniDocument doc;
    ParseText(doc, "[a]\nx=1\n");
    ParseText(doc, "[b]\ny=2\n", true);
    EXPECT_EQ(doc.GetValue("a", "x"), "1");
    EXPECT_EQ(doc.GetValue("b", "y"), "2");
    ParseText(doc, "[c]\nz=3\n");
    EXPECT_EQ(doc.FindSection("a"), nullptr);
    EXPECT_EQ(doc.GetValue("c", "z"), "3");
}

TEST(IniDocumentParse, BracketsAloneOrUnclosedAreNoHeader)
{
    IniDocument doc;
    ParseText(doc, "[s]\n[\n[open=1\n[]\nk=v\n");
    EXPECT_EQ(doc.GetValue("s", "[open"), "1");
    ASSERT_NE(doc.FindSection(""), nullptr);
    EXPECT_EQ(doc.GetValue("", "k"), "v");
}

TEST(IniDocumentWrite, SectionsAndKeysFollowNameOrderWithoutRegardToCase)
{
    IniDocument doc;
    doc.SetValue("b", "z", "1");
    doc.SetValue("A", "y", "2");
    doc.SetValue("b", "X", "3");
    doc.GetOrCreateSection("empty");
    EXPECT_EQ(WriteText(doc), "[A]\r\ny=2\r\n[b]\r\nX=3\r\nz=1\r\n[empty]\r\n");
}

TEST(IniDocumentWrite, ParsingWhatWasWrittenGivesTheSameDocument)
{
    IniDocument doc;
    doc.SetValue("SETTINGS", "LastScan", " 1 June 2024, 10:00AM ");
    doc.SetValue("SETTINGS", "Path", "C:\\a=b;c");
    doc.SetValue("Other", "#odd", "");
    IniDocument again;
    ParseText(again, WriteText(doc));
    EXPECT_EQ(WriteText(again), WriteText(doc));
    EXPECT_EQ(again.GetValue("SETTINGS", "LastScan"), " 1 June 2024, 10:00AM ");
    EXPECT_EQ(again.GetValue("SETTINGS", "Path"), "C:\\a=b;c");
}

TEST(IniDocumentFile, SaveClearsReadOnlyAndLoadReadsItBack)
{
    const std::string path = TestEnv::MakeScratchFolder("ini-readonly") + "test.ini";
    ASSERT_TRUE(TestEnv::WriteFile(path, "[old]\r\n"));
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    IniDocument doc;
    doc.SetValue("SETTINGS", "FirstRun", "0");
    EXPECT_TRUE(doc.Save(path));
    EXPECT_EQ(ReadFileText(path), "[SETTINGS]\r\nFirstRun=0\r\n");
    EXPECT_EQ(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

    IniDocument loaded;
    EXPECT_TRUE(loaded.Load(path, false));
    EXPECT_EQ(loaded.GetValue("SETTINGS", "FirstRun"), "0");
}

TEST(IniDocumentFile, AFileThatCannotBeOpenedLeavesTheDocumentAlone)
{
    const std::string folder = TestEnv::MakeScratchFolder("ini-missing");
    IniDocument doc;
    doc.SetValue("SETTINGS", "RunCount", "7");
    EXPECT_FALSE(doc.Load(folder + "missing.ini", false));
    EXPECT_EQ(doc.GetValue("SETTINGS", "RunCount"), "7");
    EXPECT_FALSE(doc.Save(folder + "no such folder\\x.ini"));
}

TEST(IniDocumentFile, AFileOpenElsewhereIsStillReadAndWritten)
{
    const std::string path = TestEnv::MakeScratchFolder("ini-shared") + "test.ini";
    ASSERT_TRUE(TestEnv::WriteFile(path, "[s]\r\nk=v\r\n"));
    HANDLE other = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    IniDocument doc;
    EXPECT_TRUE(doc.Load(path, false));
    EXPECT_EQ(doc.GetValue("s", "k"), "v");
    doc.SetValue("s", "k", "w");
    EXPECT_TRUE(doc.Save(path));
    ::CloseHandle(other);
    EXPECT_EQ(ReadFileText(path), "[s]\r\nk=w\r\n");
}
