// The ignore list "IL" beside the program: reading, rewriting and appending,
// with the files that lose records in careless code.
#include <windows.h>

#include <gtest/gtest.h>
#include <map>
#include <string>

#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/IgnoreListFile.h"
#include "Client/Scan/ListFile.h"
#include "Engine/ScanCategory.h"
#include "Framework/CHandle.h"
#include "Client/Scan/StoreTestFolder.h"
#include "support/TestRegistry.h"

namespace
{
typedef std::map<std::string, int> Entries;

Entries ReloadedEntries(CScanItemsInfo& store)
{
    Entries entries;
    EXPECT_EQ(store.ReloadIgnoreList(), 1);
    store.GetIgnoreList(&entries);
    return entries;
}

using ListChange = CScanItemsInfo::ListChange;

// What the store's worker told of the removals or the additions, once it has
// written them.
ListChange OnceWritten(CScanItemsInfo& store, ListChange (CScanItemsInfo::*take)())
{
    ListChange outcome = ListChange::kPending;
    for (int look = 0; look < 2000 && (outcome = (store.*take)()) == ListChange::kPending; ++look)
        ::Sleep(5);
    return outcome;
}

std::string Bytes(const char* text, size_t size)
{
    return std::string(text, size);
}

// What the store answers while it cannot take the file: nothing read back,
// and nothing written.
void ExpectRefused(CScanItemsInfo& store)
{
    EXPECT_EQ(store.ReloadIgnoreList(), 0);
    Entries entries;
    store.GetIgnoreList(&entries);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(store.AddIgnoreEntry("c", "D", 0, 0), 0);
    EXPECT_EQ(store.WriteIgnoreList({{"only^E", 0}}), 0);
}
}

TEST(IgnoreListFile, MissingFileIsCreatedEmptyAndFirstEntryWrittenWithCrLf)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_FALSE(TestEnv::FileExists(CScanItemsInfo::IgnoreListPath()));
    CScanItemsInfo store;
    EXPECT_TRUE(TestEnv::FileExists(CScanItemsInfo::IgnoreListPath()));
    EXPECT_EQ(IgnoreListBytes(), "");
    EXPECT_TRUE(ReloadedEntries(store).empty());

    EXPECT_EQ(store.AddIgnoreEntry("HKEY_CLASSES_ROOT\\.qmx", "File Associations", 5, 6), 1);
    EXPECT_EQ(IgnoreListBytes(), "HKEY_CLASSES_ROOT\\.qmx^File Associations^0;\r\n");
    EXPECT_EQ(ReloadedEntries(store), (Entries{{"HKEY_CLASSES_ROOT\\.qmx^File Associations", 0}}));
}

TEST(IgnoreListFile, EmptyFileReadsAsEmptyList)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList("");
    CScanItemsInfo store;
    EXPECT_TRUE(ReloadedEntries(store).empty());
    EXPECT_EQ(store.AddFoundItem("anything", kScanFonts, 0, 0), 1);
    EXPECT_EQ(store.AddIgnoreEntry("c:\\a.ttf", "Windows Fonts", 0, 0), 1);
    EXPECT_EQ(IgnoreListBytes(), "c:\\a.ttf^Windows Fonts^0;\r\n");
}

TEST(IgnoreListFile, RecordsFillTheItemMapAndTheEntryMap)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList("a^B^3;\r\nc^D^0;\r\n");
    CScanItemsInfo store;
    EXPECT_EQ(ReloadedEntries(store), (Entries{{"a^B", 3}, {"c^D", 0}}));
    // The item map is keyed by the item alone and keeps the numbers.
    EXPECT_EQ(store.AddFoundItem("a", kScanActiveX, 0, 0), 0);
    EXPECT_EQ(store.AddFoundItem("c", kScanFonts, 0, 0), 0);
    EXPECT_EQ(store.AddFoundItem("A", kScanFonts, 0, 0), 1);
    ScanItemRecord record;
    record.id = 3;
    record.itemText = "a";
    EXPECT_EQ(store.IsIgnored("", 0, &record), 1);
    record.id = 4;
    EXPECT_EQ(store.IsIgnored("", 0, &record), 0);
    record.itemText = "c";
    record.id = 0;
    EXPECT_EQ(store.IsIgnored("", 0, &record), 0);
}

TEST(IgnoreListFile, RewriteAfterLoadKeepsEveryRecord)
{
    if (!RunInOwnFolder())
        return;
    const std::string longItem = "HKEY_LOCAL_MACHINE\\Software\\" + std::string(100000, 'k');
    const std::string accented = "c:\\program files\\caf\xe9\\\xc4\xd6\xdc\xff.exe";
    const std::string withCaret = "HKEY_CURRENT_USER\\Software\\a^b\xac^value";
    const std::string original = longItem + "^Empty Registry Keys^0;\r\n" + accented + "^Program Shortcuts^7;\r\n" +
                                 withCaret + "^Windows Startup Items^0;\r\n";
    PlantIgnoreList(original);
    CScanItemsInfo store;
    EXPECT_EQ(store.AddFoundItem(longItem.c_str(), kScanEmptyKeys, 0, 0), 0);
    EXPECT_EQ(store.AddFoundItem(accented.c_str(), kScanShortcuts, 0, 0), 0);
    EXPECT_EQ(store.AddFoundItem(withCaret.c_str(), kScanStartup, 0, 0), 0);

    // An entry already there keeps its number; the records keep their
    // places, and a new one goes before the first that sorts after it.
    EXPECT_EQ(store.AddIgnoreEntry(accented.c_str(), "Program Shortcuts", 0, 0), 1);
    EXPECT_EQ(IgnoreListBytes(), original);
    EXPECT_EQ(store.AddIgnoreEntry("HKEY_CLASSES_ROOT\\CLSID\\{1}", "ActiveX Objects", 0, 0), 1);
    const Entries expected = {{longItem + "^Empty Registry Keys", 0},
                              {accented + "^Program Shortcuts", 7},
                              {withCaret + "^Windows Startup Items", 0},
                              {"HKEY_CLASSES_ROOT\\CLSID\\{1}^ActiveX Objects", 0}};
    EXPECT_EQ(ReloadedEntries(store), expected);
    EXPECT_EQ(IgnoreListBytes(), "HKEY_CLASSES_ROOT\\CLSID\\{1}^ActiveX Objects^0;\r\n" + original);
}

TEST(IgnoreListFile, ZeroAndControlZBytesDoNotEndTheFile)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList(Bytes("a\x1a^B^1;\r\n\0\0\0\r\nb^C^2;\r\n", 22));
    CScanItemsInfo store;
    EXPECT_EQ(ReloadedEntries(store), (Entries{{"a\x1a^B", 1}, {"b^C", 2}}));
    EXPECT_EQ(store.AddFoundItem("b", kScanFonts, 0, 0), 0);
    EXPECT_EQ(store.AddIgnoreEntry("c", "D", 0, 0), 1);
    EXPECT_EQ(IgnoreListBytes(), Bytes("a\x1a^B^1;\r\n\0\0\0\r\nb^C^2;\r\nc^D^0;\r\n", 30));
}

// Files that hold more than their records: text after an empty entry, a
// last record without its ";", entries that are no records, a key twice.
// Removing an entry cuts out its records alone, and an ignored item goes in
// where the reading stopped, so that it is read back; every other byte stays.
TEST(IgnoreListFile, FilesWithMoreThanTheirRecordsKeepEveryOtherByte)
{
    if (!RunInOwnFolder())
        return;
    struct Case
    {
        std::string file;
        Entries read;
        std::string afterRemove; // the first entry read taken out
        std::string afterIgnore; // then "n" ignored
    };
    const Case cases[] = {
        {"x^Y^1;;z^W^2;\r\n", {{"x^Y", 1}}, ";z^W^2;\r\n", "n^C^0;\r\n;z^W^2;\r\n"},
        {"a^B^3;\r\nc^D^0", {{"a^B", 3}}, "c^D^0", "n^C^0;\r\nc^D^0"},
        {"a^B^3;\r\nno caret here;\r\n", {{"a^B", 3}}, "no caret here;\r\n", "no caret here;\r\nn^C^0;\r\n"},
        {"^Y^1;z^W^2;", {{"z^W", 2}}, "^Y^1;", "^Y^1;n^C^0;\r\n"},
        {"a^3;\r\n", {{"a^", 3}}, "", "n^C^0;\r\n"},
        {"a^B^3;\r\na^B^4;\r\nb^C^5;\n", {{"a^B", 3}, {"b^C", 5}}, "b^C^5;\n", "b^C^5;\nn^C^0;\r\n"},
        {"  q^R^1 ;\n\n  a^B^2;\r\n\r\n", {{"a^B", 2}, {"q^R", 1}}, "  q^R^1 ;\n\n  \r\n",
         "  n^C^0;\r\nq^R^1 ;\n\n  \r\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        PlantIgnoreList(c.file);
        CScanItemsInfo store;
        Entries entries = ReloadedEntries(store);
        EXPECT_EQ(entries, c.read);
        entries.erase(entries.begin());
        EXPECT_EQ(store.WriteIgnoreList(entries), 1);
        EXPECT_EQ(IgnoreListBytes(), c.afterRemove);
        EXPECT_EQ(ReloadedEntries(store), entries);

        EXPECT_EQ(store.AddIgnoreEntry("n", "C", 0, 0), 1);
        EXPECT_EQ(IgnoreListBytes(), c.afterIgnore);
        EXPECT_EQ(ReloadedEntries(store).count("n^C"), 1u);
        // Ignoring it again changes nothing.
        EXPECT_EQ(store.AddIgnoreEntry("n", "C", 0, 0), 1);
        EXPECT_EQ(IgnoreListBytes(), c.afterIgnore);
    }
}

TEST(IgnoreListFile, UnreadableFileKeepsIgnoredItemsHiddenAndIsNotWritten)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList("a^B^3;\r\n");
    CScanItemsInfo store;
    EXPECT_EQ(store.LoadIgnoreList(), 0); // already loaded
    EXPECT_EQ(store.AddIgnoreEntry("b", "C", 0, 0), 1);
    const std::string written = IgnoreListBytes();
    {
        CHandle lock(::CreateFileA(CScanItemsInfo::IgnoreListPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_EQ(store.LoadIgnoreList(), 0);
        EXPECT_EQ(store.AddFoundItem("a", kScanFonts, 0, 0), 0);
        ExpectRefused(store);
    }
    EXPECT_EQ(IgnoreListBytes(), written);
    EXPECT_EQ(store.LoadIgnoreList(), 1);
    EXPECT_EQ(store.AddFoundItem("a", kScanFonts, 0, 0), 0);
    EXPECT_EQ(store.AddFoundItem("b", kScanFonts, 0, 0), 0);
    EXPECT_EQ(store.GetItemCount(kScanFonts), 0);
}

TEST(IgnoreListFile, ItemWithSemicolonIsExcludedButNotWritten)
{
    if (!RunInOwnFolder())
        return;
    CScanItemsInfo store;
    store.AddFoundItem("c:\\a;b.exe", kScanAppPaths, 0, 0);
    EXPECT_EQ(store.AddIgnoreEntry("c:\\a;b.exe", "Application Paths", 0, 0), 0);
    EXPECT_EQ(IgnoreListBytes(), "");
    ASSERT_EQ(store.MoveFirst(), 1);
    EXPECT_EQ(store.IsCurrentItemExcluded(), 1);
}

// Taking one entry out, or giving one another number, touches that record
// alone: line ends, order, and records the store would write otherwise stay.
// The item of a record runs to the "^" before its category, also where it
// holds "^" itself, for the scan's look-up and for the list's keys alike.
TEST(IgnoreListFile, ChangingOneEntryRewritesNoOtherByte)
{
    if (!RunInOwnFolder())
        return;
    const std::string caret = "HKEY_CURRENT_USER\\Software\\a^b^Windows Startup Items^0;\n";
    PlantIgnoreList("b^C^1;\n" + caret + "A^C^2;\n");
    CScanItemsInfo store;
    EXPECT_EQ(store.AddFoundItem("HKEY_CURRENT_USER\\Software\\a^b", kScanStartup, 0, 0), 0);
    EXPECT_EQ(store.AddFoundItem("HKEY_CURRENT_USER\\Software\\a", kScanStartup, 0, 0), 1);
    Entries entries = ReloadedEntries(store);
    EXPECT_EQ(entries, (Entries{{"A^C", 2}, {"HKEY_CURRENT_USER\\Software\\a^b^Windows Startup Items", 0}, {"b^C", 1}}));
    const IgnoreListFile::Key key = IgnoreListFile::SplitKey("HKEY_CURRENT_USER\\Software\\a^b^Windows Startup Items");
    EXPECT_EQ(key.item, "HKEY_CURRENT_USER\\Software\\a^b");
    EXPECT_EQ(key.category, "Windows Startup Items");

    entries.erase("b^C");
    EXPECT_EQ(store.WriteIgnoreList(entries), 1);
    EXPECT_EQ(IgnoreListBytes(), caret + "A^C^2;\n");
    entries["A^C"] = 9;
    EXPECT_EQ(store.WriteIgnoreList(entries), 1);
    EXPECT_EQ(IgnoreListBytes(), caret + "A^C^9;\n");
    // The next scan's look-up reads the file again.
    EXPECT_EQ(store.LoadIgnoreList(), 1);
    EXPECT_EQ(store.AddFoundItem("b", kScanFonts, 0, 0), 1);
    EXPECT_EQ(store.AddFoundItem("A", kScanFonts, 0, 0), 0);
}

// The program lets the list grow by a record a click: a list of any size is
// read and written, and one record more is one record more.
TEST(IgnoreListFile, AListOfAnySizeIsReadAndGrowsByTheOneRecordIgnored)
{
    if (!RunInOwnFolder())
        return;
    const std::string base = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Qm";
    std::string large;
    int records = 0;
    while (large.size() <= (3u << 20))
        large += base + std::to_string(100000 + records++) + "^Windows Startup Items^0;\r\n";
    PlantIgnoreList(large);

    CScanItemsInfo store;
    EXPECT_EQ(store.IgnoredItemsState(), IgnoreListFile::Status::kDone);
    EXPECT_EQ(store.AddFoundItem((base + "100000").c_str(), kScanStartup, 0, 0), 0);
    EXPECT_EQ(store.AddFoundItem((base + std::to_string(100000 + records - 1)).c_str(), kScanStartup, 0, 0), 0);
    EXPECT_EQ(store.AddIgnoreEntry((base + "999999").c_str(), "Windows Startup Items", 0, 0), 1);
    const std::string added = base + "999999^Windows Startup Items^0;\r\n";
    EXPECT_TRUE(IgnoreListBytes() == large + added) << "the file is not the list with the one record added";
    EXPECT_EQ(ReloadedEntries(store).size(), static_cast<size_t>(records + 1));
    EXPECT_EQ(store.LoadIgnoreList(), 1);
    EXPECT_EQ(store.AddFoundItem((base + "999999").c_str(), kScanStartup, 0, 0), 0);
}

// A large list is held as its file and a few numbers a record, once for
// the scan and the pages together: a map node and a text of each record for
// each of them came to about twenty times the file.
TEST(IgnoreListFile, ALargeListCostsMemoryInProportionToItsFileHeldOnceByScanAndPages)
{
    if (!RunInOwnFolder())
        return;
    const std::string base = "HKEY_CLASSES_ROOT\\CLSID\\{00000000-1111-2222-3333-";
    std::string large;
    for (int i = 0; large.size() <= (2u << 20); ++i)
        large += base + std::to_string(100000000000 + i) + "}^ActiveX Objects^0;\r\n";
    PlantIgnoreList(large);

    CScanItemsInfo store;
    const size_t read = store.IgnoreListMemoryBytes();
    EXPECT_LE(read, 2 * large.size()) << read << " bytes for a file of " << large.size();
    // The pages' read of an unchanged file is the scan's.
    EXPECT_EQ(store.ReloadIgnoreList(), 1);
    EXPECT_EQ(store.IgnoreListMemoryBytes(), read);
    EXPECT_EQ(store.IgnoreEntries()->EntryCount(), store.IgnoreEntries()->Content().records.size());
    // A removal holds the new list in place of the old.
    EXPECT_EQ(store.RemoveIgnoreEntry(base + "100000000000}^ActiveX Objects"), 1);
    EXPECT_LE(store.IgnoreListMemoryBytes(), 2 * large.size());
    EXPECT_TRUE(IgnoreListBytes() == large.substr(large.find('\n') + 1));
    EXPECT_EQ(store.AddFoundItem((base + "100000000000}").c_str(), kScanActiveX, 0, 0), 1);
}

// An item that would come back otherwise than it went in (trimmed, or cut
// at a ";") is not written: the list the file holds is the list the
// program means.
TEST(IgnoreListFile, AListThatWouldNotReadBackAsWrittenIsNotWritten)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList("a^B^3;\r\n");
    CScanItemsInfo store;
    for (const char* item : {" padded", "\r\nline"})
    {
        SCOPED_TRACE(item);
        EXPECT_EQ(store.AddIgnoreEntry(item, "Windows Fonts", 0, 0), 0);
        EXPECT_EQ(IgnoreListBytes(), "a^B^3;\r\n");
    }
    EXPECT_EQ(store.WriteIgnoreList({{"a^B", 3}, {"x;y^C", 0}}), 0);
    EXPECT_EQ(store.WriteIgnoreList({{"a^B", 3}, {"no category", 0}}), 0);
    EXPECT_EQ(IgnoreListBytes(), "a^B^3;\r\n");
}

// A list read only in part is read as far as it goes, and says so: the scan
// will not repair by itself while it may report what the user kept.
TEST(IgnoreListFile, AListReadOnlyInPartSaysSo)
{
    if (!RunInOwnFolder())
        return;
    struct Case
    {
        const char* file;
        size_t size;
        IgnoreListFile::Status state;
    };
    const Case cases[] = {
        {"a^B^1;\r\n;;\r\nc^D^2;\r\n", 0, IgnoreListFile::Status::kDamaged},
        {"a^B^1;\r\nc^D^2", 0, IgnoreListFile::Status::kDamaged},
        {"a^B^1;\r\n \t\r\n\0\0\0", 13, IgnoreListFile::Status::kDone},
        {"a^B^1;\r\nno caret;\r\n", 0, IgnoreListFile::Status::kDone},
    };
    for (const Case& c : cases)
    {
        const std::string file = c.size ? std::string(c.file, c.size) : std::string(c.file);
        SCOPED_TRACE(file);
        PlantIgnoreList(file);
        CScanItemsInfo store;
        EXPECT_EQ(store.IgnoredItemsState(), c.state);
        EXPECT_EQ(store.AddFoundItem("a", kScanFonts, 0, 0), 0);
        EXPECT_EQ(store.AddFoundItem("c", kScanFonts, 0, 0), 1);
        // Ignoring one more keeps the part that was not read.
        EXPECT_EQ(store.AddIgnoreEntry("b", "C", 0, 0), 1);
        EXPECT_NE(IgnoreListBytes().find("b^C^0;\r\n"), std::string::npos);
        EXPECT_NE(IgnoreListBytes().find(file.substr(file.find('\n') + 1)), std::string::npos);
    }

    // A file that cannot be read at all.
    PlantIgnoreList("a^B^1;\r\n");
    CScanItemsInfo store;
    EXPECT_EQ(store.IgnoredItemsState(), IgnoreListFile::Status::kDone);
    {
        CHandle lock(::CreateFileA(CScanItemsInfo::IgnoreListPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        store.WriteIgnoreList({{"a^B", 1}});
        EXPECT_EQ(store.LoadIgnoreList(), 0);
        EXPECT_EQ(store.IgnoredItemsState(), IgnoreListFile::Status::kFailed);
    }
    EXPECT_EQ(store.LoadIgnoreList(), 1);
    EXPECT_EQ(store.IgnoredItemsState(), IgnoreListFile::Status::kDone);
}

// A finding is held against every exclusion mark by two look-ups: tens of
// thousands of marks and findings take no quadratic walk, and the answer is
// the one the marks give.
TEST(IgnoreListFile, ExclusionMarksAreLookedUpNotWalked)
{
    if (!RunInOwnFolder())
        return;
    CScanItemsInfo store;
    const int count = 30000;
    for (int i = 0; i < count; ++i)
    {
        const std::string text = "HKEY_CURRENT_USER\\Software\\Qm" + std::to_string(i);
        store.AddFoundItem(text.c_str(), kScanEmptyKeys, 0, 0);
        if (i % 2 == 0)
            store.ExcludeItem((text + "^Empty Registry Keys").c_str(), 0, 0);
    }
    // A mark without a category names nothing; one differing in case names
    // another item.
    store.ExcludeItem("HKEY_CURRENT_USER\\Software\\Qm1", 0, 0);
    store.ExcludeItem("HKEY_CURRENT_USER\\Software\\qm3^Empty Registry Keys", 0, 0);
    int excluded = 0;
    ASSERT_EQ(store.MoveFirst(), 1);
    do
    {
        const std::string text = store.GetCurrentText();
        const int number = std::stoi(text.substr(text.find("Qm") + 2));
        EXPECT_EQ(store.IsCurrentItemExcluded(), number % 2 == 0 ? 1 : 0) << text;
        excluded += store.IsCurrentItemExcluded();
    } while (store.MoveNext());
    EXPECT_EQ(excluded, count / 2);
    store.RemoveExclusionMark("HKEY_CURRENT_USER\\Software\\Qm0^Empty Registry Keys");
    ASSERT_EQ(store.MoveFirst(), 1);
    EXPECT_EQ(store.IsCurrentItemExcluded(), 0);
}

// The user's changes are written on a worker, so that a long list never
// holds the window: whatever the store does with the list meanwhile waits for
// them, and changes begun while others are written wait their turn there,
// each on the list the one before left, so none is lost. Each kind's outcome
// is told once; a change that cannot be written keeps the file as it was.
TEST(IgnoreListFile, ChangesWrittenOnAWorkerAreQueuedLoseNothingAndKeepTheFileWhenTheyCannotWrite)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList("a^B^0;\r\nc^D^0;\r\n");
    CScanItemsInfo store;
    store.BeginRemoveIgnoreEntry("a^B");
    EXPECT_EQ(store.AddIgnoreEntry("e", "F", 0, 0), 1);
    EXPECT_EQ(IgnoreListBytes(), "c^D^0;\r\ne^F^0;\r\n");
    EXPECT_EQ(store.TakeIgnoreRemoval(), ListChange::kDone);
    EXPECT_EQ(store.TakeIgnoreRemoval(), ListChange::kNone) << "an outcome is told once";

    store.BeginRemoveIgnoreEntry("c^D");
    store.BeginAddIgnoreEntry("i", "J");
    store.BeginAddIgnoreEntry("g", "H");
    store.BeginAddIgnoreEntry("semi;colon", "H");
    EXPECT_EQ(OnceWritten(store, &CScanItemsInfo::TakeIgnoreAddition), ListChange::kFailed) << "a record with a \";\" is never written";
    EXPECT_EQ(store.TakeIgnoreAddition(), ListChange::kNone) << "an outcome is told once";
    EXPECT_EQ(store.TakeIgnoreRemoval(), ListChange::kDone);
    EXPECT_EQ(IgnoreListBytes(), "e^F^0;\r\ng^H^0;\r\ni^J^0;\r\n");
    EXPECT_EQ(ReloadedEntries(store), (Entries{{"e^F", 0}, {"g^H", 0}, {"i^J", 0}}));

    {
        // Another program reads the file and lets nobody replace it.
        CHandle held(::CreateFileA(CScanItemsInfo::IgnoreListPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        store.BeginRemoveIgnoreEntry("e^F");
        EXPECT_EQ(OnceWritten(store, &CScanItemsInfo::TakeIgnoreRemoval), ListChange::kFailed);
    }
    EXPECT_EQ(IgnoreListBytes(), "e^F^0;\r\ng^H^0;\r\ni^J^0;\r\n");
}
