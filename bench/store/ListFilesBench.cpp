// Time to read the ignore list "IL" and the white list "WL" of a given size,
// as the program reads them (run by hand under Wine, 32-bit and 64-bit):
//   store_bench.exe [il|wl|both] [runs=N] [megabytes ...]
// (default: both, 3 runs, 0.1 1 10 100). Each file is written beside this
// program, read N times, and removed; each line gives the minimum, median and
// maximum of the runs in ms.
//
//   IL start   the results store built, which reads "IL" for the scan
//   IL memory  what the store holds for the list once read
//   IL page    the ignore list read again, as its page does (unchanged: kept)
//   IL remove  one entry taken out, as the page's Remove does
//   IL ignore  one finding put in, as the results page's Ignore does: the
//              write on its worker, and the window's share (the median)
//   IL parse   the file's text split into records (from memory, no limit)
//   WL start   "WL" read, as every scan start does
//   WL match   10000 finding texts looked up in what was read
//   WL parse   the file's text added to a list (from memory, no limit)
// Files larger than a list can be are refused at "start" without being read;
// "parse" shows what the readers themselves do with them.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchStats.h"
#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/IgnoreListFile.h"
#include "Client/Scan/WhiteList.h"
#include "Framework/CBinaryFile.h"
#include "Framework/ModulePath.h"

namespace
{
int g_runs = 3;
const int kLookups = 10000;

std::string IgnoreListText(size_t bytes)
{
    std::string text;
    text.reserve(bytes + 128);
    for (unsigned i = 0; text.size() < bytes; ++i)
    {
        char record[160];
        std::snprintf(record, sizeof(record),
                      "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{%08X-1111-2222-3333-%012u}^ActiveX Objects^0;\r\n",
                      i * 2654435761u, i);
        text += record;
    }
    return text;
}

std::string WhiteListText(size_t bytes)
{
    std::string text;
    text.reserve(bytes + 128);
    for (unsigned i = 0; text.size() < bytes; ++i)
    {
        char fragment[96];
        std::snprintf(fragment, sizeof(fragment), "C:\\Program Files\\Vendor %u\\Tool%u\\;\r\n", i % 9973, i);
        text += fragment;
    }
    return text;
}

// Finding texts as a scan reports them; none is on the list.
std::vector<std::string> FindingTexts()
{
    std::vector<std::string> texts;
    for (int i = 0; i < kLookups; ++i)
        texts.push_back("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\app paths\\qmapp" +
                        std::to_string(i) + ".exe");
    return texts;
}

struct Times
{
    BenchStats ms;
    std::string note;
};

void Print(const char* what, double megabytes, const Times& times)
{
    if (times.ms.Empty())
    {
        std::printf("%-10s %8.1f MB  %s\n", what, megabytes, times.note.c_str());
        return;
    }
    std::printf("%-10s %8.1f MB  min %10.1f  median %10.1f  max %10.1f ms  %s\n", what, megabytes, times.ms.Min(),
                times.ms.Median(), times.ms.Max(), times.note.c_str());
    std::fflush(stdout);
}

Times Measure(const std::function<std::string()>& run)
{
    Times times;
    for (int i = 0; i < g_runs; ++i)
    {
        const BenchClock clock;
        times.note = run();
        times.ms.Add(clock.Seconds() * 1000.0);
    }
    return times;
}

void BenchIgnoreList(double megabytes)
{
    const std::string text = IgnoreListText(static_cast<size_t>(megabytes * 1024 * 1024));
    const std::string path = CScanItemsInfo::IgnoreListPath();
    if (!CBinaryFile::Write(path, text))
    {
        std::printf("cannot write %s\n", path.c_str());
        return;
    }
    Times start = Measure([] {
        CScanItemsInfo store;
        return std::string(store.IgnoredItemsState() == IgnoreListFile::Status::kFailed ? "not read" : "read");
    });
    Print("IL start", megabytes, start);
    CScanItemsInfo store;
    std::printf("%-10s %8.1f MB  %.1f MB held by the store after reading (%.2f times the file)\n", "IL memory",
                megabytes, store.IgnoreListMemoryBytes() / 1048576.0,
                text.empty() ? 0.0 : static_cast<double>(store.IgnoreListMemoryBytes()) / text.size());
    Times page = Measure([&] {
        const int read = store.ReloadIgnoreList();
        return std::to_string(store.IgnoreEntries()->EntryCount()) + " entries" + (read ? "" : ", refused");
    });
    Print("IL page", megabytes, page);
    Times remove = Measure([&] {
        store.ReloadIgnoreList();
        const auto list = store.IgnoreEntries();
        if (list->EntryCount() == 0)
            return std::string("nothing to remove");
        const std::string key = list->EntryKey(list->EntryCount() / 2);
        return std::string(store.RemoveIgnoreEntry(key) ? "removed" : "refused");
    });
    Print("IL remove", megabytes, remove);
    int ignored = 0;
    BenchStats windowShare;
    Times ignore = Measure([&] {
        const std::string item = "HKEY_CURRENT_USER\\Software\\QmBench\\Ignored" + std::to_string(ignored++);
        const BenchClock clock;
        store.BeginAddIgnoreEntry(item.c_str(), "ActiveX Objects");
        windowShare.Add(clock.Seconds() * 1000.0);
        CScanItemsInfo::ListChange outcome;
        while ((outcome = store.TakeIgnoreAddition()) == CScanItemsInfo::ListChange::kPending)
            ::Sleep(1);
        char note[96];
        std::snprintf(note, sizeof(note), "%s, the window's share %.1f ms",
                      outcome == CScanItemsInfo::ListChange::kDone ? "ignored" : "refused", windowShare.Median());
        return std::string(note);
    });
    Print("IL ignore", megabytes, ignore);
    Times parse = Measure([&] {
        return std::to_string(IgnoreListFile::Parse(text).records.size()) + " records";
    });
    Print("IL parse", megabytes, parse);
    ::DeleteFileA(path.c_str());
}

void BenchWhiteList(double megabytes)
{
    const std::string text = WhiteListText(static_cast<size_t>(megabytes * 1024 * 1024));
    // Where the scan page reads it.
    const std::string path = ModulePath::Folder() + "WL";
    if (!CBinaryFile::Write(path, text))
    {
        std::printf("cannot write %s\n", path.c_str());
        return;
    }
    Times start = Measure([&] {
        WhiteList list;
        const WhiteList::Status status = list.Read(path);
        return status == WhiteList::Status::kFailed ? std::string("not read")
                                                    : std::to_string(list.Size()) + " fragments";
    });
    Print("WL start", megabytes, start);
    WhiteList list;
    list.Add(text);
    const std::vector<std::string> findings = FindingTexts();
    Times match = Measure([&] {
        int matched = 0;
        for (const std::string& finding : findings)
            matched += list.Matches(finding) ? 1 : 0;
        return std::to_string(findings.size()) + " texts, " + std::to_string(matched) + " matched";
    });
    Print("WL match", megabytes, match);
    Times parse = Measure([&] {
        WhiteList parsed;
        parsed.Add(text);
        return std::to_string(parsed.Size()) + " fragments";
    });
    Print("WL parse", megabytes, parse);
    ::DeleteFileA(path.c_str());
}
}

int main(int argc, char** argv)
{
    std::string lists = "both";
    std::vector<double> sizes;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "il" || argument == "wl" || argument == "both")
            lists = argument;
        else if (argument.rfind("runs=", 0) == 0)
            g_runs = std::max(1, std::atoi(argument.c_str() + 5));
        else
            sizes.push_back(std::atof(argument.c_str()));
    }
    if (sizes.empty())
        sizes = {0.1, 1, 10, 100};
    std::printf("%d-bit, %d runs each\n", static_cast<int>(sizeof(void*) * 8), g_runs);
    for (double megabytes : sizes)
    {
        if (lists != "wl")
            BenchIgnoreList(megabytes);
        if (lists != "il")
            BenchWhiteList(megabytes);
    }
    return 0;
}
