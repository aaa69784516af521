// Whether a repaired finding is really gone: in this program's own view, and
// on a 64-bit Windows in the other view too, which some scanners read.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/Scan/FindingPresence.h"
#include "Engine/ScanCategory.h"
#include "Framework/CRegKey.h"
#include "support/TestRegistry.h"

namespace
{
const char kKey[] = "Software\\QmPresenceTest";
const std::string kKeyText = std::string("HKEY_LOCAL_MACHINE\\") + kKey;
const std::string kValueText = kKeyText + kItemValueSeparator + "Library";

bool Plant(REGSAM view)
{
    CRegKey key;
    return key.Create(HKEY_LOCAL_MACHINE, kKey, KEY_ALL_ACCESS | view) == ERROR_SUCCESS &&
           key.SetString("Library", "c:\\qmgone\\library.dll") == ERROR_SUCCESS;
}

void Remove(REGSAM view)
{
    CRegKey parent;
    if (parent.Open(HKEY_LOCAL_MACHINE, "Software", KEY_ALL_ACCESS | view) == ERROR_SUCCESS)
        ::RegDeleteTreeA(parent.Get(), "QmPresenceTest");
}
}

TEST(FindingPresence, AFindingIsGoneOnlyWhenGoneFromBothViews)
{
    const REGSAM other = TestEnv::OtherView();
    Remove(0);
    Remove(other);
    EXPECT_EQ(FindingPresence::Check(kValueText, kScanSharedDlls), FindingPresence::kGone);
    EXPECT_EQ(FindingPresence::Check(kKeyText, kScanActiveX), FindingPresence::kGone);

    ASSERT_TRUE(Plant(0));
    EXPECT_EQ(FindingPresence::Check(kValueText, kScanSharedDlls), FindingPresence::kPresent);
    Remove(0);
    EXPECT_TRUE(FindingPresence::IsGone(kValueText, kScanSharedDlls));
    if (!other)
        return;

    // Left in the other view only: not repaired, whichever build looks.
    ASSERT_TRUE(Plant(other));
    ASSERT_FALSE(TestEnv::KeyExists(HKEY_LOCAL_MACHINE, kKey));
    EXPECT_EQ(FindingPresence::Check(kValueText, kScanSharedDlls), FindingPresence::kPresent);
    EXPECT_EQ(FindingPresence::Check(kKeyText, kScanActiveX), FindingPresence::kPresent);
    Remove(other);
    EXPECT_TRUE(FindingPresence::IsGone(kValueText, kScanSharedDlls));
    EXPECT_TRUE(FindingPresence::IsGone(kKeyText, kScanActiveX));
}
