#pragma once
#include <windows.h>

#include <atomic>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Client/Scan/CAbstractScanItemsInfo.h"
#include "Client/Scan/IgnoreListChanges.h"
#include "Client/Scan/IgnoreListFile.h"
#include "Client/Scan/IgnoreListSnapshot.h"
#include "Framework/CHandle.h"

// The results of one scan, the user's exclusions for the next repair, the
// ignore list kept in the file "IL" beside the program, and the scan log.
// One store lives for the whole run; it has no lock: the job protocol keeps
// the job thread and the pages from touching it at the same time.
class CScanItemsInfo : public CAbstractScanItemsInfo
{
public:
    CScanItemsInfo();
    // Waits for the writes of the list under way: the user's changes are
    // kept.
    ~CScanItemsInfo() override;

    CScanItemsInfo(const CScanItemsInfo&) = delete;
    CScanItemsInfo& operator=(const CScanItemsInfo&) = delete;

    void Clear() override;
    int AddFoundItem(const char* text, DWORD category, int firstValue, int secondValue) override;
    bool HasItems(DWORD category) override;
    int GetItemValue(const char* text) override;
    int GetItemCount(DWORD category) override;
    DWORD GetFoundMask() override;
    int GetItems(std::vector<const char*>* out, DWORD category) override;
    int MoveFirst() override;
    int MoveNext() override;
    const char* GetCurrentText() override;
    DWORD GetCurrentCategory() override;
    void ExcludeItem(const char* mark, int unused, int number) override;
    // Takes back a mark of a repair that never ran; the marks of ignored
    // items are left alone by the caller.
    void RemoveExclusionMark(const std::string& mark);
    void SetSaveIgnoreList(int on) override;
    int LoadIgnoreList() override;
    int AppendIgnoreList() override;
    int Reserved16() override;
    int GetRecord(int id, ScanItemRecord* out) override;
    int IsCurrentItemExcluded() override;
    int GetIgnoreList(std::map<std::string, int>* out) override;
    int ReloadIgnoreList() override;
    int WriteIgnoreList(const std::map<std::string, int>& entries) override;
    int WriteScanLog() override;
    // The same log with a notice (lines ended by CR LF) after its first
    // line: why the scan was not acted upon.
    int WriteScanLog(const std::string& notice);
    int IsIgnored(const char* text, int category, const ScanItemRecord* record) override;
    int AddIgnoreEntry(const char* item, const char* category, int firstValue, int secondValue) override;
    // True when an item ignored since the last clear names the entry this
    // finding names, under its own or another name.
    bool IsIgnoredSinceClear(const std::string& finding) const;
    int SkipRecycleBin() override;
    int SkipTempFiles() override;

    // The files the store keeps beside the program.
    static std::string IgnoreListPath();
    static std::string ScanLogFolder();
    // "%d%d%d%d%d%d.txt" of day, month, year, hour, minute and second.
    static std::string ScanLogFileName(const SYSTEMTIME& time);

    // How the last read of "IL" went, for the page that asked to tell.
    IgnoreListFile::Status LastIgnoreListRead() const { return m_lastIgnoreRead; }
    // How the list that findings are held against was read by the last
    // LoadIgnoreList that read it (or tried to): anything but kDone means
    // some ignored findings may be reported, and must not be repaired
    // unasked.
    IgnoreListFile::Status IgnoredItemsState() const { return m_ignoredItemsState; }
    // The ignore list as the last ReloadIgnoreList read it (never null): the
    // pages read it in place rather than copying it into a map.
    std::shared_ptr<const IgnoreListSnapshot> IgnoreEntries() const;
    // Takes every record of this key (item "^" category) out of "IL", as
    // WriteIgnoreList of the list less that key would; 1 when the file holds
    // no such record afterwards.
    int RemoveIgnoreEntry(const std::string& key);
    // The same on a worker (see IgnoreListChanges). Every other use of "IL"
    // waits for the writes under way first, so no write of the list is lost.
    void BeginRemoveIgnoreEntry(const std::string& key);
    // AddIgnoreEntry whose record is written on that worker: the item is
    // held out of this repair and the next scans at once.
    void BeginAddIgnoreEntry(const char* item, const char* category);
    enum class ListChange
    {
        kNone,
        kPending,
        kDone,
        kFailed,
    };
    // How the removals, or the additions, begun since the last look went
    // (failed when one of them failed), told once; kPending while the
    // worker writes.
    ListChange TakeIgnoreRemoval();
    ListChange TakeIgnoreAddition();
    // The heap the two ignore lists hold (shared once when they are one).
    size_t IgnoreListMemoryBytes() const;

    // The part of a finding's text that a mark's item may name instead of the
    // whole text (the site of a cookie file such as "user@site[1].txt").
    static std::string ShortForm(const std::string& text);

private:
    typedef std::multimap<DWORD, std::string> FoundItems;

    // "IL" as it is now: a list already read when the file has not changed
    // since (a large list is read once, not at every page shown), else read
    // again. Remembers how the read went.
    std::shared_ptr<const IgnoreListSnapshot> CurrentIgnoreFile();
    // After the store wrote "IL": the entries are what it wrote, and the
    // next scan's start takes them too.
    void TakeWrittenIgnoreList(IgnoreListFile::Status written, std::string text);
    // shared: both lists were one before the write, so both take it.
    void AdoptWrittenIgnoreList(std::shared_ptr<const IgnoreListSnapshot> written, bool shared);
    // Queues the change on the worker under way, or starts one.
    void BeginIgnoreChange(IgnoreListChanges::Kind kind, const std::string& key);
    static DWORD WINAPI WriteChangesOnWorker(void* changes);
    ListChange TakeChangeOutcome(ListChange& outcome);
    // Waits for the writes under way, then takes what they left.
    void SettleIgnoreChanges();
    void FinishIgnoreChanges();
    static void NoteOutcome(ListChange& outcome, bool made, bool failed);
    bool MatchesMark(const std::string& mark, int number, const std::string& text, const std::string& shortForm);
    // The item part of every exclusion mark, made again after a change.
    const std::unordered_set<std::string>& MarkItems();

    int m_bIgnoreListLoaded = 0;
    int m_bSkipRecycleBin = 0;
    int m_bSkipTempFiles = 0;
    FoundItems::iterator m_cursor;
    FoundItems m_foundItems;
    std::map<std::string, int> m_itemValues;
    std::map<std::string, int> m_exclusionMarks;
    // Marks of items ignored since the last clear: they stay whatever the
    // tree takes back.
    std::set<std::string> m_ignoredMarks;
    // The places of those items: their twins stay out of the repair too.
    std::unordered_set<std::string> m_ignoredPlaces;
    std::unordered_set<std::string> m_markItems;
    bool m_markItemsStale = true;
    // Looked up for every finding of a scan. Both lists are one object
    // while they come from the same read of the file.
    std::shared_ptr<const IgnoreListSnapshot> m_ignoredItems;
    std::shared_ptr<const IgnoreListSnapshot> m_ignoreEntries;
    int m_bSaveIgnoreList = 0;
    std::list<ScanItemRecord> m_records;
    DWORD m_foundMask = 0;
    IgnoreListFile::Status m_lastIgnoreRead = IgnoreListFile::Status::kDone;
    IgnoreListFile::Status m_ignoredItemsState = IgnoreListFile::Status::kDone;
    std::shared_ptr<IgnoreListChanges> m_changes;
    CHandle m_changeWorker;
    ListChange m_removalOutcome = ListChange::kNone;
    ListChange m_additionOutcome = ListChange::kNone;
};
