// What a restore that cannot write everything does: it writes the rest, and
// tells the status sink which keys it could not write, so that the user
// learns the registry was partly restored. A key below a volatile key comes
// back volatile, as the backup found it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/CRegistryManager.h"
#include "Engine/ScanCategory.h"
#include "RegistryTree.h"
#include "ShownErrors.h"
#include "support/FakeScanItems.h"
#include "support/RecordingStatus.h"
#include "support/TestRegistry.h"

using RegistryTree::Sz;

namespace
{
const char kVolatileParent[] = "Software\\QmVolatileParent";
const char kRefused[] = "Software\\QmRefusedParent";
const char kWritable[] = "Software\\QmWritableBeside";

std::string UserKey(const std::string& path)
{
    return "HKEY_CURRENT_USER\\" + path;
}

// Everyone may read the key, and do nothing more.
bool MakeReadOnly(HKEY root, const std::string& path)
{
    return TestEnv::SetKeyAccess(root, path, "D:P(A;;KR;;;WD)");
}

// Nobody may open the key, as a key of another user's or the machine's is
// to a user without rights.
bool MakeClosed(HKEY root, const std::string& path)
{
    return TestEnv::SetKeyAccess(root, path, "D:P");
}

bool MakeWritable(HKEY root, const std::string& path)
{
    return TestEnv::SetKeyAccess(root, path, "D:(A;;KA;;;WD)");
}
}

TEST(RestoreOutcome, KeysBelowAVolatileKeyComeBackVolatile)
{
    RegistryTree::Delete(HKEY_CURRENT_USER, kVolatileParent);
    CRegKey parent;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kVolatileParent, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, parent.Receive(), nullptr),
              ERROR_SUCCESS);
    CRegKey session;
    ASSERT_EQ(::RegCreateKeyExA(parent.Get(), "Session", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                session.Receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_TRUE(RegistryTree::Set(session.Get(), "state", REG_SZ, Sz("live")));
    session.Close();

    const std::string file = TestEnv::MakeScratchFolder("volatile") + "volatile.rbk";
    FakeScanItems items;
    items.Add(UserKey(kVolatileParent), kScanEmptyKeys);
    RecordingStatus status;
    CRegistryManager manager(&status);
    ASSERT_EQ(manager.BackupKeys(&items, file), 1);
    // Gone, as a key of a session that ended would be.
    ASSERT_EQ(::RegDeleteKeyA(parent.Get(), "Session"), ERROR_SUCCESS);

    EXPECT_EQ(manager.RestoreRegistry(file), 1);
    EXPECT_TRUE(ShownErrors::NotRestored(status).empty());
    RegistryTree::Key restored;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, std::string(kVolatileParent) + "\\Session", restored));
    EXPECT_TRUE(restored.values["state"] == (RegistryTree::Value{REG_SZ, Sz("live")}));
    // Only a volatile key refuses a lasting key below it.
    ASSERT_EQ(session.Open(parent.Get(), "Session", KEY_ALL_ACCESS), ERROR_SUCCESS);
    CRegKey probe;
    EXPECT_EQ(::RegCreateKeyExA(session.Get(), "lasting", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, probe.Receive(), nullptr),
              ERROR_CHILD_MUST_BE_VOLATILE);
    probe.Close();
    session.Close();
    parent.Close();
    RegistryTree::Delete(HKEY_CURRENT_USER, kVolatileParent);
}

TEST(RestoreOutcome, KeysThatCannotBeWrittenAreToldAndTheRestIsWritten)
{
    const std::string inside = std::string(kRefused) + "\\Inside";
    MakeWritable(HKEY_CURRENT_USER, inside);
    MakeWritable(HKEY_CURRENT_USER, kRefused);
    RegistryTree::Delete(HKEY_CURRENT_USER, kRefused);
    RegistryTree::Delete(HKEY_CURRENT_USER, kWritable);
    RegistryTree::Key refused;
    refused.values["kept"] = {REG_SZ, Sz("before")};
    refused.values["changed"] = {REG_SZ, Sz("before")};
    refused.subkeys["Inside"].values["gone"] = {REG_SZ, Sz("inside")};
    refused.subkeys["Inside"].subkeys["Deeper"].values["gone too"] = {REG_SZ, Sz("deeper")};
    ASSERT_TRUE(RegistryTree::Plant(HKEY_CURRENT_USER, kRefused, refused));
    RegistryTree::Key writable;
    writable.values["back"] = {REG_SZ, Sz("again")};
    ASSERT_TRUE(RegistryTree::Plant(HKEY_CURRENT_USER, kWritable, writable));

    const std::string file = TestEnv::MakeScratchFolder("refused") + "refused.rbk";
    FakeScanItems items;
    items.Add(UserKey(kRefused), kScanEmptyKeys);
    items.Add(UserKey(kWritable), kScanEmptyKeys);
    RecordingStatus status;
    CRegistryManager manager(&status);
    ASSERT_EQ(manager.BackupKeys(&items, file), 1);
    ASSERT_TRUE(RegistryTree::Delete(HKEY_CURRENT_USER, kWritable));
    ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, kRefused, "changed", "after"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, inside, "gone", "after"));
    ASSERT_TRUE(MakeClosed(HKEY_CURRENT_USER, inside));
    ASSERT_TRUE(MakeReadOnly(HKEY_CURRENT_USER, kRefused));

    EXPECT_EQ(manager.RestoreRegistry(file), 0);
    EXPECT_TRUE(ShownErrors::Messages(status).empty());
    // The key with a value that differs and could not be set (a value that
    // holds the backup's data already counts as restored), and the key that
    // could not be opened, once: what lies below it is left out with it.
    EXPECT_EQ(ShownErrors::NotRestored(status), (std::vector<std::string>{UserKey(kRefused), UserKey(inside)}));
    RegistryTree::Key after;
    ASSERT_TRUE(RegistryTree::Read(HKEY_CURRENT_USER, kWritable, after));
    EXPECT_TRUE(after.values["back"] == (RegistryTree::Value{REG_SZ, Sz("again")}));

    EXPECT_TRUE(MakeWritable(HKEY_CURRENT_USER, inside));
    EXPECT_TRUE(MakeWritable(HKEY_CURRENT_USER, kRefused));
    RegistryTree::Delete(HKEY_CURRENT_USER, kRefused);
    RegistryTree::Delete(HKEY_CURRENT_USER, kWritable);
}
