// Times a full registry backup and its restore beside regedit's export of
// the same registry, and watches the working set while they run: the backup
// streams, so its memory must not grow with the registry. A second round
// adds many values first and shows the same peak with a larger file.
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "BenchClock.h"
#include "Engine/CRegistryManager.h"
#include "Engine/ScanCategory.h"
#include "support/FakeScanItems.h"
#include "Framework/CRegKey.h"

namespace
{
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
    double StartMB() const { return m_start / 1048576.0; }
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
        m_start = m_peak = Current();
        while (!m_stop)
        {
            const size_t now = Current();
            if (now > m_peak)
                m_peak = now;
            ::Sleep(5);
        }
    }
    std::atomic<bool> m_stop{false};
    size_t m_start = 0;
    std::atomic<size_t> m_peak{0};
    std::thread m_thread;
};

double FileMB(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0.0;
    return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1048576.0;
}

// How often a byte pattern occurs in a file: the number of keys in either
// export ("<k " in ours, a line starting "[" in regedit's UTF-16 file).
long CountInFile(const std::string& path, const std::string& pattern)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    long count = 0;
    std::string carry;
    std::string chunk(1 << 20, '\0');
    DWORD got = 0;
    while (::ReadFile(file, &chunk[0], static_cast<DWORD>(chunk.size()), &got, nullptr) && got)
    {
        const std::string text = carry + chunk.substr(0, got);
        for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + 1))
            ++count;
        carry = text.size() >= pattern.size() ? text.substr(text.size() - pattern.size() + 1) : text;
    }
    ::CloseHandle(file);
    return count;
}

double RunRegeditExport(const std::string& file)
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    std::string command = std::string("\"") + windows + "\\regedit.exe\" /E \"" + file + "\"";
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

void Round(const char* title, const std::string& folder)
{
    const std::string backup = folder + "full.rbk";
    const std::string exported = folder + "full.reg";
    std::printf("%s\n", title);
    {
        CRegistryManager manager(nullptr);
        WorkingSetWatch watch;
        const BenchClock clock;
        const int result = manager.BackupRegistry(backup);
        const double seconds = clock.Seconds();
        const long keys = CountInFile(backup, "<k ");
        std::printf("  full backup   %7.2f s  result %d  file %7.1f MB  %7ld keys  %6.0f keys/s  "
                    "working set %.1f MB, peak %.1f MB\n",
                    seconds, result, FileMB(backup), keys, keys / seconds, watch.StartMB(), watch.PeakMB());
    }
    {
        // What regedit exports: the other three roots are views into these.
        // In the program's own view, which under WOW64 is the 32-bit one.
        const std::string part = folder + "machine and users.rbk";
        FakeScanItems roots;
        roots.Add("HKEY_LOCAL_MACHINE", kScanEmptyKeys);
        roots.Add("HKEY_USERS", kScanEmptyKeys);
        CRegistryManager manager(nullptr);
        const BenchClock clock;
        const int result = manager.BackupKeys(&roots, part);
        const double seconds = clock.Seconds();
        const long keys = CountInFile(part, "<k ");
        std::printf("  HKLM and HKU  %7.2f s  result %d  file %7.1f MB  %7ld keys  %6.0f keys/s\n", seconds, result,
                    FileMB(part), keys, keys / seconds);
    }
    {
        CRegistryManager manager(nullptr);
        WorkingSetWatch watch;
        const BenchClock clock;
        const int result = manager.RestoreRegistry(backup);
        const double seconds = clock.Seconds();
        std::printf("  restore       %7.2f s  result %d                    working set %.1f MB, peak %.1f MB\n",
                    seconds, result, watch.StartMB(), watch.PeakMB());
    }
    const double regedit = RunRegeditExport(exported);
    const long keys = CountInFile(exported, std::string("\n\0[\0", 4));
    std::printf("  regedit /E    %7.2f s            file %7.1f MB  %7ld keys  %6.0f keys/s "
                "(HKEY_LOCAL_MACHINE and HKEY_USERS only)\n",
                regedit, FileMB(exported), keys, keys / regedit);
    std::fflush(stdout);
}

// Many keys and values of every size, so that the registry (and the file)
// grows several times over.
void Enlarge()
{
    CRegKey top;
    top.Create(HKEY_CURRENT_USER, "Software\\QmBenchBulk", KEY_ALL_ACCESS);
    std::string data(200, 'd');
    for (int k = 0; k < 2000; ++k)
    {
        CRegKey key;
        key.Create(top.Get(), ("key " + std::to_string(k)).c_str(), KEY_ALL_ACCESS);
        for (int v = 0; v < 100; ++v)
            ::RegSetValueExA(key.Get(), ("value " + std::to_string(v)).c_str(), 0, v % 2 ? REG_BINARY : REG_SZ,
                             reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
    }
}
}

int main()
{
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = temp;
    Round("fresh registry", folder);
    Enlarge();
    Round("with 2000 keys of 100 values more", folder);
    return 0;
}
