// The white list "WL": which fragments a file gives, which texts they match,
// and a list read only in part.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Client/Scan/ListFile.h"
#include "Client/Scan/WhiteList.h"
#include "Framework/CHandle.h"
#include "Framework/AnsiText.h"
#include "support/TestRegistry.h"

TEST(WhiteList, MatchesEntriesBeforeTheirSemicolonInAnyCase)
{
    const std::string folder = TestEnv::MakeScratchFolder("whitelist");
    const std::string path = folder + "WL";
    ASSERT_TRUE(TestEnv::WriteFile(path, " Foo ;bar"));
    WhiteList list;
    // The fragment without its ";" is not taken, and the list says so.
    EXPECT_EQ(list.Read(path), WhiteList::Status::kDamaged);
    EXPECT_TRUE(list.Matches("HKEY_CURRENT_USER\\xFOOy"));
    EXPECT_FALSE(list.Matches("bar"));

    WhiteList leadingEmpty;
    ASSERT_TRUE(TestEnv::WriteFile(path, ";foo;"));
    EXPECT_EQ(leadingEmpty.Read(path), WhiteList::Status::kDamaged);
    EXPECT_FALSE(leadingEmpty.Matches("foo"));

    // White space of every kind around a fragment; an empty one ends the list.
    WhiteList spaced;
    spaced.Add("\t\v\f C:\\Temp\\ \r\n;\r\n\xC4Pfel;  ;after;");
    EXPECT_EQ(spaced.Size(), 2u);
    EXPECT_TRUE(spaced.Matches("c:\\temp\\x.tmp"));
    EXPECT_TRUE(spaced.Matches("C:\\Users\\\xE4pfel.lnk"));
    EXPECT_FALSE(spaced.Matches("after"));
    EXPECT_FALSE(spaced.Matches("c:\\temp"));

    // A missing list is made empty and matches nothing.
    const std::string missing = folder + "WL2";
    ::DeleteFileA(missing.c_str());
    WhiteList none;
    EXPECT_EQ(none.Read(missing), WhiteList::Status::kDone);
    EXPECT_FALSE(none.Matches("foo"));
    EXPECT_TRUE(TestEnv::FileExists(missing));
}

// Fragments of many lengths, looked up in texts that hold them anywhere:
// at the start, at the end, as the whole text, overlapping each other.
TEST(WhiteList, FindsEveryFragmentWhereverItLies)
{
    std::mt19937 random(20240501);
    const auto word = [&](size_t length) {
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += "aB\\^"[random() % 4];
        return text;
    };
    std::vector<std::string> fragments;
    std::string file;
    for (int i = 0; i < 60; ++i)
    {
        fragments.push_back(word(4 + random() % 8));
        file += fragments.back() + ";\r\n";
    }
    WhiteList list;
    list.Add(file);
    int matched = 0;
    for (int i = 0; i < 3000; ++i)
    {
        std::string text = word(random() % 40);
        if (i % 3 == 0)
            text.insert(random() % (text.size() + 1), fragments[random() % fragments.size()]);
        bool expected = false;
        for (const std::string& fragment : fragments)
            expected = expected || AnsiText::ToLower(text).find(AnsiText::ToLower(fragment)) != std::string::npos;
        ASSERT_EQ(list.Matches(text), expected) << text;
        matched += expected ? 1 : 0;
    }
    EXPECT_GT(matched, 1000);
    EXPECT_LT(matched, 2900);
    for (const std::string& fragment : fragments)
    {
        EXPECT_TRUE(list.Matches(fragment));
        EXPECT_TRUE(list.Matches(fragment + "tail"));
        EXPECT_TRUE(list.Matches("HEAD" + fragment));
    }
}

// What was read at one scan stays for the next, as the file is read again;
// a list of any size is read, and one read only in part says so.
TEST(WhiteList, ReadsAddToWhatWasReadAListOfAnySizeIsReadAndOneReadInPartSaysSo)
{
    const std::string path = TestEnv::MakeScratchFolder("whitelist-reads") + "WL";
    ASSERT_TRUE(TestEnv::WriteFile(path, "alpha;beta;"));
    WhiteList list;
    EXPECT_EQ(list.Read(path), WhiteList::Status::kDone);
    ASSERT_TRUE(TestEnv::WriteFile(path, "beta;gamma;"));
    EXPECT_EQ(list.Read(path), WhiteList::Status::kDone);
    EXPECT_EQ(list.Size(), 3u);
    for (const char* text : {"xALPHAx", "beta", "gamma"})
        EXPECT_TRUE(list.Matches(text)) << text;

    std::string large;
    for (unsigned i = 0; large.size() <= (3u << 20); ++i)
        large += "c:\\program files\\delta " + std::to_string(i) + "\\;\r\n";
    ASSERT_TRUE(TestEnv::WriteFile(path, large));
    EXPECT_EQ(list.Read(path), WhiteList::Status::kDone);
    EXPECT_TRUE(list.Matches("C:\\Program Files\\Delta 7\\x.exe"));
    EXPECT_TRUE(list.Matches("c:\\program files\\delta 90000\\x.exe"));

    for (const char* damaged : {"epsilon;zeta", "epsilon;;zeta;"})
    {
        ASSERT_TRUE(TestEnv::WriteFile(path, damaged));
        WhiteList part;
        EXPECT_EQ(part.Read(path), WhiteList::Status::kDamaged) << damaged;
        EXPECT_TRUE(part.Matches("epsilon")) << damaged;
        EXPECT_FALSE(part.Matches("zeta")) << damaged;
    }
    ASSERT_TRUE(TestEnv::WriteFile(path, std::string("eta; \r\n\0", 9)));
    EXPECT_EQ(list.Read(path), WhiteList::Status::kDone);

    CHandle lock(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(list.Read(path), WhiteList::Status::kFailed);
    EXPECT_TRUE(list.Matches("eta"));
}
