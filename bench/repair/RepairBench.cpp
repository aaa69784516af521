// Times what a repair does for each finding beside a bare loop over the same
// findings, three runs each: the backup the repair takes before it deletes
// (the key of every finding), the value deletes, and the bare loop of
// RegOpenKeyExA, RegDeleteValueA and RegCloseKey over the same texts. The
// findings are spelt in lower case, as the scanners report them. The whole
// repair job is timed as well, less its three pauses of one second. Then the
// backup of one key that holds all the findings (a Run key full of dead
// entries, each found twice), whose size must grow with the findings, not
// with their square.
// Run it under Wine in a throwaway prefix:
//   QM_PREFIX_ROOT=build/wine-templates scripts/wine-run.sh build/bin/repair_bench.exe [findings] [in one key]
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchFiles.h"
#include "BenchStats.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Engine/CRegistryManager.h"
#include "Engine/CTolvEngineProcess.h"
#include "Engine/DeleteRegistryValue.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"
#include "support/FakeScanItems.h"

namespace
{
const int kRuns = 3;
const char kTree[] = "Software\\QmBenchRepair";
const int kKeysPerGroup = 100;
const char kTarget[] = "c:\\program files\\gone vendor\\gone.exe";
// The three pauses of a repair around its backup.
const double kRepairPauses = 3.0;

class DoneStatus : public CAbstractStatus
{
public:
    DoneStatus() : m_done(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~DoneStatus() override { ::CloseHandle(m_done); }
    void SetStatusText(const char*, const char*) override {}
    void OnProgress(int) override {}
    void OnItemFound(const char*, DWORD, int, int) override {}
    int OnJobFinished(int) override
    {
        ::SetEvent(m_done);
        return 1;
    }
    int OnDefragResult(int) override { return 0; }
    void Wait()
    {
        ::WaitForSingleObject(m_done, INFINITE);
        ::ResetEvent(m_done);
    }

private:
    HANDLE m_done;
};

std::string KeyPath(int finding)
{
    return std::string(kTree) + "\\Group " + std::to_string(finding / kKeysPerGroup) + "\\Vendor Key " +
           std::to_string(finding % kKeysPerGroup);
}

// Each finding's key with the value found dead and one other value.
void PlantValues(int findings)
{
    for (int i = 0; i < findings; ++i)
    {
        CRegKey key;
        key.Create(HKEY_CURRENT_USER, KeyPath(i).c_str(), KEY_ALL_ACCESS);
        ::RegSetValueExA(key.Get(), "Target", 0, REG_SZ, reinterpret_cast<const BYTE*>(kTarget), sizeof(kTarget));
        ::RegSetValueExA(key.Get(), "Other", 0, REG_SZ, reinterpret_cast<const BYTE*>(kTarget), sizeof(kTarget));
    }
}

int CountLeft(int findings)
{
    int left = 0;
    for (int i = 0; i < findings; ++i)
    {
        CRegKey key;
        if (key.Open(HKEY_CURRENT_USER, KeyPath(i).c_str(), KEY_QUERY_VALUE) == ERROR_SUCCESS &&
            ::RegQueryValueExA(key.Get(), "Target", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            ++left;
    }
    return left;
}

struct Finding
{
    std::string text;    // as the store holds it
    std::string keyPath; // below HKEY_CURRENT_USER
    std::string value;
};

std::vector<Finding> Findings(int findings)
{
    std::vector<Finding> list;
    for (int i = 0; i < findings; ++i)
    {
        Finding finding;
        finding.keyPath = AnsiText::ToLower(KeyPath(i));
        finding.value = "target";
        finding.text = "HKEY_CURRENT_USER\\" + finding.keyPath + static_cast<char>(kItemValueSeparator) + finding.value;
        list.push_back(finding);
    }
    return list;
}

double BareLoop(const std::vector<Finding>& findings)
{
    const BenchClock clock;
    for (const Finding& finding : findings)
    {
        HKEY key = NULL;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, finding.keyPath.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            continue;
        ::RegDeleteValueA(key, finding.value.c_str());
        ::RegCloseKey(key);
    }
    return clock.Seconds();
}

double RepairBackup(FakeScanItems& store, const std::string& path)
{
    CRegistryManager manager(nullptr);
    const BenchClock clock;
    if (manager.BackupKeys(&store, path) != 1)
        std::printf("  the repair's backup failed\n");
    return clock.Seconds();
}

double RepairDeletes(const std::vector<Finding>& findings)
{
    const BenchClock clock;
    for (const Finding& finding : findings)
        DeleteRegistryValue(finding.text);
    return clock.Seconds();
}

const char kCrowdedKey[] = "Software\\QmBenchRepairOneKey";

// One key with every dead value, each found as a startup entry and as a
// missing file.
void PlantCrowdedKey(int values, FakeScanItems& store)
{
    CRegKey key;
    key.Create(HKEY_CURRENT_USER, kCrowdedKey, KEY_ALL_ACCESS);
    const std::string keyText = AnsiText::ToLower(std::string("HKEY_CURRENT_USER\\") + kCrowdedKey);
    for (int i = 0; i < values; ++i)
    {
        const std::string name = "dead " + std::to_string(i);
        ::RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kTarget), sizeof(kTarget));
        const std::string text = keyText + static_cast<char>(kItemValueSeparator) + name;
        store.Add(text, kScanStartup);
        store.Add(text, kScanFilePaths);
    }
}

void CrowdedKeyBackup(int values, const std::string& path)
{
    FakeScanItems store;
    PlantCrowdedKey(values, store);
    BenchStats seconds, sizeMB;
    long held = 0;
    for (int run = 0; run < kRuns; ++run)
    {
        seconds.Add(RepairBackup(store, path));
        sizeMB.Add(BenchFiles::FileMB(path));
        held = BenchFiles::CountInFile(path, "<v name=\"dead ");
    }
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kCrowdedKey);
    ::DeleteFileA(path.c_str());
    std::printf("repair's backup of one key with %d dead values, %d findings (min/median/max of %d runs)\n", values,
                values * 2, kRuns);
    std::printf("  the backup held %ld values\n", held);
    seconds.Print("repair's backup", "%.3f", "s");
    sizeMB.Print("backup file", "%.3f", "MB");
}

double RepairJob(FakeScanItems& store)
{
    CTolvEngineProcess job;
    DoneStatus status;
    const BenchClock clock;
    if (job.StartRepair(&store, &status) < 0)
        return -1.0;
    job.Resume();
    status.Wait();
    return clock.Seconds() - kRepairPauses;
}
}

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int inOneKey = argc > 2 ? std::atoi(argv[2]) : 20000;
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string backup = std::string(temp) + "repair.rbk";
    const std::vector<Finding> findings = Findings(count);
    FakeScanItems store;
    for (const Finding& finding : findings)
        store.Add(finding.text, kScanFilePaths);

    BenchStats bare, backupTime, deletes, job, backupRatio, deleteRatio, jobRatio;
    int leftBare = 0, leftDeletes = 0, leftJob = 0;
    long chains = 0;
    for (int run = 0; run < kRuns; ++run)
    {
        // The bare loop runs before and after the repair's steps; they are
        // set against the mean of both, so that a change in the machine's
        // load during the run weighs on both sides alike.
        PlantValues(count);
        const double bareBefore = BareLoop(findings);
        leftBare = CountLeft(count);
        PlantValues(count);
        const double backupSeconds = RepairBackup(store, backup);
        chains = BenchFiles::CountInFile(backup, "<v name=\"Target\"");
        const double deleteSeconds = RepairDeletes(findings);
        leftDeletes = CountLeft(count);
        PlantValues(count);
        const double jobSeconds = RepairJob(store);
        leftJob = CountLeft(count);
        PlantValues(count);
        const double bareSeconds = (bareBefore + BareLoop(findings)) / 2.0;

        bare.Add(bareSeconds * 1e6 / count);
        backupTime.Add(backupSeconds * 1e6 / count);
        deletes.Add(deleteSeconds * 1e6 / count);
        job.Add(jobSeconds * 1e6 / count);
        backupRatio.Add(backupSeconds / bareSeconds);
        deleteRatio.Add(deleteSeconds / bareSeconds);
        jobRatio.Add(jobSeconds / bareSeconds);
    }
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTree);
    ::DeleteFileA(backup.c_str());

    std::printf("repair of %d value findings (min/median/max of %d runs)\n", count, kRuns);
    std::printf("  values left: after the bare loop %d, after the repair's deletes %d, after the repair job %d; "
                "the backup held %ld of the values\n",
                leftBare, leftDeletes, leftJob, chains);
    bare.Print("bare open/RegDeleteValue/close loop", "%.1f", "us a finding");
    backupTime.Print("repair's backup", "%.1f", "us a finding");
    deletes.Print("repair's deletes", "%.1f", "us a finding");
    job.Print("repair job, less its three pauses", "%.1f", "us a finding");
    backupRatio.Print("backup over the bare loop", "%.2f", "x");
    deleteRatio.Print("deletes over the bare loop", "%.2f", "x");
    jobRatio.Print("repair job over the bare loop", "%.2f", "x");
    CrowdedKeyBackup(inOneKey, backup);
    return 0;
}
