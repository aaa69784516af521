// Plants about 100,000 keys under the two trees the registry walks read (the
// user hive and the classes), then times a full scan of every category and a
// bare walk of the same trees with RegEnumKeyExA and RegEnumValueA only.
// Run it under Wine in a throwaway prefix:
//   QM_PREFIX_ROOT=build/wine-templates scripts/wine-run.sh build/bin/scan_walk_bench.exe [keys]
// Each timed part is framed by debug strings ("qmbench: scan begins", "...
// ends"): a run under WINEDEBUG=+reg,+file,+debugstr (wine started by hand,
// as wine-run.sh silences every channel) shows which registry and file calls
// each part makes, and how many.
#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Engine/CTolvEngineProcess.h"
#include "Framework/Wow64.h"

namespace
{
const DWORD kAllCategories = 0xFFFFFFFF;
const int kKeysPerGroup = 500;

class CountingStatus : public CAbstractStatus
{
public:
    CountingStatus() : m_done(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~CountingStatus() override { ::CloseHandle(m_done); }
    void SetStatusText(const char*, const char*) override { ++statusCalls; }
    void OnProgress(int) override {}
    void OnItemFound(const char*, DWORD, int, int) override { ++findings; }
    int OnJobFinished(int) override
    {
        ::SetEvent(m_done);
        return 1;
    }
    int OnDefragResult(int) override { return 0; }
    void Wait() { ::WaitForSingleObject(m_done, INFINITE); }

    long statusCalls = 0;
    long findings = 0;

private:
    HANDLE m_done;
};

// Groups of keys, each key with a file reference, a number and a name.
bool PlantTree(HKEY root, const char* path, int keys)
{
    HKEY top = NULL;
    if (::RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &top, nullptr) != ERROR_SUCCESS)
        return false;
    const char file[] = "c:\\windows\\notepad.exe";
    const char name[] = "Quillomar benchmark entry";
    for (int group = 0; group * kKeysPerGroup < keys; ++group)
    {
        HKEY groupKey = NULL;
        const std::string groupName = "G" + std::to_string(group);
        ::RegCreateKeyExA(top, groupName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &groupKey, nullptr);
        for (int i = 0; i < kKeysPerGroup && group * kKeysPerGroup + i < keys; ++i)
        {
            HKEY key = NULL;
            const std::string keyName = "Entry" + std::to_string(i);
            ::RegCreateKeyExA(groupKey, keyName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
            const DWORD count = static_cast<DWORD>(i);
            ::RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof(name));
            ::RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(file), sizeof(file));
            ::RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof(count));
            ::RegCloseKey(key);
        }
        ::RegCloseKey(groupKey);
    }
    ::RegCloseKey(top);
    return true;
}

double WorkingSetMB(bool peak)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return (peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize) / 1048576.0;
}

struct WalkCount
{
    long keys = 0;
    long values = 0;
};

// Every key and value below key, depth first, reading each value's data.
void BareWalk(HKEY key, WalkCount& count, bool skipClassesAlias)
{
    std::vector<char> name(1024);
    std::vector<BYTE> data(64 * 1024);
    for (DWORD index = 0;; ++index)
    {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG rc =
            ::RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_SUCCESS)
            ++count.values;
    }
    for (DWORD index = 0;; ++index)
    {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExA(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        // The scan does not enter the classes' 32-bit alias either.
        if (skipClassesAlias && ::lstrcmpiA(name.data(), "Wow6432Node") == 0)
            continue;
        HKEY child = NULL;
        if (::RegOpenKeyExA(key, name.data(), 0, KEY_READ, &child) != ERROR_SUCCESS)
            continue;
        ++count.keys;
        BareWalk(child, count, false);
        ::RegCloseKey(child);
    }
}

double TimeBareWalk(WalkCount& count)
{
    count = WalkCount();
    ::OutputDebugStringA("qmbench: bare walk begins\n");
    const BenchClock clock;
    BareWalk(HKEY_USERS, count, false);
    BareWalk(HKEY_CLASSES_ROOT, count, Wow64::Is64BitWindows());
    const double seconds = clock.Seconds();
    ::OutputDebugStringA("qmbench: bare walk ends\n");
    return seconds;
}
}

int main(int argc, char** argv)
{
    const int keys = argc > 1 ? std::atoi(argv[1]) : 100000;
    const DWORD mask = argc > 2 ? std::strtoul(argv[2], nullptr, 16) : kAllCategories;
    ::CoInitialize(nullptr);

    const BenchClock plantClock;
    // Half in the user hive (walked for file references), half in the classes
    // (walked for class references).
    if (!PlantTree(HKEY_CURRENT_USER, "Software\\QmBench", keys / 2) ||
        !PlantTree(HKEY_LOCAL_MACHINE, "Software\\Classes\\QmBench", keys - keys / 2))
    {
        std::printf("cannot plant the keys\n");
        return 1;
    }
    std::printf("planted %d keys in %.1f s\n", keys, plantClock.Seconds());

    WalkCount before;
    const double bareBefore = TimeBareWalk(before);

    const double memoryBefore = WorkingSetMB(false);
    CTolvEngineProcess* job = new CTolvEngineProcess();
    CountingStatus status;
    ::OutputDebugStringA("qmbench: scan begins\n");
    const BenchClock scanClock;
    job->StartScan({"C:"}, mask, &status, 0);
    job->Resume();
    status.Wait();
    const double scan = scanClock.Seconds();
    ::OutputDebugStringA("qmbench: scan ends\n");
    const double memoryAfter = WorkingSetMB(false);
    delete job;

    WalkCount after;
    const double bareAfter = TimeBareWalk(after);
    const double bare = bareBefore < bareAfter ? bareBefore : bareAfter;

    std::printf("scan of mask %lx: %.2f s, %ld findings, %ld status calls\n", static_cast<unsigned long>(mask), scan, status.findings,
                status.statusCalls);
    std::printf("bare walk of HKEY_USERS and HKEY_CLASSES_ROOT: %.2f s (%ld keys, %ld values)\n", bare, after.keys,
                after.values);
    std::printf("ratio scan / bare walk: %.2f\n", bare > 0 ? scan / bare : 0.0);
    std::printf("working set before the scan %.1f MB, after it %.1f MB, peak of the run %.1f MB\n", memoryBefore,
                memoryAfter, WorkingSetMB(true));
    ::CoUninitialize();
    return 0;
}
