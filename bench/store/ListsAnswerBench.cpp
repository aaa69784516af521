// The real program with a large ignore list "IL", watched from a second
// process (this one): for each list size, the program's memory once it has
// read the list, the longest wait of its window during a scan with automatic
// repair, on the way to the ignore-list page (the settings page, then its
// tab) until it shows the list, while it removes one entry, and the time
// from the window's close to the process's end. A list of 0 MB gives the
// bare program's figures to compare with.
// Run it under Wine in a throwaway prefix, on a screen:
//   QM_XVFB=1 QM_PREFIX_ROOT=build/x64/wine-templates scripts/wine-run.sh build/x64/bin/lists_answer_bench.exe [megabytes ...]
// (default 0 2 20 50); the 32-bit build the same from build/bin.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "Client/res/IgnoreListResource.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "Framework/CBinaryFile.h"
#include "support/AnswerTimeProbe.h"
#include "support/LargeRepair.h"
#include "support/ProgramDriver.h"

namespace
{
const char kDeadKey[] = "Software\\QmListsBench\\Dead";
const int kFindings = 50;

// Records as the results page writes them, in key order.
std::string IgnoreListText(size_t bytes, int* records)
{
    std::string text;
    text.reserve(bytes + 128);
    *records = 0;
    for (unsigned i = 0; text.size() < bytes; ++i, ++*records)
    {
        char record[160];
        std::snprintf(record, sizeof(record),
                      "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{%010u-1111-2222-3333-444444444444}^ActiveX "
                      "Objects^0;\r\n",
                      i);
        text += record;
    }
    return text;
}

double PrivateMegabytes(DWORD processId, double* peak)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return -1;
    ::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    ::CloseHandle(process);
    // Wine keeps PrivateUsage at 0; the committed bytes are the same figure.
    *peak = counters.PeakPagefileUsage / 1048576.0;
    return counters.PagefileUsage / 1048576.0;
}

void PrintAnswers(const char* stretch, const AnswerTimeProbe::Answers& answers, double seconds)
{
    std::printf("  %-30s %6.1f s  max %8.1f ms  p99 %7.1f ms  unanswered %d\n", stretch, seconds, answers.MaxMs(),
                answers.PercentileMs(0.99), answers.unanswered);
    std::fflush(stdout);
}

bool WriteSettings(const std::string& folder)
{
    return CBinaryFile::Write(folder + "qmsettings.ini", "[SETTINGS]\r\nFirstRun=0\r\nAutoRepair=1\r\n"
                                                         "LastSelectedScanTypes=" +
                                                             std::to_string(LargeRepair::kCategory) + "\r\n");
}

void RunSize(double megabytes)
{
    int records = 0;
    const std::string list = IgnoreListText(static_cast<size_t>(megabytes * 1048576), &records);
    const std::string folder = ProgramDriver::MakeProgramFolder("lists answer bench");
    if (!WriteSettings(folder) || !CBinaryFile::Write(folder + "IL", list))
    {
        std::printf("cannot write the program's folder\n");
        return;
    }
    std::printf("%.0f MB list (%d records):\n", megabytes, records);
    ProgramDriver::RunningProgram program;
    if (!program.Start(folder + "Quillomar.exe"))
        return;
    const HWND main = program.WaitForMainWindow(120000);
    if (!main)
        return;
    double peak = 0;
    double memory = PrivateMegabytes(program.ProcessId(), &peak);
    std::printf("  memory after reading           %8.1f MB committed (peak %.1f MB)\n", memory, peak);

    // As a user would, the scan is started once the window has settled.
    ::Sleep(2000);
    AnswerTimeProbe probe(main);
    BenchClock clock;
    // The scan with automatic repair: from Start Scan to the home page, and
    // a few seconds after.
    ProgramDriver::ClickWhenUsable(main, IDC_SCAN_START, 20000);
    const bool home = ProgramDriver::WaitFor(600000, [main] {
        return !::IsWindowEnabled(::GetDlgItem(main, IDC_HOME_BUTTON));
    });
    ::Sleep(3000);
    PrintAnswers(home ? "scan with automatic repair" : "scan (no home page!)", probe.TakeAnswers(), clock.Seconds());

    // The road a user takes to the list: the settings page, then its tab.
    probe.TakeAnswers();
    clock.Restart();
    const HWND settings = ProgramDriver::ShowSettingsPage(main);
    const bool tab = settings && ProgramDriver::ClickWhenUsable(settings, IDC_TAB_IGNORE_LIST);
    const HWND rows = tab ? ProgramDriver::WaitForUsable(main, IDC_IGNORE_LIST) : NULL;
    const bool whole = rows && ProgramDriver::WaitFor(600000, [rows, records] {
        return ProgramDriver::ListRowCount(rows) == records;
    });
    ::Sleep(1000);
    PrintAnswers(whole ? "ignore-list page" : "ignore-list page (rows missing!)", probe.TakeAnswers(),
                 clock.Seconds());

    // Removing the first row writes the whole list less one record.
    if (whole && records > 0 && ProgramDriver::ListSelectRowAndWait(rows, 0))
    {
        clock.Restart();
        ProgramDriver::ClickWhenUsable(::GetParent(rows), IDC_IGNORE_REMOVE);
        const bool removed = ProgramDriver::WaitFor(600000, [rows, records] {
            return ProgramDriver::ListRowCount(rows) == records - 1;
        });
        ::Sleep(1000);
        PrintAnswers(removed ? "removing one entry" : "removing one entry (row still there!)", probe.TakeAnswers(),
                     clock.Seconds());
    }
    probe.Stop();
    memory = PrivateMegabytes(program.ProcessId(), &peak);
    std::printf("  memory with the page shown     %8.1f MB committed (peak %.1f MB)\n", memory, peak);

    clock.Restart();
    ProgramDriver::ClickWhenUsable(main, IDC_CLOSE_BUTTON);
    ProgramDriver::WaitFor(60000, [main] { return !::IsWindow(main); });
    const double closed = clock.Seconds();
    const bool ended = program.WaitForExit(120000);
    std::printf("  from the close to the end      %8.0f ms%s\n", (clock.Seconds() - closed) * 1000.0,
                ended ? "" : " (did not end)");
    std::fflush(stdout);
}
}

int main(int argc, char** argv)
{
    std::vector<double> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atof(argv[i]));
    if (sizes.empty())
        sizes = {0, 2, 20, 50};
    std::printf("%d-bit program\n", static_cast<int>(sizeof(void*) * 8));
    if (!LargeRepair::PlantDeadReferences(kDeadKey, kFindings))
    {
        std::printf("cannot plant the findings\n");
        return 1;
    }
    for (double megabytes : sizes)
    {
        RunSize(megabytes);
        // The repair took them: the next run finds them again.
        LargeRepair::PlantDeadReferences(kDeadKey, kFindings);
    }
    return 0;
}
