// Time to split an ignore list of many records (run by hand under Wine):
//   store_bench.exe [records]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchClock.h"
#include "Client/Scan/CScanItemsInfo.h"

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{" + std::to_string(i) + "}^ActiveX Objects^0;\r\n";

    const BenchClock clock;
    const CScanItemsInfo::IgnoreFileContent content = CScanItemsInfo::ParseIgnoreList(text);
    const double milliseconds = clock.Seconds() * 1000.0;
    std::printf("%d records, %u bytes: %.1f ms (%u read, whole %d)\n", count, static_cast<unsigned>(text.size()),
                milliseconds,
                static_cast<unsigned>(content.records.size()), content.whole ? 1 : 0);
    return content.records.size() == static_cast<size_t>(count) ? 0 : 1;
}
