// The hive compactor's own rules: the gain, device paths and the work folder.
#include <windows.h>

#include <gtest/gtest.h>

#include "Engine/CRegistryDefrag.h"
#include "PlantedHives.h"
#include "support/TestRegistry.h"

TEST(DefragGain, IsWholePercentsAndNothingWhenTheTotalsCannotShowOne)
{
    EXPECT_EQ(CRegistryDefrag::GainPercent(40000000, 30000000), 25u);
    EXPECT_EQ(CRegistryDefrag::GainPercent(40000000, 38500000), 4u);
    EXPECT_EQ(CRegistryDefrag::GainPercent(10000, 9500), 5u);
    EXPECT_EQ(CRegistryDefrag::GainPercent(10000, 10000), 0u);
    EXPECT_EQ(CRegistryDefrag::GainPercent(10000, 20000), 0u);
    // Below one percent of a byte, and where the truncated percent is too
    // small for the quotient to stay within 100.
    EXPECT_EQ(CRegistryDefrag::GainPercent(99, 1), 0u);
    EXPECT_EQ(CRegistryDefrag::GainPercent(0, 0), 0u);
    EXPECT_EQ(CRegistryDefrag::GainPercent(150, 140), 0u);
    EXPECT_EQ(CRegistryDefrag::GainPercent(199, 100), 0u);
}

TEST(DefragDevicePath, TakesTheDriveLetterOnlyForAWholeDeviceName)
{
    char device[512] = {};
    ASSERT_TRUE(::QueryDosDeviceA("C:", device, sizeof(device)));
    std::string path = std::string(device) + "\\Windows\\x";
    CRegistryDefrag::DevicePathToDosPath(path);
    EXPECT_EQ(path, "C:\\Windows\\x");

    for (const std::string& other : {std::string(device) + "2\\windows\\x", std::string(device),
                                     std::string("\\??\\c:\\windows\\x"), std::string("c:\\windows\\x")})
    {
        path = other;
        CRegistryDefrag::DevicePathToDosPath(path);
        EXPECT_EQ(path, other);
    }
}

TEST(DefragWorkFolder, IsEmptiedAtStartWhileItsSubfoldersStay)
{
    const std::string work = WindowsWorkFolder();
    {
        const CRegistryDefrag first;
        EXPECT_EQ(first.WorkFolder(), work);
    }
    ASSERT_TRUE(TestEnv::WriteFile(work + "\\LM_OLD", "x"));
    ASSERT_TRUE(TestEnv::WriteFile(work + "\\Backup\\LM_OLD", "x"));
    ::CreateDirectoryA((work + "\\keep").c_str(), nullptr);

    const CRegistryDefrag second;
    EXPECT_TRUE(FilesIn(work).empty());
    EXPECT_TRUE(FilesIn(work + "\\Backup").empty());
    EXPECT_TRUE(TestEnv::FileExists(work + "\\keep"));
    ::RemoveDirectoryA((work + "\\keep").c_str());
}

TEST(DefragWorkFolder, LiesUnderTheDriveWhenTheWindowsFolderIsUnknown)
{
    DefragRoots roots;
    const CRegistryDefrag defrag(roots);
    EXPECT_EQ(defrag.WorkFolder(), "C:\\Quillomar\\RegDefrag");
    EXPECT_TRUE(TestEnv::FileExists("C:\\Quillomar\\RegDefrag\\Backup"));

    // A Windows folder without its Temp folder gets one.
    const std::string windows = TestEnv::MakeScratchFolder("windows");
    roots.windowsFolder = windows;
    const CRegistryDefrag scratch(roots);
    EXPECT_EQ(scratch.WorkFolder(), windows + "Temp\\Quillomar\\RegDefrag");
    EXPECT_TRUE(TestEnv::FileExists(scratch.WorkFolder() + "\\Backup"));
}

TEST(DefragPrivilege, UnknownNamesAndMissingHiveFilesAreRefused)
{
    EXPECT_FALSE(CRegistryDefrag::SetPrivilege(TRUE, "SeNoSuchPrivilege"));
    EXPECT_EQ(CRegistryDefrag::SaveKeyWithFileDacl("c:\\windows\\temp\\no such hive", HKEY_LOCAL_MACHINE, "c:\\x"),
              LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(TestEnv::FileExists("c:\\x"));
}
