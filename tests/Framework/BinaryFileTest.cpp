// Whole-file reads and writes as bytes, in each way of opening.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Framework/CBinaryFile.h"
#include "Framework/CHandle.h"

namespace
{
std::string TempPath(const char* name)
{
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    ::DeleteFileA(path.c_str());
    return path;
}
}

TEST(BinaryFileTest, BytesGoInAndComeOutUnchanged)
{
    const std::string path = TempPath("qm-binary.bin");
    const std::string bytes("a\r\nb\nc\x1A" "d\0e\r", 10);
    ASSERT_TRUE(CBinaryFile::Write(path, bytes));
    std::string back;
    ASSERT_TRUE(CBinaryFile::Read(path, back));
    EXPECT_EQ(bytes, back);

    ASSERT_TRUE(CBinaryFile::Write(path, "xy"));
    ASSERT_TRUE(CBinaryFile::Read(path, back));
    EXPECT_EQ("xy", back) << "a replacing write leaves nothing of the longer text before";
    ::DeleteFileA(path.c_str());
}

TEST(BinaryFileTest, EachModeOpensAsItsNameSays)
{
    const std::string path = TempPath("qm-modes.txt");
    std::string text = "left over";
    EXPECT_FALSE(CBinaryFile::Read(path, text));
    EXPECT_EQ("", text);
    EXPECT_TRUE(CBinaryFile::Read(path, text, CBinaryFile::kReadCreating));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(path.c_str())) << "made empty";

    ASSERT_TRUE(CBinaryFile::Write(path, "one;", CBinaryFile::kAppend));
    ASSERT_TRUE(CBinaryFile::Write(path, "two;", CBinaryFile::kAppend));
    CBinaryFile file;
    ASSERT_TRUE(file.Open(path, CBinaryFile::kReadAppend));
    ASSERT_TRUE(file.ReadAll(text));
    EXPECT_EQ("one;two;", text);
    // While it is open to be added to, nobody else writes to it.
    EXPECT_FALSE(CBinaryFile::Write(path, "other", CBinaryFile::kAppend));
    EXPECT_TRUE(CBinaryFile::Read(path, text)) << "readers may look in";
    ASSERT_TRUE(file.WriteAll("three;"));
    file.Close();
    ASSERT_TRUE(CBinaryFile::Read(path, text));
    EXPECT_EQ("one;two;three;", text);

    // A writer that shares with writers gets in beside one that holds it.
    CBinaryFile holder;
    ASSERT_TRUE(holder.Open(path, CBinaryFile::kAppend, CBinaryFile::Sharing::kWithWriters));
    EXPECT_TRUE(CBinaryFile::Write(path, "new", CBinaryFile::kReplace, CBinaryFile::Sharing::kWithWriters));
    holder.Close();
    ::DeleteFileA(path.c_str());
}

// Nothing of a replacement is left beside the file.
bool LeftBeside(const std::string& path)
{
    WIN32_FIND_DATAA found = {};
    const HANDLE search = ::FindFirstFileA((path + ".*.new").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);
    return true;
}

// A replacement is whole or nothing: the file holds the old text or the new
// one, never a piece, and nothing is left beside it.
TEST(BinaryFileTest, AReplacementTakesThePlaceOfTheFileOnlyOnceWhole)
{
    const std::string path = TempPath("qm-replaced.ini");
    const std::string unfinished = CBinaryFile::UnfinishedName(path, 0);
    EXPECT_EQ(unfinished.compare(0, path.size() + 1, path + "."), 0) << "written elsewhere than beside the file";
    ASSERT_TRUE(CBinaryFile::ReplaceWhole(path, "first")) << "a missing file is made";
    std::string text;
    ASSERT_TRUE(CBinaryFile::Read(path, text));
    EXPECT_EQ("first", text);
    // A name left by a copy that ended before its replacement is passed by.
    ASSERT_TRUE(CBinaryFile::Write(unfinished, "left by a crash"));
    ASSERT_TRUE(CBinaryFile::ReplaceWhole(path, std::string(100000, 's')));
    ASSERT_TRUE(CBinaryFile::Read(path, text));
    EXPECT_EQ(std::string(100000, 's'), text);
    ASSERT_TRUE(::DeleteFileA(unfinished.c_str()));
    EXPECT_FALSE(LeftBeside(path));

    // One that cannot take the file's place leaves the file as it was.
    ASSERT_TRUE(CBinaryFile::Write(path, "kept"));
    {
        // Another program holds it open and lets nobody take it away nor
        // write to it.
        CHandle held(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(CBinaryFile::ReplaceWhole(path, "lost"));
    }
    ASSERT_TRUE(CBinaryFile::Read(path, text));
    EXPECT_EQ("kept", text);
    EXPECT_FALSE(LeftBeside(path));
    ::DeleteFileA(path.c_str());
}
