// The registry-key holder in the forms that the settings, the statistics and
// the Explorer menu use.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Framework/CRegKey.h"
#include "support/TestRegistry.h"

namespace
{
const char* const kScratch = "Software\\QuillomarTest\\Holder";

class CRegKeyTest : public testing::Test
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

TEST_F(CRegKeyTest, OpenFailsOnAMissingKeyAndCreateMakesIt)
{
    CRegKey key;
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.Create(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_TRUE(key.IsOpen());
    key.Close();
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS), ERROR_SUCCESS);
}

TEST_F(CRegKeyTest, NumbersAreReadWhateverTheirStoredType)
{
    CRegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(key.SetDword("n", 42), ERROR_SUCCESS);
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

TEST_F(CRegKeyTest, TextsAreWrittenAndReadToTheirEnd)
{
    CRegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(key.SetStringUnterminated("t", "abc"), ERROR_SUCCESS);
    // Wine's ANSI call stores a terminator that was not given, so only the
    // type and the text can be checked here.
    DWORD type = 0;
    ASSERT_EQ(::RegQueryValueExA(key.Get(), "t", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    std::string text = "old";
    EXPECT_TRUE(key.ReadShortString("t", text));
    EXPECT_EQ(text, "abc");
    EXPECT_FALSE(key.ReadShortString("missing", text));
    EXPECT_EQ(text, "");
}

TEST_F(CRegKeyTest, TextsUpToTheLimitReadWholeAndLongerOnesFail)
{
    CRegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS), ERROR_SUCCESS);
    const std::string almost(CRegKey::kMaxShortStringBytes - 1, 'e');
    ASSERT_EQ(key.SetStringUnterminated("almost", almost), ERROR_SUCCESS);
    std::string text;
    EXPECT_TRUE(key.ReadShortString("almost", text));
    EXPECT_EQ(text, almost);

    // An unterminated text of the full limit is handed out whole where the
    // system reports its stored size, and refused where it counts a
    // terminator (Wine). Either way nothing past the value is read.
    const std::string full(CRegKey::kMaxShortStringBytes, 'f');
    ASSERT_EQ(key.SetStringUnterminated("full", full), ERROR_SUCCESS);
    if (key.ReadShortString("full", text))
        EXPECT_EQ(text, full);
    else
        EXPECT_EQ(text, "");

    const std::string terminated(CRegKey::kMaxShortStringBytes - 1, 'g');
    SetRaw("terminated", REG_SZ, terminated.c_str(), static_cast<DWORD>(terminated.size() + 1));
    EXPECT_TRUE(key.ReadShortString("terminated", text));
    EXPECT_EQ(text, terminated);

    const std::string longer(CRegKey::kMaxShortStringBytes + 1, 'h');
    ASSERT_EQ(key.SetStringUnterminated("longer", longer), ERROR_SUCCESS);
    text = "old";
    EXPECT_FALSE(key.ReadShortString("longer", text));
    EXPECT_EQ(text, "");
}

TEST_F(CRegKeyTest, DeleteKeyWorksOnTheGivenRoot)
{
    {
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS), ERROR_SUCCESS);
    }
    EXPECT_EQ(CRegKey::DeleteKey(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
    EXPECT_FALSE(TestEnv::KeyExists(HKEY_CURRENT_USER, kScratch));
    EXPECT_NE(CRegKey::DeleteKey(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
}
