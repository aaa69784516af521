// Deleting the keys and values that findings name, and refusing the keys no
// finding may take.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Engine/CRegistryManager.h"
#include "Engine/DeleteRegistryValue.h"
#include "Engine/RegistryKeyPath.h"
#include "Engine/ScanCategory.h"
#include "support/FakeScanItems.h"
#include "RegistryTree.h"
#include "support/TestRegistry.h"

using RegistryTree::Sz;

namespace
{
const char kSep[] = "\xAC";

bool PlantValue(HKEY root, const std::string& path, const std::string& name, const std::string& data = "x")
{
    CRegKey key;
    return RegistryTree::Create(root, path, key) && RegistryTree::Set(key.Get(), name, REG_SZ, Sz(data));
}
}

TEST(KeyDeleteGuard, RefusesRootsContainersAndTheirParents)
{
    const char* const refused[] = {
        "HKEY_LOCAL_MACHINE",
        "HKEY_LOCAL_MACHINE\\",
        "HKEY_LOCAL_MACHINE\\Software",
        "HKEY_LOCAL_MACHINE\\Software\\",
        "HKEY_LOCAL_MACHINE\\Software\\\\Microsoft",
        "hkey_local_machine\\SOFTWARE\\Microsoft",
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
        "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services",
        "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services",
        "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet",
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg\\CLSID",
        "HKEY_CLASSES_ROOT",
        "HKEY_CLASSES_ROOT\\CLSID",
        "HKEY_CLASSES_ROOT\\Interface",
        "HKEY_CLASSES_ROOT\\TypeLib",
        "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID",
        "HKEY_LOCAL_MACHINE\\Software\\Classes",
        "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID",
        "HKEY_CURRENT_USER\\Software\\Classes",
        "HKEY_USERS\\S-1-5-21-1-2-3-1000",
        "HKEY_USERS\\S-1-5-21-1-2-3-1000\\Software",
        "HKEY_USERS\\S-1-5-21-1-2-3-1000_Classes",
        "HKEY_USERS\\S-1-5-21-1-2-3-1000_Classes\\CLSID",
        "HKEY_USERS\\.DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
        "HKEY_NOWHERE\\Software\\Vendor",
        "Software\\Vendor\\Product",
    };
    for (const char* path : refused)
        EXPECT_FALSE(RegistryKeyPath::IsDeletableKeyPath(path)) << path;

    const char* const allowed[] = {
        "HKEY_CLASSES_ROOT\\.abc",
        "HKEY_CLASSES_ROOT\\App.Document",
        "HKEY_CLASSES_ROOT\\CLSID\\{0badc0de-1111-2222-3333-444455556666}",
        "HKEY_CLASSES_ROOT\\Interface\\{0badc0de-1111-2222-3333-444455556666}",
        "HKEY_CLASSES_ROOT\\TypeLib\\{0badc0de-1111-2222-3333-444455556666}\\1.0\\HELPDIR",
        "HKEY_LOCAL_MACHINE\\Software\\Vendor",
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\app.exe",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Product",
        "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Service",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\xACvalue",
        "HKEY_CURRENT_USER\\AppEvents\\Schemes",
        "HKEY_USERS\\S-1-5-21-1-2-3-1000\\Software\\Vendor",
        "HKEY_USERS\\S-1-5-21-1-2-3-1000_Classes\\.abc",
    };
    for (const char* path : allowed)
        EXPECT_TRUE(RegistryKeyPath::IsDeletableKeyPath(path)) << path;
}

TEST(KeyDelete, DeletesWholeTreesDeeperThanOneCallMayName)
{
    RegistryTree::Key tree;
    RegistryTree::Key* level = &tree.subkeys["Top"];
    for (int depth = 0; depth < 20; ++depth)
    {
        level->values["v"] = RegistryTree::Value{REG_DWORD, std::string(4, '\1')};
        level->subkeys["sibling " + std::to_string(depth)];
        level = &level->subkeys[std::string(255, static_cast<char>('a' + depth))];
    }
    ASSERT_TRUE(RegistryTree::Plant(HKEY_CURRENT_USER, "Software\\QmDeleteDeep", tree));
    CRegistryManager manager(nullptr);
    EXPECT_EQ(manager.DeleteKeyPath("HKEY_CURRENT_USER\\Software\\QmDeleteDeep\\Top"), 1);
    EXPECT_FALSE(RegistryTree::Exists(HKEY_CURRENT_USER, "Software\\QmDeleteDeep\\Top"));
    EXPECT_TRUE(RegistryTree::Exists(HKEY_CURRENT_USER, "Software\\QmDeleteDeep"));
    EXPECT_EQ(manager.DeleteKeyPath("HKEY_CURRENT_USER\\Software\\QmDeleteDeep\\Top"), 1);
    EXPECT_EQ(manager.DeleteKeyPath("HKEY_CURRENT_USER\\Software\\QmNoSuchParent\\Child"), 1);
    EXPECT_EQ(manager.DeleteKeyPath("HKEY_CURRENT_USER\\Software"), 0);
    EXPECT_EQ(manager.DeleteKeyPath(""), 0);
    EXPECT_EQ(manager.DeleteKeyPath("\\Software\\QmDeleteDeep"), 0);
    TestEnv::DeleteTree(HKEY_CURRENT_USER, "Software\\QmDeleteDeep");
}

TEST(KeyDelete, SubkeyTheAnsiCallsCannotSpellEndsTheDelete)
{
    CRegKey parent;
    ASSERT_TRUE(RegistryTree::Create(HKEY_CURRENT_USER, "Software\\QmUnspellable\\Finding", parent));
    HKEY child = NULL;
    // Chinese characters, which the Western code page has no bytes for.
    ASSERT_EQ(::RegCreateKeyExW(parent.Get(), L"\x4E2D\x6587", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(child);
    parent.Close();
    CRegistryManager manager(nullptr);
    const DWORD start = ::GetTickCount();
    const int deleted = manager.DeleteKeyPath("HKEY_CURRENT_USER\\Software\\QmUnspellable\\Finding");
    EXPECT_LT(::GetTickCount() - start, 10000u);
    if (RegistryTree::Exists(HKEY_CURRENT_USER, "Software\\QmUnspellable\\Finding"))
        EXPECT_EQ(deleted, 0);
    else
        EXPECT_EQ(deleted, 1);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QmUnspellable");
}

TEST(ValueDelete, DeletesTheValueTheFindingNames)
{
    const std::string key = "Software\\QmValueDelete";
    const std::string text = "HKEY_CURRENT_USER\\" + key + kSep;
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, key, "named"));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, key, "back\\slash"));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, key, ""));

    EXPECT_EQ(DeleteRegistryValue(text + "named"), 1);
    EXPECT_FALSE(RegistryTree::ValueExists(HKEY_CURRENT_USER, key, "named"));
    EXPECT_EQ(DeleteRegistryValue("hkey_current_user\\" + key + kSep + "back\\slash"), 1);
    EXPECT_FALSE(RegistryTree::ValueExists(HKEY_CURRENT_USER, key, "back\\slash"));
    EXPECT_EQ(DeleteRegistryValue(text), 1);
    EXPECT_FALSE(RegistryTree::ValueExists(HKEY_CURRENT_USER, key, ""));
    // A value that is not there is no repair.
    EXPECT_EQ(DeleteRegistryValue(text + "named"), 0);

    // "(Default)" of a key without such a named value empties the unnamed one.
    EXPECT_EQ(DeleteRegistryValue(text + "(Default)"), 1);
    RegistryTree::Key tree;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, key, tree));
    EXPECT_TRUE(tree.values[""] == (RegistryTree::Value{REG_SZ, Sz("")}));

    EXPECT_EQ(DeleteRegistryValue("HKEY_CURRENT_USER\\" + key), 0);
    EXPECT_EQ(DeleteRegistryValue(std::string("HKEY_CURRENT_USER\\") + kSep + "x"), 0);
    EXPECT_EQ(DeleteRegistryValue("HKEY_CURRENT_USER\\Software\\QmNoSuchKey" + std::string(kSep) + "x"), 0);
    EXPECT_EQ(DeleteRegistryValue("HKEY_NOWHERE\\" + key + kSep + "x"), 0);
    EXPECT_EQ(DeleteRegistryValue(std::string(kSep) + "\\x"), 0);
    TestEnv::DeleteTree(HKEY_CURRENT_USER, key);
}

TEST(ValueDelete, PartialBackupKeepsTheStoredSpellingOfLowerCasedFindings)
{
    const std::string key = "Software\\QmSpelling\\Mixed Case\\Tool.EXE";
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, key, "Value", "data"));
    ASSERT_TRUE(PlantValue(HKEY_CURRENT_USER, key + "\\Inner Key", "x"));
    FakeScanItems items;
    items.Add("hkey_current_user\\software\\qmspelling\\mixed case\\tool.exe" + std::string(kSep) + "value",
              kScanStartup);
    items.Add("HKEY_CURRENT_USER\\SOFTWARE\\QMSPELLING\\MIXED CASE\\TOOL.EXE", kScanAppPaths);
    // Under WOW64 a 32-bit program reaches this key through a redirected
    // view, whose stored name runs through "Wow6432Node".
    const std::string machineKey = "Software\\QmSpelling\\Mixed Case";
    ASSERT_TRUE(PlantValue(HKEY_LOCAL_MACHINE, machineKey, "Value", "data"));
    items.Add("hkey_local_machine\\software\\qmspelling\\mixed case" + std::string(kSep) + "value", kScanStartup);
    const std::string file = TestEnv::MakeScratchFolder("spelling") + "partial.rbk";
    CRegistryManager manager(nullptr);
    ASSERT_EQ(manager.BackupKeys(&items, file), 1);
    const std::string content = RegistryTree::ReadFile(file);
    // A 64-bit build spells its roots with the native view's mark.
    const std::string suffix = TestEnv::Is64BitWindows() && !TestEnv::IsWow64() ? " (64-bit view)" : "";
    EXPECT_NE(content.find("  <k name=\"HKEY_LOCAL_MACHINE" + suffix + "\">\r\n   <k name=\"Software\">\r\n"
                           "    <k name=\"QmSpelling\">\r\n     <k name=\"Mixed Case\">\r\n"
                           "      <v name=\"Value\" value=\"data\"/>\r\n"),
              std::string::npos)
        << content;
    TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, "Software\\QmSpelling");
    const std::string chain = "  <k name=\"HKEY_CURRENT_USER" + suffix + "\">\r\n   <k name=\"Software\">\r\n"
                              "    <k name=\"QmSpelling\">\r\n     <k name=\"Mixed Case\">\r\n"
                              "      <k name=\"Tool.EXE\">\r\n";
    const size_t first = content.find(chain);
    ASSERT_NE(first, std::string::npos) << content;
    // Two findings of one key, spelt differently: the key is saved once.
    EXPECT_EQ(content.find(chain, first + 1), std::string::npos);

    ASSERT_TRUE(RegistryTree::Delete(HKEY_CURRENT_USER, "Software\\QmSpelling"));
    EXPECT_EQ(manager.RestoreRegistry(file), 1);
    CRegKey parent;
    ASSERT_EQ(parent.Open(HKEY_CURRENT_USER, "Software\\QmSpelling", KEY_READ), ERROR_SUCCESS);
    char name[64] = {};
    DWORD length = sizeof(name);
    ASSERT_EQ(::RegEnumKeyExA(parent.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Mixed Case");
    CRegKey tool;
    ASSERT_EQ(tool.Open(parent.Get(), "Mixed Case", KEY_READ), ERROR_SUCCESS);
    length = sizeof(name);
    ASSERT_EQ(::RegEnumKeyExA(tool.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Tool.EXE");
    parent.Close();
    tool.Close();
    TestEnv::DeleteTree(HKEY_CURRENT_USER, "Software\\QmSpelling");
}
