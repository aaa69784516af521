// The registry-key holder that the settings, statistics and pages share.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/Shell/RegKeyHolder.h"
#include "support/TestRegistry.h"

namespace
{
const char* const kScratch = "Software\\QuillomarTest\\Holder";

class RegKeyHolderTest : public testing::Test
{
protected:
    void SetUp() override { TestEnv::DeleteTree(HKEY_CURRENT_USER, "Software\\QuillomarTest"); }
    void TearDown() override { TestEnv::DeleteTree(HKEY_CURRENT_USER, "Software\\QuillomarTest"); }

    static void SetRaw(const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = NULL;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
};
}

TEST_F(RegKeyHolderTest, OpenFailsOnAMissingKeyAndCreateMakesIt)
{
    RegKeyHolder key;
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, kScratch));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_TRUE(key.Create(HKEY_CURRENT_USER, kScratch));
    EXPECT_TRUE(key.IsOpen());
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_TRUE(key.Open(HKEY_CURRENT_USER, kScratch));
}

TEST_F(RegKeyHolderTest, NumbersAreReadWhateverTheirStoredType)
{
    RegKeyHolder key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, kScratch));
    EXPECT_TRUE(key.WriteDword("n", 42));
    DWORD value = 99;
    EXPECT_TRUE(key.ReadDword("n", value));
    EXPECT_EQ(value, 42u);
    EXPECT_FALSE(key.ReadDword("missing", value));
    EXPECT_EQ(value, 0u);
    const BYTE two[2] = {7, 0};
    SetRaw("binary", REG_BINARY, two, 2);
    EXPECT_TRUE(key.ReadDword("binary", value));
    EXPECT_EQ(value, 7u);
    SetRaw("long", REG_SZ, "longer than four", 17);
    EXPECT_FALSE(key.ReadDword("long", value));
    EXPECT_EQ(value, 0u);
}

TEST_F(RegKeyHolderTest, TextsAreWrittenAndReadToTheirEnd)
{
    RegKeyHolder key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, kScratch));
    ASSERT_TRUE(key.WriteString("t", "abc"));
    // Wine's ANSI call stores a terminator that was not given, so only the
    // type and the text can be checked here.
    DWORD type = 0;
    ASSERT_EQ(::RegQueryValueExA(key.Get(), "t", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    std::string text = "old";
    EXPECT_TRUE(key.ReadString("t", text));
    EXPECT_EQ(text, "abc");
    EXPECT_FALSE(key.ReadString("missing", text));
    EXPECT_EQ(text, "");
}

TEST_F(RegKeyHolderTest, TextsUpToTheLimitReadWholeAndLongerOnesFail)
{
    RegKeyHolder key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, kScratch));
    const std::string almost(RegKeyHolder::kMaxStringBytes - 1, 'e');
    ASSERT_TRUE(key.WriteString("almost", almost));
    std::string text;
    EXPECT_TRUE(key.ReadString("almost", text));
    EXPECT_EQ(text, almost);

    // An unterminated text of the full limit is handed out whole where the
    // system reports its stored size, and refused where it counts a
    // terminator (Wine). Either way nothing past the value is read.
    const std::string full(RegKeyHolder::kMaxStringBytes, 'f');
    ASSERT_TRUE(key.WriteString("full", full));
    if (key.ReadString("full", text))
        EXPECT_EQ(text, full);
    else
        EXPECT_EQ(text, "");

    const std::string terminated(RegKeyHolder::kMaxStringBytes - 1, 'g');
    SetRaw("terminated", REG_SZ, terminated.c_str(), static_cast<DWORD>(terminated.size() + 1));
    EXPECT_TRUE(key.ReadString("terminated", text));
    EXPECT_EQ(text, terminated);

    const std::string longer(RegKeyHolder::kMaxStringBytes + 1, 'h');
    ASSERT_TRUE(key.WriteString("longer", longer));
    text = "old";
    EXPECT_FALSE(key.ReadString("longer", text));
    EXPECT_EQ(text, "");
}

TEST_F(RegKeyHolderTest, DeleteSubKeyWorksOnTheGivenRoot)
{
    {
        RegKeyHolder key;
        ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, kScratch));
    }
    EXPECT_TRUE(RegKeyHolder::DeleteSubKey(HKEY_CURRENT_USER, kScratch));
    EXPECT_FALSE(TestEnv::KeyExists(HKEY_CURRENT_USER, kScratch));
    EXPECT_FALSE(RegKeyHolder::DeleteSubKey(HKEY_CURRENT_USER, kScratch));
}
