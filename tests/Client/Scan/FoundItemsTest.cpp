// The findings of a scan: the cursor the repair job walks, ignored findings
// and the user's exclusions.
#include <windows.h>

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/FindingPlace.h"
#include "Framework/AnsiText.h"
#include "Engine/ScanCategory.h"
#include "Client/Scan/StoreTestFolder.h"

namespace
{
typedef std::vector<std::pair<DWORD, std::string>> Walk;

Walk WalkCursor(CAbstractScanItemsInfo& store)
{
    Walk walk;
    for (int more = store.MoveFirst(); more; more = store.MoveNext())
        walk.emplace_back(store.GetCurrentCategory(), store.GetCurrentText());
    return walk;
}

// The findings the repair job would leave alone.
std::vector<std::string> ExcludedTexts(CAbstractScanItemsInfo& store)
{
    std::vector<std::string> texts;
    for (int more = store.MoveFirst(); more; more = store.MoveNext())
        if (store.IsCurrentItemExcluded())
            texts.push_back(store.GetCurrentText());
    return texts;
}
}

TEST(FoundItems, CursorWalksByCategoryBitThenInOrderFound)
{
    if (!RunInOwnFolder())
        return;
    CScanItemsInfo store;
    EXPECT_EQ(store.MoveFirst(), 0);
    EXPECT_EQ(store.GetCurrentText(), nullptr);
    const Walk arrivals = {{kScanFileTypes, "f1"},   {kScanStartup, "s1"}, {kScanEmptyKeys, "e1"},
                           {kScanFileTypes, "f2"},   {kScanStartup, "s2"}, {kScanActiveX, "x1"},
                           {kScanStartup, "s1"},     {kScanTypeLibs, "t1"}};
    for (const auto& finding : arrivals)
        EXPECT_EQ(store.AddFoundItem(finding.second.c_str(), finding.first, 0, 0), 1);

    EXPECT_EQ(WalkCursor(store), (Walk{{kScanTypeLibs, "t1"},
                                       {kScanStartup, "s1"},
                                       {kScanStartup, "s2"},
                                       {kScanStartup, "s1"},
                                       {kScanFileTypes, "f1"},
                                       {kScanFileTypes, "f2"},
                                       {kScanActiveX, "x1"},
                                       {kScanEmptyKeys, "e1"}}));
    EXPECT_EQ(store.GetCurrentText(), nullptr);
    EXPECT_EQ(store.GetCurrentCategory(), 0u);
    EXPECT_EQ(store.MoveNext(), 0);

    EXPECT_EQ(store.GetItemCount(kScanStartup), 3);
    EXPECT_TRUE(store.HasItems(kScanEmptyKeys));
    std::vector<const char*> texts = {"kept"};
    EXPECT_EQ(store.GetItems(&texts, kScanStartup), 1);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(std::string(texts[1]) + texts[2] + texts[3], "s1s2s1");
    EXPECT_EQ(store.GetItems(&texts, kScanFonts), 0);
    EXPECT_EQ(texts.size(), 4u);
    EXPECT_EQ(store.GetItemCount(kScanFonts), 0);

    const DWORD mask = kScanFileTypes | kScanStartup | kScanEmptyKeys | kScanActiveX | kScanTypeLibs;
    EXPECT_EQ(store.GetFoundMask(), mask);
    store.Clear();
    EXPECT_EQ(store.MoveFirst(), 0);
    EXPECT_EQ(store.GetCurrentText(), nullptr);
    EXPECT_EQ(store.GetItemCount(kScanStartup), 0);
    EXPECT_EQ(store.GetFoundMask(), mask);
}

TEST(FoundItems, IgnoredFindingIsNotAcceptedInAnyCategory)
{
    if (!RunInOwnFolder())
        return;
    const std::string ignored = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\xac" "app";
    PlantIgnoreList(ignored + "^Windows Startup Items^0;\r\n");
    CScanItemsInfo store;
    EXPECT_EQ(store.AddFoundItem(ignored.c_str(), kScanStartup, 0, 0), 0);
    EXPECT_EQ(store.AddFoundItem(ignored.c_str(), kScanFilePaths, 0, 0), 0);
    EXPECT_EQ(store.AddFoundItem((ignored + "2").c_str(), kScanStartup, 0, 0), 1);
    EXPECT_EQ(WalkCursor(store), (Walk{{kScanStartup, ignored + "2"}}));
    EXPECT_EQ(store.GetFoundMask(), static_cast<DWORD>(kScanStartup | kScanFilePaths));

    // Ignored during this run: hidden from the repair now, from scans next time.
    store.AddFoundItem("c:\\gone.hlp", kScanHelpFiles, 0, 0);
    EXPECT_EQ(store.AddIgnoreEntry("c:\\gone.hlp", "Help Files Information", 0, 0), 1);
    EXPECT_EQ(ExcludedTexts(store), std::vector<std::string>{"c:\\gone.hlp"});
    EXPECT_EQ(store.LoadIgnoreList(), 1);
    EXPECT_EQ(store.AddFoundItem("c:\\gone.hlp", kScanHelpFiles, 0, 0), 0);
}

TEST(FoundItems, AnIgnoreHoldsForEveryNameOfTheEntry)
{
    if (!RunInOwnFolder())
        return;
    const std::string sid = FindingPlace::CurrentUserSid();
    ASSERT_FALSE(sid.empty());
    const std::string run = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\xac";
    const std::string userHive = "hkey_users\\" + AnsiText::ToLower(sid);
    // Each record keeps the name it was ignored under.
    PlantIgnoreList("HKEY_CURRENT_USER" + run + "QmApp^Windows Startup Items^0;\r\n"
                    "HKEY_USERS\\" + sid + "_Classes\\.qmtwin^File Path References^0;\r\n");
    CScanItemsInfo store;
    for (const std::string& twin : {userHive + AnsiText::ToLower(run) + "qmapp", std::string("HKEY_CLASSES_ROOT\\.QmTwin"),
                                    std::string("HKEY_CURRENT_USER\\Software\\Classes\\.qmtwin"),
                                    userHive + "\\software\\classes\\.qmtwin",
                                    std::string("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.qmtwin")})
        EXPECT_EQ(store.AddFoundItem(twin.c_str(), kScanFilePaths, 0, 0), 0) << twin;
    for (const std::string& other :
         {"HKEY_USERS\\S-1-5-21-9-9-9-1001" + run + "QmApp", userHive + "0" + run + "QmApp",
          "HKEY_LOCAL_MACHINE" + run + "QmApp", "HKEY_CURRENT_USER" + run + "QmApp2",
          std::string("HKEY_CLASSES_ROOT\\.qmtwin2"), std::string("c:\\qmapp")})
        EXPECT_EQ(store.AddFoundItem(other.c_str(), kScanFilePaths, 0, 0), 1) << other;
}

TEST(FoundItems, ExcludedFindingIsWalkedButReportedExcluded)
{
    if (!RunInOwnFolder())
        return;
    CScanItemsInfo store;
    const char* const caretKey = "HKEY_LOCAL_MACHINE\\Software\\a^b";
    const char* const caseKey = "HKEY_CLASSES_ROOT\\.qmX";
    const char* const cookie = "c:\\cookies\\user@site[1].txt";
    const char* const bare = "user@";
    const char* const kept = "HKEY_CLASSES_ROOT\\.kept";
    for (const char* text : {caretKey, caseKey, cookie, bare, kept})
        store.AddFoundItem(text, kScanFileTypes, 0, 0);

    store.ExcludeItem((std::string(caretKey) + "^File Associations").c_str(), 0, 0);
    store.ExcludeItem("HKEY_CLASSES_ROOT\\.qmx^File Associations", 0, 0); // case counts
    store.ExcludeItem("site^Program Shortcuts", 0, 0);
    store.ExcludeItem("", 0, 0);
    store.ExcludeItem("^File Associations", 0, 0);
    store.ExcludeItem("no caption", 0, 0);

    EXPECT_EQ(WalkCursor(store).size(), 5u);
    EXPECT_EQ(ExcludedTexts(store), (std::vector<std::string>{caretKey, cookie}));
    store.ExcludeItem((std::string(caseKey) + "^File Associations").c_str(), 0, 0);
    EXPECT_EQ(ExcludedTexts(store), (std::vector<std::string>{caretKey, caseKey, cookie}));
    EXPECT_EQ(store.IsCurrentItemExcluded(), 0); // at the end

    // A new scan's findings start without the last one's exclusions.
    store.Clear();
    store.AddFoundItem(caretKey, kScanFileTypes, 0, 0);
    EXPECT_TRUE(ExcludedTexts(store).empty());
}

TEST(FoundItemsShortForm, CookieFileNamesShortenToTheSite)
{
    EXPECT_EQ(CScanItemsInfo::ShortForm("c:\\cookies\\user@site[1].txt"), "site");
    EXPECT_EQ(CScanItemsInfo::ShortForm("user@www.example[12].txt"), "www.example");
    EXPECT_EQ(CScanItemsInfo::ShortForm("plain text"), "plain text");
    EXPECT_EQ(CScanItemsInfo::ShortForm("no bracket]"), "]");
    EXPECT_EQ(CScanItemsInfo::ShortForm("a.txtb.txt"), "ab");
}
