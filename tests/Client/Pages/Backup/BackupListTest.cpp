// The backup page's list of backup files: which files, in which order, and
// how their dates read.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Client/Pages/BackupList.h"
#include "support/TestRegistry.h"

namespace
{
const char kWhole[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n </registry>\r\n";

std::vector<std::string> Titles(const std::vector<BackupEntry>& entries)
{
    std::vector<std::string> titles;
    for (const BackupEntry& entry : entries)
        titles.push_back(entry.title);
    return titles;
}
}

TEST(BackupList, NewestFirstByTheDateInTheNameWhateverTheFolderOrder)
{
    const std::string folder = TestEnv::MakeScratchFolder("backuplist");
    // Created oldest last, and named so that neither name order nor the
    // order of creation is the order of their dates.
    for (const char* name : {"31122025_235959_REGBACKUP.rbk", "01012026_000000_FULL_REGBACKUP.rbk",
                             "15062024_120000_REGBACKUP.rbk", "notes.rbk", "02012026_080000_REGBACKUP.rbk",
                             "01012026_000000_REGBACKUP.rbk", "12122026_101010_REGBACKUP.txt"})
        ASSERT_TRUE(TestEnv::WriteFile(folder + name, kWhole));
    ASSERT_TRUE(::CreateDirectoryA((folder + "03012026_000000_REGBACKUP.rbk").c_str(), nullptr));

    const std::vector<BackupEntry> entries = BackupList::Enumerate(folder.substr(0, folder.size() - 1));
    const std::vector<std::string> expected = {"02012026_080000_REGBACKUP", "01012026_000000_REGBACKUP",
                                               "01012026_000000_FULL_REGBACKUP", "31122025_235959_REGBACKUP",
                                               "15062024_120000_REGBACKUP", "notes"};
    EXPECT_EQ(Titles(entries), expected);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0].path, folder + "02012026_080000_REGBACKUP.rbk");
    // Its creation time, just now, in English whatever the locale.
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    EXPECT_NE(entries[0].dateText.find(BackupList::FormatDate(now).substr(0, 4)), std::string::npos)
        << entries[0].dateText;

    EXPECT_TRUE(BackupList::Enumerate(folder + "missing").empty());
}

TEST(BackupList, DatesReadInEnglishAndTitlesLoseOnlyTheExtension)
{
    const LCID before = ::GetThreadLocale();
    ::SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 3;
    time.wDay = 5;
    time.wHour = 7;
    time.wMinute = 4;
    time.wSecond = 9;
    EXPECT_EQ(BackupList::FormatDate(time), "March 05, 2026 (07:04:09)");
    time.wMonth = 12;
    time.wDay = 31;
    time.wHour = 23;
    EXPECT_EQ(BackupList::FormatDate(time), "December 31, 2026 (23:04:09)");
    time.wMonth = 13;
    EXPECT_EQ(BackupList::FormatDate(time), "");
    ::SetThreadLocale(before);

    EXPECT_EQ(BackupList::TitleOf("05032026_070409_FULL_REGBACKUP.rbk"), "05032026_070409_FULL_REGBACKUP");
    EXPECT_EQ(BackupList::TitleOf("a.b.rbk"), "a.b");
    EXPECT_EQ(BackupList::TitleOf(".rbk"), ".rbk");
    EXPECT_EQ(BackupList::TitleOf("plain"), "plain");

    unsigned long long stamp = 0;
    EXPECT_TRUE(BackupList::DateInName("05032026_070409_REGBACKUP", stamp));
    EXPECT_EQ(stamp, 20260305070409ULL);
    EXPECT_FALSE(BackupList::DateInName("0503202_070409_REGBACKUP", stamp));
    EXPECT_FALSE(BackupList::DateInName("05032026-070409", stamp));
    EXPECT_FALSE(BackupList::DateInName("05032026_0704", stamp));
}

TEST(BackupList, ListsEveryBackupAlsoADamagedOne)
{
    const std::string folder = TestEnv::MakeScratchFolder("wholebackups");
    const std::string whole = kWhole;
    // Cut off while an earlier version wrote them: empty (the end came
    // before the first write), or anywhere before the root element's end.
    // The user must see them to delete them; their restore is refused.
    ASSERT_TRUE(TestEnv::WriteFile(folder + "01012026_000000_FULL_REGBACKUP.rbk", ""));
    ASSERT_TRUE(TestEnv::WriteFile(folder + "02012026_000000_FULL_REGBACKUP.rbk",
                                   whole.substr(0, whole.size() - 5)));
    ASSERT_TRUE(TestEnv::WriteFile(folder + "03012026_000000_REGBACKUP.rbk",
                                   whole.substr(0, whole.find(" </registry>")) + std::string(200, ' ')));
    // A backup still being written, and names that only begin like a backup's.
    ASSERT_TRUE(TestEnv::WriteFile(folder + "04012026_000000_FULL_REGBACKUP.rbk.part", whole));
    ASSERT_TRUE(TestEnv::WriteFile(folder + "05012026_000000_FULL_REGBACKUP.rbkx", whole));
    // Whole: also in capitals, and with blanks after its end.
    ASSERT_TRUE(TestEnv::WriteFile(folder + "06012026_000000_REGBACKUP.rbk", whole));
    ASSERT_TRUE(TestEnv::WriteFile(folder + "07012026_000000_REGBACKUP.RBK", whole + "\r\n  \r\n"));

    EXPECT_EQ(Titles(BackupList::Enumerate(folder.substr(0, folder.size() - 1))),
              (std::vector<std::string>{"07012026_000000_REGBACKUP", "06012026_000000_REGBACKUP",
                                        "03012026_000000_REGBACKUP", "02012026_000000_FULL_REGBACKUP",
                                        "01012026_000000_FULL_REGBACKUP"}));
}
