// The dated scan log in "Scan Logs" beside the program.
#include <windows.h>

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Client/Scan/CScanItemsInfo.h"
#include "Engine/ScanCategory.h"
#include "Client/Scan/StoreTestFolder.h"
#include "support/TestRegistry.h"

namespace
{
std::vector<std::string> LogFileNames()
{
    return TestEnv::NamesMatching(CScanItemsInfo::ScanLogFolder() + "\\*.txt");
}
}

TEST(ScanLog, FileNameIsTheDateAndTimeWithoutPadding)
{
    const auto at = [](WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
        SYSTEMTIME time = {};
        time.wYear = year;
        time.wMonth = month;
        time.wDay = day;
        time.wHour = hour;
        time.wMinute = minute;
        time.wSecond = second;
        return CScanItemsInfo::ScanLogFileName(time);
    };
    EXPECT_EQ(at(2024, 2, 3, 9, 5, 7), "322024957.txt");
    EXPECT_EQ(at(2024, 12, 31, 23, 59, 58), "31122024235958.txt");
}

TEST(ScanLog, ListsFindingsThenExclusionsUnderTheirBanners)
{
    if (!RunInOwnFolder())
        return;
    CScanItemsInfo store;
    store.AddFoundItem("c:\\x.lnk", kScanShortcuts, 0, 0);
    store.AddFoundItem("HKEY_CLASSES_ROOT\\.qm", kScanFileTypes, 0, 0);
    store.ExcludeItem("c:\\x.lnk^Program Shortcuts", 0, 4);
    store.ExcludeItem("c:\\x.lnk^Program Shortcuts", 0, 9); // the first number stays
    ASSERT_EQ(store.WriteScanLog(), 1);

    const std::vector<std::string> names = LogFileNames();
    ASSERT_EQ(names.size(), 1u);
    const std::string log = FileBytes(CScanItemsInfo::ScanLogFolder() + "\\" + names[0]);
    ASSERT_EQ(log.compare(0, 21, "Scan Log Created At :"), 0) << log;
    const size_t header = log.find("\r\n");
    ASSERT_NE(header, std::string::npos);
    EXPECT_EQ(log.substr(header + 2),
              "========================Items Detected During Scan=======================\r\n"
              "HKEY_CLASSES_ROOT\\.qm^4096;\r\n"
              "c:\\x.lnk^32768;\r\n"
              "======================= Spyware Items Detected===========================\r\n"
              "======================= Items Ignored During Repair=======================\r\n"
              "c:\\x.lnk^Program Shortcuts^4;\r\n");
}
