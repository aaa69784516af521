// The repair, full-backup and restore jobs, end to end on the job thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "Engine/CBackupFileReader.h"
#include "Engine/CRegistryManager.h"
#include "Engine/CTolvEngineProcess.h"
#include "Engine/ScanCategory.h"
#include "support/FakeScanItems.h"
#include "Engine/BackupFolder.h"
#include "Framework/ModulePath.h"
#include "Framework/Wow64.h"
#include "RegistryTree.h"
#include "ShownErrors.h"
#include "support/RecordingStatus.h"
#include "support/TestRegistry.h"

using RegistryTree::Sz;

namespace
{
class TestProcess : public CTolvEngineProcess
{
public:
    int Repaired() const { return m_nRepairedItems; }
    int Unrepaired() const { return m_nUnrepairedItems; }
};

int RunJob(CTolvEngineProcess& process, RecordingStatus& status, int started)
{
    EXPECT_EQ(started, 1);
    process.Resume();
    EXPECT_TRUE(status.WaitFinished(600000));
    for (int i = 0; i < 1000 && process.GetThreadHandle(); ++i)
        ::Sleep(5);
    return status.Result();
}

std::vector<std::string> BackupFiles(const char* pattern)
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    const std::string folder = BackupFolder::MachineFolder() + "\\";
    const HANDLE search = ::FindFirstFileA((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do
        files.push_back(folder + found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return files;
}

void RemoveBackupFolders()
{
    for (const std::string& file : BackupFiles("*"))
        ::DeleteFileA(file.c_str());
    ::RemoveDirectoryA(BackupFolder::MachineFolder().c_str());
    std::string base = BackupFolder::BaseFolder();
    base.pop_back();
    ::RemoveDirectoryA(base.c_str());
    ::DeleteFileA(base.c_str());
}

int Count(const std::vector<RecordingStatus::Call>& calls, const std::string& op, long long value)
{
    int count = 0;
    for (const RecordingStatus::Call& call : calls)
        if (call.op == op && call.value == value)
            ++count;
    return count;
}

bool HasStatus(const RecordingStatus& status, const std::string& text)
{
    for (const RecordingStatus::Call& call : status.Calls())
        if (call.op == "status" && call.text == text)
            return true;
    return false;
}

const char kSep[] = "\xAC";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kMenuOrder[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";
const char kFonts[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kInstallerFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

struct PlantedKey
{
    HKEY root;
    const char* rootName;
    std::string path;
    DWORD category;
};

struct PlantedValue
{
    HKEY root;
    const char* rootName;
    std::string path;
    std::string name;
    DWORD category;
};

// Findings of every repair action, each planted so that its removal shows.
class RepairJob : public testing::Test
{
protected:
    void SetUp() override
    {
        RemoveBackupFolders();
        m_scratch = TestEnv::MakeScratchFolder("repair");
        m_keys = {
            {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", std::string(kMenuOrder) + "\\QmGone", kScanStartup},
            {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software\\QmRepair\\Bit800", kRepairKeyBitA},
            {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", ".qmrepair", kScanFileTypes},
            {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "CLSID\\{0badc0de-1111-2222-3333-444455556666}", kScanActiveX},
            {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Services\\QmService", kScanServices},
            {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software\\QmRepair\\Bit20000", kRepairKeyBitB},
            {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", std::string(kAppPaths) + "\\qmapp.exe", kScanAppPaths},
            {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QmApp",
             kScanUninstall},
            {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
             "SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg\\CLSID\\{0badc0de-7777-2222-3333-444455556666}",
             kScanHelpFiles},
            {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "TypeLib\\{0badc0de-8888-2222-3333-444455556666}\\1.0\\HELPDIR",
             kScanEmptyKeys},
            {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "TypeLib\\{0badc0de-9999-2222-3333-444455556666}", kScanTypeLibs},
            {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "AppEvents\\Schemes\\Apps\\QmApp", kScanSoundEvents},
        };
        m_values = {
            {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", kRun, "QmDead", kScanStartup},
            {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kFonts, "Qm Font (TrueType)", kScanFonts},
            {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kSharedDlls, "c:\\qm\\missing.dll", kScanSharedDlls},
            {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kInstallerFolders, "c:\\qm\\gone\\", kScanUninstall},
            {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kHelp, "qm.hlp", kScanHelpFiles},
            {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software\\QmRepair\\FilePath", "", kScanFilePaths},
        };
        for (const PlantedKey& key : m_keys)
        {
            CRegKey created;
            ASSERT_TRUE(RegistryTree::Create(key.root, key.path + "\\nested\\deeper", created)) << key.path;
            ASSERT_TRUE(RegistryTree::Set(created.Get(), "inner", REG_SZ, Sz(key.path)));
            items.Add(std::string(key.rootName) + "\\" + key.path, key.category);
        }
        for (const PlantedValue& value : m_values)
        {
            CRegKey key;
            ASSERT_TRUE(RegistryTree::Create(value.root, value.path, key));
            ASSERT_TRUE(RegistryTree::Set(key.Get(), value.name, REG_SZ, Sz("dead " + value.name)));
            ASSERT_TRUE(RegistryTree::Set(key.Get(), "QmNeighbour", REG_DWORD, std::string(4, '\x05')));
            items.Add(std::string(value.rootName) + "\\" + value.path + kSep + value.name, value.category);
        }
        m_shortcut = m_scratch + "dead shortcut.lnk";
        m_tempFile = m_scratch + "junk.tmp";
        ASSERT_TRUE(TestEnv::WriteFile(m_shortcut, "link"));
        ASSERT_TRUE(TestEnv::WriteFile(m_tempFile, "junk"));
        items.Add(m_shortcut, kScanShortcuts);
        items.Add("", kScanRecycleBin);
        items.Add(m_tempFile, kScanTempFiles);

        // Left alone: what the user unticked, and what no finding may take.
        CRegKey kept;
        ASSERT_TRUE(RegistryTree::Create(HKEY_CURRENT_USER, "Software\\QmRepair\\Excluded", kept));
        items.Add("HKEY_CURRENT_USER\\Software\\QmRepair\\Excluded", kRepairKeyBitA, true);
        CRegKey run;
        ASSERT_TRUE(RegistryTree::Create(HKEY_CURRENT_USER, kRun, run));
        ASSERT_TRUE(RegistryTree::Set(run.Get(), "QmKeep", REG_SZ, Sz("kept")));
        items.Add(std::string("HKEY_CURRENT_USER\\") + kRun + kSep + "QmKeep", kScanStartup, true);
        items.Add("HKEY_CURRENT_USER\\Software", kRepairKeyBitA);
        items.Add(std::string("HKEY_LOCAL_MACHINE\\") + kAppPaths, kScanAppPaths);
        items.Add("HKEY_LOCAL_MACHINE\\Software\\QmRepair\\NotACategory", 0x10000000);

        for (const PlantedKey& key : m_keys)
            ASSERT_TRUE(RegistryTree::Read(key.root, key.path, m_before[key.path]));
    }

    void TearDown() override { RemoveBackupFolders(); }

    FakeScanItems items;
    std::vector<PlantedKey> m_keys;
    std::vector<PlantedValue> m_values;
    std::map<std::string, RegistryTree::Key> m_before;
    std::string m_scratch;
    std::string m_shortcut;
    std::string m_tempFile;
};
}

TEST_F(RepairJob, RemovesTheSelectedFindingsAndItsBackupBringsThemBack)
{
    TestProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunJob(process, status, process.StartRepair(&items, &status)), 0);

    for (const PlantedKey& key : m_keys)
        EXPECT_FALSE(RegistryTree::Exists(key.root, key.path)) << key.path;
    for (const PlantedValue& value : m_values)
    {
        if (value.name.empty())
        {
            // The unnamed value of a key: deleted, not emptied.
            EXPECT_FALSE(RegistryTree::ValueExists(value.root, value.path, ""));
        }
        else
        {
            EXPECT_FALSE(RegistryTree::ValueExists(value.root, value.path, value.name)) << value.name;
        }
        EXPECT_TRUE(RegistryTree::ValueExists(value.root, value.path, "QmNeighbour")) << value.path;
    }
    EXPECT_FALSE(TestEnv::FileExists(m_shortcut));
    EXPECT_FALSE(TestEnv::FileExists(m_tempFile));
    EXPECT_TRUE(RegistryTree::Exists(HKEY_CURRENT_USER, "Software\\QmRepair\\Excluded"));
    EXPECT_TRUE(RegistryTree::ValueExists(HKEY_CURRENT_USER, kRun, "QmKeep"));
    EXPECT_TRUE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, kAppPaths));
    EXPECT_TRUE(RegistryTree::Exists(HKEY_CURRENT_USER, "Software\\Microsoft"));

    // Two refused keys; the recycle bin counts as whatever Windows answered.
    const int bin = Count(status.Calls(), "found", kScanRecycleBin);
    EXPECT_EQ(process.Unrepaired(), 2 + (bin ? 0 : 1));
    EXPECT_EQ(process.Repaired(), static_cast<int>(m_keys.size() + m_values.size()) + 2 + bin);
    EXPECT_EQ(Count(status.Calls(), "found", kScanTempFiles), 1);
    EXPECT_TRUE(HasStatus(status, "Creating backup"));
    EXPECT_TRUE(HasStatus(status, "Repairing corruption(s)"));

    const std::vector<std::string> backups = BackupFiles("*_REGBACKUP.rbk");
    ASSERT_EQ(backups.size(), 1u);
    CRegistryManager manager(nullptr);
    ASSERT_EQ(manager.RestoreRegistry(backups[0]), 1);
    for (const PlantedKey& key : m_keys)
    {
        RegistryTree::Key after;
        ASSERT_TRUE(RegistryTree::Read(key.root, key.path, after)) << key.path;
        for (const std::string& difference : RegistryTree::Differences(m_before[key.path], after, key.path))
            ADD_FAILURE() << difference;
    }
    for (const PlantedValue& value : m_values)
        EXPECT_TRUE(RegistryTree::ValueExists(value.root, value.path, value.name)) << value.name;
}

TEST(RepairJobs, ValueThatIsGoneIsNotCountedAsRepaired)
{
    const std::string key = "Software\\QmRepairGone";
    CRegKey created;
    ASSERT_TRUE(RegistryTree::Create(HKEY_CURRENT_USER, key, created));
    ASSERT_TRUE(RegistryTree::Set(created.Get(), "Here", REG_SZ, Sz("x")));
    created.Close();
    FakeScanItems items;
    const std::string text = "HKEY_CURRENT_USER\\" + key + kSep;
    // Each category that falls back to a key delete, and one that does not.
    items.Add(text + "Here", kScanStartup);
    items.Add(text + "Gone", kScanStartup);
    items.Add(text + "Gone", kScanUninstall);
    items.Add(text + "Gone", kScanFilePaths);
    items.Add(text + "Gone", kScanFonts);
    TestProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunJob(process, status, process.StartRepair(&items, &status)), 0);
    EXPECT_EQ(process.Repaired(), 1);
    EXPECT_EQ(process.Unrepaired(), 4);
    EXPECT_FALSE(RegistryTree::ValueExists(HKEY_CURRENT_USER, key, "Here"));
    EXPECT_TRUE(RegistryTree::Exists(HKEY_CURRENT_USER, key));
    TestEnv::DeleteTree(HKEY_CURRENT_USER, key);
    RemoveBackupFolders();
}

TEST_F(RepairJob, DeletesNothingWhenItsBackupCannotBeWritten)
{
    std::string base = BackupFolder::BaseFolder();
    base.pop_back();
    ASSERT_TRUE(TestEnv::WriteFile(base, "a file where the backup folder belongs"));

    TestProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunJob(process, status, process.StartRepair(&items, &status)), -1);
    for (const PlantedKey& key : m_keys)
        EXPECT_TRUE(RegistryTree::Exists(key.root, key.path)) << key.path;
    for (const PlantedValue& value : m_values)
        EXPECT_TRUE(RegistryTree::ValueExists(value.root, value.path, value.name)) << value.name;
    EXPECT_TRUE(TestEnv::FileExists(m_shortcut));
    EXPECT_TRUE(TestEnv::FileExists(m_tempFile));
    EXPECT_FALSE(HasStatus(status, "Repairing corruption(s)"));
    EXPECT_EQ(process.Repaired(), 0);

    // A full backup there fails the same way, and says so.
    RecordingStatus backupStatus;
    EXPECT_EQ(RunJob(process, backupStatus, process.StartFullBackup("", &backupStatus)), 0);
}

TEST_F(RepairJob, AFailurePartWaySaysTheRepairIsIncompleteNotDone)
{
    TestProcess process;
    RecordingStatus status;
    // Fails after the backup, before the first delete (as a store out of
    // memory would).
    status.onCall = [](const RecordingStatus::Call& call) {
        if (call.op == "status" && call.text == "Repairing corruption(s)")
            throw std::bad_alloc();
    };
    EXPECT_EQ(RunJob(process, status, process.StartRepair(&items, &status)), kRepairIncomplete);
    for (const PlantedKey& key : m_keys)
        EXPECT_TRUE(RegistryTree::Exists(key.root, key.path)) << key.path;
    EXPECT_TRUE(TestEnv::FileExists(m_shortcut));
    EXPECT_EQ(BackupFiles("*_REGBACKUP.rbk").size(), 1u) << "the backup came first";
}

TEST(RepairJobs, EmptyStoreWritesNoBackupAndDeletesNothing)
{
    RemoveBackupFolders();
    FakeScanItems items;
    TestProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunJob(process, status, process.StartRepair(&items, &status)), 0);
    EXPECT_FALSE(HasStatus(status, "Creating backup"));
    EXPECT_TRUE(BackupFiles("*").empty());
}

TEST(RepairJobs, AllExcludedStillWritesTheBackup)
{
    RemoveBackupFolders();
    CRegKey key;
    ASSERT_TRUE(RegistryTree::Create(HKEY_CURRENT_USER, "Software\\QmAllExcluded", key));
    FakeScanItems items;
    items.Add("HKEY_CURRENT_USER\\Software\\QmAllExcluded", kScanEmptyKeys, true);
    TestProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunJob(process, status, process.StartRepair(&items, &status)), 0);
    EXPECT_TRUE(RegistryTree::Exists(HKEY_CURRENT_USER, "Software\\QmAllExcluded"));
    EXPECT_EQ(BackupFiles("*_REGBACKUP.rbk").size(), 1u);
    RemoveBackupFolders();
}

TEST(BackupFolderRule, NamesFolderAndFilesAsTheBackupPageLists)
{
    const std::string base = BackupFolder::BaseFolder();
    EXPECT_EQ(base, ModulePath::Folder() + "RegBackup\\");
    char computer[1024] = {};
    DWORD computerSize = sizeof(computer);
    ASSERT_TRUE(::GetComputerNameA(computer, &computerSize));
    char user[1024] = {};
    DWORD userSize = sizeof(user);
    ASSERT_TRUE(::GetUserNameA(user, &userSize));
    const std::string folder = BackupFolder::MachineFolder();
    ASSERT_EQ(folder.rfind(base + computer + "-", 0), 0u) << folder;
    // The user part is there only for a user name shorter than the computer's.
    const std::string rest = folder.substr(base.size() + computerSize + 1);
    ASSERT_NE(rest.find('-'), std::string::npos);
    const std::string userPart = rest.substr(rest.find('-') + 1);
    EXPECT_EQ(userPart, std::string(user).size() < computerSize ? std::string(user) : std::string()) << folder;

    SYSTEMTIME time = {};
    time.wYear = 2009;
    time.wMonth = 3;
    time.wDay = 7;
    time.wHour = 4;
    time.wMinute = 5;
    time.wSecond = 6;
    EXPECT_EQ(BackupFolder::FileName(time, true), "07032009_040506_FULL_REGBACKUP.rbk");
    EXPECT_EQ(BackupFolder::FileName(time, false), "07032009_040506_REGBACKUP.rbk");
}

TEST(FullBackupJob, BacksUpTheWholeRegistryAndRestoresIt)
{
    RemoveBackupFolders();
    TestProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunJob(process, status, process.StartFullBackup("", &status)), 1);
    EXPECT_EQ(Count(status.Calls(), "progress", 1), 5);
    const std::vector<std::string> backups = BackupFiles("*_FULL_REGBACKUP.rbk");
    ASSERT_EQ(backups.size(), 1u);

    RecordingStatus restoreStatus;
    EXPECT_EQ(RunJob(process, restoreStatus, process.StartRestore(backups[0].c_str(), &restoreStatus)), 1);
    EXPECT_TRUE(ShownErrors::Messages(restoreStatus).empty());
    EXPECT_TRUE(ShownErrors::NotRestored(restoreStatus).empty());
    EXPECT_GT(Count(restoreStatus.Calls(), "progress", 1), 0);
    RemoveBackupFolders();
}

TEST(FullBackupJob, CancelLeavesNoFileBehind)
{
    RemoveBackupFolders();
    TestProcess process;
    RecordingStatus status;
    status.onCall = [&process](const RecordingStatus::Call& call) {
        if (call.op == "progress" && call.value == 1)
            process.Stop(1);
    };
    EXPECT_EQ(RunJob(process, status, process.StartFullBackup("", &status)), 1);
    EXPECT_EQ(Count(status.Calls(), "progress", 1), 5);
    EXPECT_TRUE(BackupFiles("*.rbk").empty());
    EXPECT_TRUE(BackupFiles("*.part").empty());
    RemoveBackupFolders();
}

TEST(FullBackupJob, TakesItsNameOnlyWhenWholeAndClearsWhatAnEndedRunLeft)
{
    RemoveBackupFolders();
    ASSERT_TRUE(BackupFolder::Create());
    // Left by a program that ended while its backup ran.
    const std::string left = BackupFolder::MachineFolder() + "\\01012020_101010_FULL_REGBACKUP.rbk.part";
    ASSERT_TRUE(TestEnv::WriteFile(left, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n"));
    TestProcess process;
    RecordingStatus status;
    std::vector<std::string> whileWriting;
    std::vector<std::string> namedWhileWriting;
    status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "progress" && call.value == 1 && whileWriting.empty())
        {
            whileWriting = BackupFiles("*.part");
            namedWhileWriting = BackupFiles("*_FULL_REGBACKUP.rbk");
        }
    };
    EXPECT_EQ(RunJob(process, status, process.StartFullBackup("", &status)), 1);
    ASSERT_EQ(whileWriting.size(), 1u);
    EXPECT_NE(whileWriting[0], left);
    EXPECT_NE(whileWriting[0].find("_FULL_REGBACKUP.rbk.part"), std::string::npos) << whileWriting[0];
    EXPECT_TRUE(namedWhileWriting.empty());
    const std::vector<std::string> done = BackupFiles("*_FULL_REGBACKUP.rbk");
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0] + ".part", whileWriting[0]);
    EXPECT_TRUE(BackupFiles("*.part").empty());
    RemoveBackupFolders();
}

TEST(RestoreJob, MissingFileAndDamagedFileFail)
{
    TestProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunJob(process, status, process.StartRestore("C:\\no such backup.rbk", &status)), -1);

    const std::string damaged = TestEnv::MakeScratchFolder("restorejob") + "damaged.rbk";
    ASSERT_TRUE(TestEnv::WriteFile(damaged, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n"
                                            "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=Software>\r\n"));
    // The job thread shows no box, which would hold the job until someone
    // answered it: the message goes to the sink, before the job's end.
    RecordingStatus damagedStatus;
    EXPECT_EQ(RunJob(process, damagedStatus, process.StartRestore(damaged.c_str(), &damagedStatus)), 0);
    EXPECT_EQ(ShownErrors::Messages(damagedStatus),
              std::vector<std::string>{"Parse error in line 4 : (Attribute value without quotes)"});
    EXPECT_EQ(process.RestoreBackupNow(&damagedStatus, damaged.c_str()), 0);
}

TEST(RestoreJob, StopWhileTheJobFreesItsManagerIsSafe)
{
    const std::string file = TestEnv::MakeScratchFolder("stoprace") + "small.rbk";
    ASSERT_TRUE(TestEnv::WriteFile(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n"
                                         "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Software\">\r\n"
                                         "    <k name=\"QmStopRace\"/>\r\n   </k>\r\n  </k>\r\n </registry>\r\n"));
    TestProcess process;
    std::atomic<bool> done(false);
    // Stops come only while a job has begun: one stopped before its first
    // Resume would end at once without restoring anything.
    std::mutex stopping;
    bool begun = false;
    std::thread stopper([&] {
        while (!done)
        {
            std::lock_guard<std::mutex> lock(stopping);
            if (begun)
                process.Stop(1);
        }
    });
    for (int i = 0; i < 40; ++i)
    {
        RecordingStatus status;
        status.onCall = [&](const RecordingStatus::Call& call) {
            if (call.op != "progress" || call.value != 0)
                return;
            std::lock_guard<std::mutex> lock(stopping);
            begun = true;
        };
        status.onFinished = [&](int) {
            std::lock_guard<std::mutex> lock(stopping);
            begun = false;
        };
        const int result = RunJob(process, status, process.StartRestore(file.c_str(), &status));
        EXPECT_EQ(result, 1);
    }
    done = true;
    stopper.join();
    TestEnv::DeleteTree(HKEY_CURRENT_USER, "Software\\QmStopRace");
}

TEST(RestoreJob, AFileWithoutTheViewMarkHoldsTheThirtyTwoBitView)
{
    // As a 32-bit build writes the keys of a repair: restored by either
    // build into the view they were read from.
    const std::string file = TestEnv::MakeScratchFolder("unmarked") + "repair.rbk";
    ASSERT_TRUE(TestEnv::WriteFile(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n"
                                         "  <k name=\"HKEY_LOCAL_MACHINE\">\r\n   <k name=\"Software\">\r\n"
                                         "    <k name=\"QmUnmarkedView\">\r\n"
                                         "     <v name=\"bits\" value=\"32\"/>\r\n"
                                         "    </k>\r\n   </k>\r\n  </k>\r\n </registry>\r\n"));
    const char* const path = "Software\\QmUnmarkedView";
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
        RegistryTree::Delete(HKEY_LOCAL_MACHINE, path, view);
    RecordingStatus status;
    CRegistryManager manager(&status);
    EXPECT_EQ(manager.RestoreRegistry(file), 1);
    EXPECT_TRUE(ShownErrors::Messages(status).empty());
    EXPECT_TRUE(RegistryTree::ValueExists(HKEY_LOCAL_MACHINE, path, "bits", KEY_WOW64_32KEY));
    if (TestEnv::Is64BitWindows())
    {
        EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY));
    }
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
        RegistryTree::Delete(HKEY_LOCAL_MACHINE, path, view);
}

namespace
{
const char kNativeOnlyPath[] = "Software\\QmNativeViewMark";

void DeleteFromBothViews(const char* path)
{
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
        RegistryTree::Delete(HKEY_LOCAL_MACHINE, path, view);
}

// A file of the native view with the mark on its root element only, as the
// versions before the roots carried it wrote them.
std::string MarkedOnTheRootElementOnly(const std::string& rootName)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry view=\"64\">\r\n"
           "  <k name=\"" + rootName + "\">\r\n   <k name=\"Software\">\r\n"
           "    <k name=\"QmNativeViewMark\">\r\n     <v name=\"bits\" value=\"64\"/>\r\n"
           "    </k>\r\n   </k>\r\n  </k>\r\n </registry>\r\n";
}

// A reader that knows no view mark cannot name the roots of a file of the
// native view, and restores nothing of it.
void ExpectRefusedByAReaderWithoutViewMarks(const std::string& file)
{
    CBackupFileReader::SetViewMarksKnown(false);
    RecordingStatus unknowing;
    CRegistryManager earlier(&unknowing);
    EXPECT_EQ(earlier.RestoreRegistry(file), 0);
    CBackupFileReader::SetViewMarksKnown(true);
    EXPECT_EQ(ShownErrors::Messages(unknowing),
              std::vector<std::string>{"Parse error in line 3 : (Unknown root key)"});
}
}

TEST(RestoreJob, ABackupOfTheNativeViewIsRefusedWholeByAReaderThatKnowsNoViewMark)
{
    if (!Wow64::ThirtyTwoBitView())
        GTEST_SKIP() << "this build's repair backup holds its own view, unmarked";
    DeleteFromBothViews(kNativeOnlyPath);
    CRegKey planted;
    ASSERT_TRUE(RegistryTree::Create(HKEY_LOCAL_MACHINE, kNativeOnlyPath, planted, KEY_WOW64_64KEY));
    ASSERT_TRUE(RegistryTree::Set(planted.Get(), "bits", REG_SZ, Sz("64")));
    planted.Close();
    FakeScanItems items;
    items.Add(std::string("HKEY_LOCAL_MACHINE\\") + kNativeOnlyPath + kItemValueSeparatorText + "bits", kScanStartup);
    const std::string file = TestEnv::MakeScratchFolder("nativemark") + "repair.rbk";
    CRegistryManager manager(nullptr);
    ASSERT_EQ(manager.BackupKeys(&items, file), 1);
    DeleteFromBothViews(kNativeOnlyPath);

    ExpectRefusedByAReaderWithoutViewMarks(file);
    EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, kNativeOnlyPath, KEY_WOW64_32KEY));
    EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, kNativeOnlyPath, KEY_WOW64_64KEY));

    // This reader puts it back where it was read.
    RecordingStatus status;
    CRegistryManager current(&status);
    EXPECT_EQ(current.RestoreRegistry(file), 1);
    EXPECT_TRUE(ShownErrors::Messages(status).empty());
    EXPECT_TRUE(RegistryTree::ValueExists(HKEY_LOCAL_MACHINE, kNativeOnlyPath, "bits", KEY_WOW64_64KEY));
    EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, kNativeOnlyPath, KEY_WOW64_32KEY));
    DeleteFromBothViews(kNativeOnlyPath);
}

TEST(RestoreJob, AFileMarkedOnlyOnItsRootElementRestoresIntoTheNativeViewAsBefore)
{
    const std::string folder = TestEnv::MakeScratchFolder("rootmarkonly");
    DeleteFromBothViews(kNativeOnlyPath);
    ASSERT_TRUE(TestEnv::WriteFile(folder + "earlier.rbk", MarkedOnTheRootElementOnly("HKEY_LOCAL_MACHINE")));
    RecordingStatus status;
    CRegistryManager manager(&status);
    EXPECT_EQ(manager.RestoreRegistry(folder + "earlier.rbk"), 1);
    EXPECT_TRUE(ShownErrors::Messages(status).empty());
    EXPECT_TRUE(RegistryTree::ValueExists(HKEY_LOCAL_MACHINE, kNativeOnlyPath, "bits", Wow64::NativeView()));
    if (TestEnv::Is64BitWindows())
    {
        EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, kNativeOnlyPath, KEY_WOW64_32KEY));
    }
    DeleteFromBothViews(kNativeOnlyPath);

    // The suffix belongs to a file that carries the mark: without it, the
    // file is damaged.
    std::string unmarked = MarkedOnTheRootElementOnly("HKEY_LOCAL_MACHINE (64-bit view)");
    unmarked.replace(unmarked.find(" view=\"64\""), 10, "");
    ASSERT_TRUE(TestEnv::WriteFile(folder + "unmarked.rbk", unmarked));
    RecordingStatus refused;
    CRegistryManager other(&refused);
    EXPECT_EQ(other.RestoreRegistry(folder + "unmarked.rbk"), 0);
    EXPECT_EQ(ShownErrors::Messages(refused), std::vector<std::string>{"Parse error in line 3 : (Unknown root key)"});
    EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, kNativeOnlyPath, KEY_WOW64_32KEY));
    EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, kNativeOnlyPath, KEY_WOW64_64KEY));
}

TEST(FullBackupJob, HoldsAndRestoresBothViewsOfA64BitWindows)
{
    if (!TestEnv::Is64BitWindows())
        GTEST_SKIP() << "32-bit Windows has one view only";
    // Either build writes the native view, which holds the 32-bit one under
    // its Wow6432Node keys, and marks the file so: a file of one build
    // restores the same keys through the other.
    const char* const native = "Software\\QmOnlyIn64BitView";
    const char* const thirtyTwoBit = "Software\\QmOnlyIn32BitView";
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
    {
        RegistryTree::Delete(HKEY_LOCAL_MACHINE, native, view);
        RegistryTree::Delete(HKEY_LOCAL_MACHINE, thirtyTwoBit, view);
    }
    CRegKey planted;
    ASSERT_TRUE(RegistryTree::Create(HKEY_LOCAL_MACHINE, native, planted, KEY_WOW64_64KEY));
    ASSERT_TRUE(RegistryTree::Set(planted.Get(), "bits", REG_SZ, Sz("64 only")));
    planted.Close();
    ASSERT_TRUE(RegistryTree::Create(HKEY_LOCAL_MACHINE, thirtyTwoBit, planted, KEY_WOW64_32KEY));
    ASSERT_TRUE(RegistryTree::Set(planted.Get(), "bits", REG_SZ, Sz("32 only")));
    planted.Close();
    ASSERT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, native, KEY_WOW64_32KEY));
    ASSERT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, thirtyTwoBit, KEY_WOW64_64KEY));
    // A 32-bit class: the 64-bit view reaches it twice, once through a link.
    const char* const classPath = "Software\\Classes\\CLSID\\{0badc0de-3232-2222-3333-444455556666}";
    CRegKey thirtyTwo;
    ASSERT_TRUE(RegistryTree::Create(HKEY_LOCAL_MACHINE, classPath, thirtyTwo, KEY_WOW64_32KEY));
    ASSERT_TRUE(RegistryTree::Set(thirtyTwo.Get(), "bits", REG_SZ, Sz("32")));
    thirtyTwo.Close();

    const std::string file = TestEnv::MakeScratchFolder("views") + "full.rbk";
    RecordingStatus status;
    CRegistryManager manager(&status);
    ASSERT_EQ(manager.BackupRegistry(file), 1);
    const std::string content = RegistryTree::ReadFile(file);
    EXPECT_NE(content.find("<registry view=\"64\">"), std::string::npos) << content.substr(0, 200);
    EXPECT_NE(content.find("\r\n  <k name=\"HKEY_LOCAL_MACHINE (64-bit view)\">\r\n"), std::string::npos);
    EXPECT_EQ(content.find("<k name=\"HKEY_LOCAL_MACHINE\">"), std::string::npos);
    // Under HKEY_LOCAL_MACHINE\Software, and under its Wow6432Node key.
    EXPECT_NE(content.find("\r\n    <k name=\"QmOnlyIn64BitView\">"), std::string::npos);
    EXPECT_NE(content.find("\r\n     <k name=\"QmOnlyIn32BitView\">"), std::string::npos);
    const std::string classTag = "<k name=\"{0badc0de-3232-2222-3333-444455556666}\">";
    const size_t first = content.find(classTag);
    ASSERT_NE(first, std::string::npos);
    // Once in the classes of the machine's view, once in the merged classes root.
    const size_t second = content.find(classTag, first + 1);
    EXPECT_EQ(second == std::string::npos ? 0 : content.find(classTag, second + 1), std::string::npos);
    RegistryTree::Delete(HKEY_LOCAL_MACHINE, native, KEY_WOW64_64KEY);
    RegistryTree::Delete(HKEY_LOCAL_MACHINE, thirtyTwoBit, KEY_WOW64_32KEY);
    RegistryTree::Delete(HKEY_LOCAL_MACHINE, classPath, KEY_WOW64_32KEY);
    ASSERT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, native, KEY_WOW64_64KEY));
    ASSERT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, thirtyTwoBit, KEY_WOW64_32KEY));

    // A program that knows no view mark would restore the native keys into
    // its own view; it cannot name the roots, and restores nothing.
    ExpectRefusedByAReaderWithoutViewMarks(file);
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
    {
        EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, native, view)) << view;
        EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, thirtyTwoBit, view)) << view;
    }

    EXPECT_EQ(manager.RestoreRegistry(file), 1);
    EXPECT_TRUE(ShownErrors::Messages(status).empty());
    RegistryTree::Key restored;
    ASSERT_TRUE(RegistryTree::Read(HKEY_LOCAL_MACHINE, native, restored, KEY_WOW64_64KEY));
    EXPECT_TRUE(restored.values["bits"] == (RegistryTree::Value{REG_SZ, Sz("64 only")}));
    ASSERT_TRUE(RegistryTree::Read(HKEY_LOCAL_MACHINE, thirtyTwoBit, restored, KEY_WOW64_32KEY));
    EXPECT_TRUE(restored.values["bits"] == (RegistryTree::Value{REG_SZ, Sz("32 only")}));
    EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, native, KEY_WOW64_32KEY));
    EXPECT_FALSE(RegistryTree::Exists(HKEY_LOCAL_MACHINE, thirtyTwoBit, KEY_WOW64_64KEY));
    EXPECT_TRUE(RegistryTree::ValueExists(HKEY_LOCAL_MACHINE, classPath, "bits", KEY_WOW64_32KEY));
    RegistryTree::Delete(HKEY_LOCAL_MACHINE, native, KEY_WOW64_64KEY);
    RegistryTree::Delete(HKEY_LOCAL_MACHINE, thirtyTwoBit, KEY_WOW64_32KEY);
    RegistryTree::Delete(HKEY_LOCAL_MACHINE, classPath, KEY_WOW64_32KEY);
}
