// Times the full backup beside regedit /E and the restore beside regedit /S,
// in the same run and on the same keys, three runs each, with the counts of
// what each wrote:
//   - full backup of the registry as the prefix has it, and again after
//     100,000 keys were planted;
//   - restore of a planted tree of 50,101 keys and 150,000 values, once over
//     the keys as they are and once into the place of the deleted tree, each
//     from the file of its own export.
// The working set is watched while the backup runs: it streams, so its
// memory must not grow with the registry.
// Run it under Wine in a throwaway prefix:
//   QM_PREFIX_ROOT=build/wine-templates scripts/wine-run.sh build/bin/backup_bench.exe
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "BenchClock.h"
#include "BenchFiles.h"
#include "BenchStats.h"
#include "Engine/CRegistryManager.h"
#include "Engine/ScanCategory.h"
#include "Framework/CRegKey.h"
#include "support/FakeScanItems.h"

namespace
{
const int kRuns = 3;
const char kFullTree[] = "Software\\QmBenchFull";
const int kFullKeys = 100000;
const char kRestoreTree[] = "Software\\QmBenchRestore";
const char kRestoreTreeText[] = "HKEY_CURRENT_USER\\Software\\QmBenchRestore";
// 1 + 100 + 100 * 500 = 50,101 keys; three values in each of the 50,000.
const int kRestoreGroups = 100;
const int kRestoreKeysPerGroup = 500;

// Samples the working set on a thread of its own while a step runs.
class WorkingSetWatch
{
public:
    WorkingSetWatch() : m_thread([this] { Sample(); }) {}
    ~WorkingSetWatch()
    {
        m_stop = true;
        m_thread.join();
    }
    double PeakMB() const { return m_peak / 1048576.0; }

private:
    static size_t Current()
    {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
        return counters.WorkingSetSize;
    }
    void Sample()
    {
        m_peak = Current();
        while (!m_stop)
        {
            const size_t now = Current();
            if (now > m_peak)
                m_peak = now;
            ::Sleep(5);
        }
    }
    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_peak{0};
    std::thread m_thread;
};

long OurKeys(const std::string& path)
{
    return BenchFiles::CountInFile(path, "<k ");
}

long RegeditKeys(const std::string& path)
{
    return BenchFiles::CountInFile(path, std::string("\n\0[\0", 4));
}

// regedit with the arguments, from start to end of its process.
double RunRegedit(const std::string& arguments)
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    std::string command = std::string("\"") + windows + "\\regedit.exe\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const BenchClock clock;
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1.0;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    const double seconds = clock.Seconds();
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return seconds;
}

// Keys of root\path, itself included.
long CountKeys(HKEY parent, const char* name)
{
    CRegKey key;
    if (key.Open(parent, name, KEY_READ) != ERROR_SUCCESS)
        return 0;
    long count = 1;
    char child[256];
    for (DWORD index = 0;; ++index)
    {
        DWORD size = sizeof(child);
        if (::RegEnumKeyExA(key.Get(), index, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        count += CountKeys(key.Get(), child);
    }
    return count;
}

void DeleteTree(const char* path)
{
    ::SHDeleteKeyA(HKEY_CURRENT_USER, path);
}

void PlantFullTree()
{
    CRegKey top;
    top.Create(HKEY_CURRENT_USER, kFullTree, KEY_ALL_ACCESS);
    const std::string data = "c:\\program files\\vendor\\program.exe";
    for (int group = 0; group * 100 < kFullKeys; ++group)
    {
        CRegKey groupKey;
        groupKey.Create(top.Get(), ("group " + std::to_string(group)).c_str(), KEY_ALL_ACCESS);
        for (int k = 1; k < 100; ++k)
        {
            CRegKey key;
            key.Create(groupKey.Get(), ("key " + std::to_string(k)).c_str(), KEY_ALL_ACCESS);
            ::RegSetValueExA(key.Get(), "path", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1));
        }
    }
}

void PlantRestoreTree()
{
    CRegKey top;
    top.Create(HKEY_CURRENT_USER, kRestoreTree, KEY_ALL_ACCESS);
    const std::string text = "c:\\program files\\vendor\\program.exe";
    const BYTE bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (int group = 0; group < kRestoreGroups; ++group)
    {
        CRegKey groupKey;
        groupKey.Create(top.Get(), ("group " + std::to_string(group)).c_str(), KEY_ALL_ACCESS);
        for (int k = 0; k < kRestoreKeysPerGroup; ++k)
        {
            CRegKey key;
            key.Create(groupKey.Get(), ("key " + std::to_string(k)).c_str(), KEY_ALL_ACCESS);
            const DWORD number = static_cast<DWORD>(group * kRestoreKeysPerGroup + k);
            ::RegSetValueExA(key.Get(), "path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1));
            ::RegSetValueExA(key.Get(), "number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                             sizeof(number));
            ::RegSetValueExA(key.Get(), "bytes", 0, REG_BINARY, bytes, sizeof(bytes));
        }
    }
}

void FullBackupRounds(const char* title, const std::string& folder)
{
    const std::string backup = folder + "full.rbk";
    const std::string exported = folder + "full.reg";
    BenchStats ourSeconds, ourRate, regeditSeconds, regeditRate, ratio, peak;
    long ourKeys = 0, regeditKeys = 0;
    double ourMB = 0, regeditMB = 0;
    for (int run = 0; run < kRuns; ++run)
    {
        double seconds = 0;
        {
            CRegistryManager manager(nullptr);
            WorkingSetWatch watch;
            const BenchClock clock;
            if (manager.BackupRegistry(backup) != 1)
                std::printf("  the full backup failed\n");
            seconds = clock.Seconds();
            peak.Add(watch.PeakMB());
        }
        ourKeys = OurKeys(backup);
        ourMB = BenchFiles::FileMB(backup);
        ourSeconds.Add(seconds);
        ourRate.Add(ourKeys / seconds);
        const double regedit = RunRegedit("/E \"" + exported + "\"");
        regeditKeys = RegeditKeys(exported);
        regeditMB = BenchFiles::FileMB(exported);
        regeditSeconds.Add(regedit);
        regeditRate.Add(regeditKeys / regedit);
        ratio.Add((ourKeys / seconds) / (regeditKeys / regedit));
        ::DeleteFileA(backup.c_str());
        ::DeleteFileA(exported.c_str());
    }
    std::printf("%s (min/median/max of %d runs)\n", title, kRuns);
    std::printf("  full backup wrote %ld keys (%.1f MB); regedit /E wrote %ld keys (%.1f MB)\n", ourKeys, ourMB,
                regeditKeys, regeditMB);
    ourSeconds.Print("full backup", "%.2f", "s");
    regeditSeconds.Print("regedit /E", "%.2f", "s");
    ourRate.Print("full backup", "%.0f", "keys/s");
    regeditRate.Print("regedit /E", "%.0f", "keys/s");
    ratio.Print("full backup keys/s over regedit /E keys/s", "%.2f", "x");
    peak.Print("full backup working set, peak", "%.1f", "MB");
    std::fflush(stdout);
}

// Our restore and regedit's import of the same tree, each from its own
// export; with fresh, the tree is deleted before each.
void RestoreRounds(const std::string& folder, bool fresh)
{
    const std::string backup = folder + "tree.rbk";
    const std::string exported = folder + "tree.reg";
    BenchStats ourSeconds, ourRate, regeditSeconds, regeditRate, ratio;
    long ourKeys = 0, regeditKeys = 0;
    for (int run = 0; run < kRuns; ++run)
    {
        double ours = 0, regedit = 0;
        // Which goes first alternates, so that neither always meets a
        // registry the other has just warmed.
        for (int turn = 0; turn < 2; ++turn)
        {
            if (fresh)
                DeleteTree(kRestoreTree);
            if ((turn == 0) == (run % 2 == 0))
            {
                CRegistryManager manager(nullptr);
                const BenchClock clock;
                if (manager.RestoreRegistry(backup) != 1)
                    std::printf("  our restore failed\n");
                ours = clock.Seconds();
                ourKeys = CountKeys(HKEY_CURRENT_USER, kRestoreTree);
            }
            else
            {
                regedit = RunRegedit("/S \"" + exported + "\"");
                regeditKeys = CountKeys(HKEY_CURRENT_USER, kRestoreTree);
            }
        }
        ourSeconds.Add(ours);
        regeditSeconds.Add(regedit);
        ourRate.Add(ourKeys / ours);
        regeditRate.Add(regeditKeys / regedit);
        ratio.Add((ourKeys / ours) / (regeditKeys / regedit));
    }
    std::printf("restore of %s, %s (min/median/max of %d runs)\n", kRestoreTreeText,
                fresh ? "into the place of the deleted tree" : "over the keys as they are", kRuns);
    std::printf("  keys there after our restore %ld, after regedit /S %ld; files: %ld and %ld keys\n", ourKeys,
                regeditKeys, OurKeys(backup), RegeditKeys(exported));
    ourSeconds.Print("our restore", "%.2f", "s");
    regeditSeconds.Print("regedit /S", "%.2f", "s");
    ourRate.Print("our restore", "%.0f", "keys/s");
    regeditRate.Print("regedit /S", "%.0f", "keys/s");
    ratio.Print("our keys/s over regedit /S keys/s", "%.2f", "x");
    std::fflush(stdout);
}

void PrepareRestore(const std::string& folder)
{
    PlantRestoreTree();
    FakeScanItems tree;
    tree.Add(kRestoreTreeText, kScanEmptyKeys);
    CRegistryManager manager(nullptr);
    if (manager.BackupKeys(&tree, folder + "tree.rbk") != 1)
        std::printf("  the backup of the tree failed\n");
    RunRegedit("/E \"" + folder + "tree.reg\" " + kRestoreTreeText);
}
}

int main()
{
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = temp;
    FullBackupRounds("full backup, registry as the prefix has it", folder);
    PlantFullTree();
    FullBackupRounds("full backup, with 100,000 keys planted", folder);
    DeleteTree(kFullTree);
    PrepareRestore(folder);
    RestoreRounds(folder, false);
    RestoreRounds(folder, true);
    return 0;
}
