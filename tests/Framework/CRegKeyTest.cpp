// The registry-key holder in the forms that the settings, the statistics and
// the Explorer menu use.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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

// Counts this program's calls of RegCloseKey while it lives, by its entry in
// the program's import table. Wine's RegCloseKey does nothing for any
// predefined root, so what the holder asks of it is only seen here.
class RegCloseKeyCounter
{
public:
    RegCloseKeyCounter() : m_entry(FindImport("RegCloseKey"))
    {
        if (m_entry)
            m_original = Swap(reinterpret_cast<ULONG_PTR>(&Counting));
        s_closed.clear();
    }
    ~RegCloseKeyCounter()
    {
        if (m_entry)
            Swap(m_original);
    }
    bool Hooked() const { return m_entry != nullptr; }
    static std::vector<HKEY> s_closed;

private:
    static LONG WINAPI Counting(HKEY key)
    {
        s_closed.push_back(key);
        return ERROR_SUCCESS;
    }
    static ULONG_PTR* FindImport(const char* name)
    {
        BYTE* const base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
        const auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (!imports.VirtualAddress)
            return nullptr;
        for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name;
             ++module)
        {
            if (!module->OriginalFirstThunk)
                continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
            auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++entries)
            {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0)
                    return reinterpret_cast<ULONG_PTR*>(&entries->u1.Function);
            }
        }
        return nullptr;
    }
    ULONG_PTR Swap(ULONG_PTR function)
    {
        DWORD protection = 0;
        ::VirtualProtect(m_entry, sizeof(*m_entry), PAGE_READWRITE, &protection);
        const ULONG_PTR old = *m_entry;
        *m_entry = function;
        ::VirtualProtect(m_entry, sizeof(*m_entry), protection, &protection);
        return old;
    }

    ULONG_PTR* m_entry;
    ULONG_PTR m_original = 0;
};
std::vector<HKEY> RegCloseKeyCounter::s_closed;
}

TEST(CRegKeyRoots, PredefinedRootsHeldByAHolderAreNeverClosedAndItsOwnKeysAre)
{
    const HKEY roots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                          HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA};
    for (HKEY root : roots)
        EXPECT_TRUE(CRegKey::IsPredefined(root)) << std::hex << reinterpret_cast<ULONG_PTR>(root);
    // Next to the roots but not one of them.
    EXPECT_FALSE(CRegKey::IsPredefined(reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000010L)))));
    EXPECT_FALSE(CRegKey::IsPredefined(NULL));

    CRegKey own;
    ASSERT_EQ(own.Create(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS), ERROR_SUCCESS);
    const HKEY ownHandle = own.Get();
    {
        RegCloseKeyCounter counter;
        ASSERT_TRUE(counter.Hooked()) << "RegCloseKey is not among this program's imports";
        {
            CRegKey currentUser(HKEY_CURRENT_USER);
            CRegKey localMachine(HKEY_LOCAL_MACHINE);
            CRegKey classes;
            classes.Attach(HKEY_CLASSES_ROOT);
        }
        EXPECT_TRUE(RegCloseKeyCounter::s_closed.empty())
            << "a predefined root was closed, first " << std::hex
            << reinterpret_cast<ULONG_PTR>(RegCloseKeyCounter::s_closed.front());
        RegCloseKeyCounter::s_closed.clear();
        // The holder's own key is closed (by the counter, which leaves it open).
        own.Close();
        ASSERT_EQ(RegCloseKeyCounter::s_closed.size(), 1u);
        EXPECT_EQ(RegCloseKeyCounter::s_closed.front(), ownHandle);
    }
    ::RegCloseKey(ownHandle);
    // The roots still work.
    CRegKey again;
    EXPECT_EQ(again.Open(HKEY_CURRENT_USER, kScratch, KEY_READ), ERROR_SUCCESS);
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
