// Names in a multibyte code page: the counts the registry gives are in
// characters, the ANSI names need more bytes. Runs with Japanese as the
// ANSI code page (932).
#include <windows.h>

#include <gtest/gtest.h>

#include "Engine/CRegistryManager.h"
#include "Engine/ScanCategory.h"
#include "support/FakeScanItems.h"
#include "RegistryTree.h"
#include "support/TestRegistry.h"

TEST(MultibyteNames, KeysAndValuesComeBackWhole)
{
    if (::GetACP() != 932)
        GTEST_SKIP() << "needs the Japanese ANSI code page";
    HKEY key = NULL;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QmCodePage\\\x65E5\x672C\x8A9E\x306E\x30AD\x30FC", 0,
                                nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t data[] = L"\x5024\x306E\x30C7\x30FC\x30BF";
    ASSERT_EQ(::RegSetValueExW(key, L"\x540D\x524D", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof(data)),
              ERROR_SUCCESS);
    HKEY inner = NULL;
    ASSERT_EQ(::RegCreateKeyExW(key, L"\x4E0B\x306E\x30AD\x30FC", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &inner, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(inner);
    ::RegCloseKey(key);
    RegistryTree::Key before;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, "Software\\QmCodePage", before));
    ASSERT_EQ(before.subkeys.size(), 1u);

    const std::string file = TestEnv::MakeScratchFolder("codepage") + "names.rbk";
    FakeScanItems items;
    items.Add("HKEY_CURRENT_USER\\Software\\QmCodePage", kScanEmptyKeys);
    CRegistryManager manager(nullptr);
    ASSERT_EQ(manager.BackupKeys(&items, file), 1);
    // Stored as UTF-8: the key name 日本語のキー.
    EXPECT_NE(RegistryTree::ReadFile(file).find("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x82\xAD\xE3\x83\xBC"),
              std::string::npos);
    ASSERT_TRUE(RegistryTree::Delete(HKEY_CURRENT_USER, "Software\\QmCodePage"));
    EXPECT_EQ(manager.RestoreRegistry(file), 1);
    RegistryTree::Key after;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, "Software\\QmCodePage", after));
    for (const std::string& difference : RegistryTree::Differences(before, after))
        ADD_FAILURE() << difference;
    RegistryTree::Delete(HKEY_CURRENT_USER, "Software\\QmCodePage");
}
