#include "Client/Scan/CScanItemsInfo.h"

#include "Client/Scan/FindingPlace.h"
#include "Framework/AnsiText.h"
#include "Framework/CBinaryFile.h"
#include "Framework/ModulePath.h"
#include "Framework/WorkerThread.h"

namespace
{
const char kIgnoreListFileName[] = "IL";
const char kScanLogFolderName[] = "Scan Logs";
const char kFieldSeparator = IgnoreListFile::kFieldSeparator;
const char kEntrySeparator = IgnoreListFile::kEntrySeparator;
using ReadStatus = IgnoreListFile::Status;

const char kDetectedBanner[] = "========================Items Detected During Scan=======================\r\n";
const char kSpywareBanner[] = "======================= Spyware Items Detected===========================\r\n";
const char kIgnoredBanner[] = "======================= Items Ignored During Repair=======================\r\n";

// Removes every occurrence of a piece in one pass from the left.
std::string RemoveAll(const std::string& text, const std::string& piece)
{
    if (piece.empty())
        return text;
    std::string result;
    result.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, from))
    {
        result.append(text, from, at - from);
        from = at + piece.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

std::string ProgramFolder()
{
    return ModulePath::Folder();
}
}

CScanItemsInfo::CScanItemsInfo()
{
    m_cursor = m_foundItems.end();
    LoadIgnoreList();
}

std::string CScanItemsInfo::IgnoreListPath()
{
    return ProgramFolder() + kIgnoreListFileName;
}

std::string CScanItemsInfo::ScanLogFolder()
{
    return ProgramFolder() + kScanLogFolderName;
}

std::string CScanItemsInfo::ScanLogFileName(const SYSTEMTIME& time)
{
    return AnsiText::Format("%d%d%d%d%d%d.txt", time.wDay, time.wMonth, time.wYear, time.wHour, time.wMinute,
                            time.wSecond);
}

void CScanItemsInfo::Clear()
{
    m_foundItems.clear();
    m_itemValues.clear();
    m_records.clear();
    m_exclusionMarks.clear();
    m_markItemsStale = true;
    m_ignoredMarks.clear();
    m_ignoredPlaces.clear();
    m_cursor = m_foundItems.end();
}

int CScanItemsInfo::AddFoundItem(const char* text, DWORD category, int, int)
{
    m_foundMask |= category;
    if (!text || (m_ignoredItems && m_ignoredItems->FindItem(text)))
        return 0;
    // Equal keys go behind the ones already there, so a category keeps the
    // order in which its findings came.
    m_foundItems.emplace(category, text);
    return 1;
}

bool CScanItemsInfo::HasItems(DWORD category)
{
    return m_foundItems.count(category) != 0;
}

int CScanItemsInfo::GetItemValue(const char* text)
{
    if (!text)
        return 0;
    const auto it = m_itemValues.find(text);
    return it == m_itemValues.end() ? 0 : it->second;
}

int CScanItemsInfo::GetItemCount(DWORD category)
{
    return static_cast<int>(m_foundItems.count(category));
}

DWORD CScanItemsInfo::GetFoundMask()
{
    return m_foundMask;
}

int CScanItemsInfo::GetItems(std::vector<const char*>* out, DWORD category)
{
    const auto range = m_foundItems.equal_range(category);
    if (!out || range.first == range.second)
        return 0;
    for (auto it = range.first; it != range.second; ++it)
        out->push_back(it->second.c_str());
    return 1;
}

int CScanItemsInfo::MoveFirst()
{
    if (m_foundItems.empty())
        return 0;
    m_cursor = m_foundItems.begin();
    return 1;
}

int CScanItemsInfo::MoveNext()
{
    if (m_cursor == m_foundItems.end())
        return 0;
    ++m_cursor;
    return m_cursor != m_foundItems.end();
}

const char* CScanItemsInfo::GetCurrentText()
{
    return m_cursor == m_foundItems.end() ? nullptr : m_cursor->second.c_str();
}

DWORD CScanItemsInfo::GetCurrentCategory()
{
    return m_cursor == m_foundItems.end() ? 0 : m_cursor->first;
}

void CScanItemsInfo::ExcludeItem(const char* mark, int, int number)
{
    if (mark)
    {
        m_exclusionMarks.emplace(mark, number);
        m_markItemsStale = true;
    }
}

void CScanItemsInfo::RemoveExclusionMark(const std::string& mark)
{
    if (m_ignoredMarks.count(mark) == 0)
    {
        m_exclusionMarks.erase(mark);
        m_markItemsStale = true;
    }
}

void CScanItemsInfo::SetSaveIgnoreList(int on)
{
    m_bSaveIgnoreList = on;
}

int CScanItemsInfo::LoadIgnoreList()
{
    if (m_bIgnoreListLoaded)
        return 0;
    // The list is replaced only by a read: while the file cannot be read,
    // the findings ignored so far stay hidden.
    std::shared_ptr<const IgnoreListSnapshot> read = CurrentIgnoreFile();
    m_ignoredItemsState = m_lastIgnoreRead;
    if (m_ignoredItemsState == ReadStatus::kFailed)
        return 0;
    m_ignoredItems = std::move(read);
    // A list read only in part is read again at the next scan's start: it
    // may have been mended since.
    m_bIgnoreListLoaded = m_ignoredItemsState == ReadStatus::kDone ? 1 : 0;
    return 1;
}

int CScanItemsInfo::AppendIgnoreList()
{
    if (!m_bSaveIgnoreList)
        return 0;
    SettleIgnoreChanges();
    m_bIgnoreListLoaded = 0;
    m_ignoreEntries.reset();
    return IgnoreListFile(IgnoreListPath()).Append(m_exclusionMarks) == ReadStatus::kDone ? 1 : 0;
}

int CScanItemsInfo::Reserved16()
{
    return 1;
}

int CScanItemsInfo::GetRecord(int id, ScanItemRecord* out)
{
    for (const ScanItemRecord& record : m_records)
    {
        if (record.id == id)
        {
            if (out)
                *out = record;
            return 1;
        }
    }
    return 0;
}

std::string CScanItemsInfo::ShortForm(const std::string& text)
{
    std::string shortForm = RemoveAll(text, ".txt");
    const size_t at = shortForm.rfind('@');
    if (at != std::string::npos)
        shortForm.erase(0, at + 1);
    // The bracketed piece runs from the first "[" for as many characters as
    // the first "]" lies from the start; for "site[1]" that is "[1]".
    const size_t open = shortForm.find('[');
    const size_t close = shortForm.find(']');
    if (close == std::string::npos)
        return shortForm;
    const size_t start = open == std::string::npos ? 0 : open;
    return RemoveAll(shortForm, shortForm.substr(start, close));
}

bool CScanItemsInfo::MatchesMark(const std::string& mark, int number, const std::string& text,
                                 const std::string& shortForm)
{
    // A mark is the finding's text, "^" and its category caption, split as
    // the ignore list's keys are; a mark without a category names nothing.
    if (mark.find(kFieldSeparator) == std::string::npos)
        return false;
    const std::string item = IgnoreListFile::SplitKey(mark).item;
    if (item.empty())
        return false;
    if (item == text || item == shortForm)
        return true;
    const int recordId = GetItemValue(text.c_str());
    if (!recordId)
        return false;
    ScanItemRecord record;
    return GetRecord(recordId, &record) && record.itemText == item && number == record.id;
}

int CScanItemsInfo::IsCurrentItemExcluded()
{
    if (m_cursor == m_foundItems.end())
        return 0;
    const std::string& text = m_cursor->second;
    const std::string shortForm = ShortForm(text);
    // Any mark whose item is the text or its short form excludes it: two
    // look-ups, not a walk of every mark for every finding.
    const std::unordered_set<std::string>& items = MarkItems();
    if (items.count(text) || items.count(shortForm) || IsIgnoredSinceClear(text))
        return 1;
    // A finding with a record may be named by the record's item instead.
    if (!GetItemValue(text.c_str()))
        return 0;
    for (const auto& mark : m_exclusionMarks)
        if (MatchesMark(mark.first, mark.second, text, shortForm))
            return 1;
    return 0;
}

const std::unordered_set<std::string>& CScanItemsInfo::MarkItems()
{
    if (m_markItemsStale)
    {
        m_markItems.clear();
        m_markItems.reserve(m_exclusionMarks.size());
        for (const auto& mark : m_exclusionMarks)
        {
            // As MatchesMark splits it: a mark without a category, or with
            // an empty item, names nothing.
            if (mark.first.find(kFieldSeparator) == std::string::npos)
                continue;
            std::string item = IgnoreListFile::SplitKey(mark.first).item;
            if (!item.empty())
                m_markItems.insert(std::move(item));
        }
        m_markItemsStale = false;
    }
    return m_markItems;
}

int CScanItemsInfo::GetIgnoreList(std::map<std::string, int>* out)
{
    if (!out)
        return 0;
    *out = m_ignoreEntries ? m_ignoreEntries->EntryMap() : std::map<std::string, int>();
    return 1;
}

int CScanItemsInfo::ReloadIgnoreList()
{
    std::shared_ptr<const IgnoreListSnapshot> read = CurrentIgnoreFile();
    m_ignoreEntries.reset();
    if (m_lastIgnoreRead == ReadStatus::kFailed)
        return 0;
    m_ignoreEntries = std::move(read);
    return 1;
}

std::shared_ptr<const IgnoreListSnapshot> CScanItemsInfo::IgnoreEntries() const
{
    static const std::shared_ptr<const IgnoreListSnapshot> empty =
        IgnoreListSnapshot::FromWritten(std::string(), std::string());
    return m_ignoreEntries ? m_ignoreEntries : empty;
}

int CScanItemsInfo::WriteIgnoreList(const std::map<std::string, int>& entries)
{
    // Only the records that change are touched: the rest of the file,
    // whatever it holds, stays byte for byte.
    const std::shared_ptr<const IgnoreListSnapshot> current = CurrentIgnoreFile();
    m_bIgnoreListLoaded = 0;
    if (m_lastIgnoreRead == ReadStatus::kFailed)
        return 0;
    std::string written;
    m_lastIgnoreRead = IgnoreListFile(IgnoreListPath()).Update(current->Content(), entries, written);
    TakeWrittenIgnoreList(m_lastIgnoreRead, std::move(written));
    return m_lastIgnoreRead == ReadStatus::kDone ? 1 : 0;
}

CScanItemsInfo::~CScanItemsInfo()
{
    SettleIgnoreChanges();
}

int CScanItemsInfo::RemoveIgnoreEntry(const std::string& key)
{
    BeginRemoveIgnoreEntry(key);
    SettleIgnoreChanges();
    return TakeIgnoreRemoval() == ListChange::kDone ? 1 : 0;
}

void CScanItemsInfo::BeginRemoveIgnoreEntry(const std::string& key)
{
    BeginIgnoreChange(IgnoreListChanges::Kind::kRemove, key);
}

void CScanItemsInfo::BeginIgnoreChange(IgnoreListChanges::Kind kind, const std::string& key)
{
    m_bIgnoreListLoaded = 0;
    if (m_changes && m_changes->Queue(kind, key))
        return;
    // No worker is under way: the changes begin on the list as it is now,
    // after what the last worker left.
    std::shared_ptr<const IgnoreListSnapshot> current = CurrentIgnoreFile();
    if (m_lastIgnoreRead == ReadStatus::kFailed)
    {
        NoteOutcome(kind == IgnoreListChanges::Kind::kInsert ? m_additionOutcome : m_removalOutcome, true, true);
        return;
    }
    auto changes = std::make_shared<IgnoreListChanges>(IgnoreListPath(), std::move(current), kind, key);
    m_changes = changes;
    // The worker's own reference, which it lets go as it ends.
    auto reference = std::make_unique<std::shared_ptr<IgnoreListChanges>>(std::move(changes));
    m_changeWorker.Attach(WorkerThread::Create(&CScanItemsInfo::WriteChangesOnWorker, reference.get(), false));
    if (m_changeWorker.IsValid())
        reference.release();
    else
        WriteChangesOnWorker(reference.release());
}

DWORD WINAPI CScanItemsInfo::WriteChangesOnWorker(void* parameter)
{
    const std::unique_ptr<std::shared_ptr<IgnoreListChanges>> reference(
        static_cast<std::shared_ptr<IgnoreListChanges>*>(parameter));
    (*reference)->WriteAll();
    return 0;
}

CScanItemsInfo::ListChange CScanItemsInfo::TakeIgnoreRemoval()
{
    return TakeChangeOutcome(m_removalOutcome);
}

CScanItemsInfo::ListChange CScanItemsInfo::TakeIgnoreAddition()
{
    return TakeChangeOutcome(m_additionOutcome);
}

CScanItemsInfo::ListChange CScanItemsInfo::TakeChangeOutcome(ListChange& outcome)
{
    if (m_changes)
    {
        if (m_changes->Running())
            return ListChange::kPending;
        FinishIgnoreChanges();
    }
    const ListChange taken = outcome;
    outcome = ListChange::kNone;
    return taken;
}

void CScanItemsInfo::SettleIgnoreChanges()
{
    if (m_changes)
        FinishIgnoreChanges();
}

void CScanItemsInfo::FinishIgnoreChanges()
{
    const std::shared_ptr<IgnoreListChanges> changes = std::move(m_changes);
    // Waits for the worker's last change; once it has taken it, its thread
    // ends in a moment.
    if (m_changeWorker.IsValid())
        ::WaitForSingleObject(m_changeWorker.Get(), INFINITE);
    m_changeWorker.Close();
    m_lastIgnoreRead = changes->LastStatus();
    using Kind = IgnoreListChanges::Kind;
    NoteOutcome(m_additionOutcome, changes->Made(Kind::kInsert), changes->Failed(Kind::kInsert));
    NoteOutcome(m_removalOutcome, changes->Made(Kind::kRemove), changes->Failed(Kind::kRemove));
    if (changes->Written())
        AdoptWrittenIgnoreList(changes->Written(), m_ignoredItems == m_ignoreEntries);
}

void CScanItemsInfo::NoteOutcome(ListChange& outcome, bool made, bool failed)
{
    // A failure stays until it is told, whatever followed it.
    if (made && outcome != ListChange::kFailed)
        outcome = failed ? ListChange::kFailed : ListChange::kDone;
}

void CScanItemsInfo::TakeWrittenIgnoreList(IgnoreListFile::Status written, std::string text)
{
    if (written != ReadStatus::kDone || text.empty())
        return;
    // The old list goes before the new one is split: a large list is held
    // once, not twice, while the text that was written is read back. The
    // findings are held against what the user just chose; the next scan's
    // start looks at the file again all the same.
    const bool shared = m_ignoredItems == m_ignoreEntries;
    m_ignoredItems.reset();
    m_ignoreEntries.reset();
    AdoptWrittenIgnoreList(IgnoreListSnapshot::FromWritten(IgnoreListPath(), std::move(text)), shared);
}

void CScanItemsInfo::AdoptWrittenIgnoreList(std::shared_ptr<const IgnoreListSnapshot> written, bool shared)
{
    m_ignoreEntries = std::move(written);
    if (shared || m_ignoreEntries->State() != ReadStatus::kFailed)
        m_ignoredItems = m_ignoreEntries;
}

size_t CScanItemsInfo::IgnoreListMemoryBytes() const
{
    size_t bytes = m_ignoredItems ? m_ignoredItems->MemoryBytes() : 0;
    if (m_ignoreEntries && m_ignoreEntries != m_ignoredItems)
        bytes += m_ignoreEntries->MemoryBytes();
    return bytes;
}

int CScanItemsInfo::WriteScanLog()
{
    return WriteScanLog(std::string());
}

int CScanItemsInfo::WriteScanLog(const std::string& notice)
{
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    const std::string folder = ScanLogFolder();
    ::CreateDirectoryA(folder.c_str(), nullptr);
    CBinaryFile file;
    if (!file.Open(folder + "\\" + ScanLogFileName(now), CBinaryFile::kAppend))
        return 0;

    std::string log = AnsiText::Format("Scan Log Created At :%d:%d:%d\r\n", now.wHour, now.wMinute, now.wSecond);
    log += notice;
    log += kDetectedBanner;
    for (const auto& item : m_foundItems)
        log += IgnoreListFile::FormatRecord(item.second, static_cast<int>(item.first));
    log += kSpywareBanner;
    for (const auto& value : m_itemValues)
        log += IgnoreListFile::FormatRecord(value.first, value.second);
    log += kIgnoredBanner;
    for (const auto& mark : m_exclusionMarks)
        log += IgnoreListFile::FormatRecord(mark.first, mark.second);
    return file.WriteAll(log) ? 1 : 0;
}

int CScanItemsInfo::IsIgnored(const char*, int, const ScanItemRecord* record)
{
    LoadIgnoreList();
    if (!record || record->id == 0)
        return 0;
    const IgnoreListFile::Record* ignored = m_ignoredItems ? m_ignoredItems->FindItem(record->itemText) : nullptr;
    return ignored && ignored->number == record->id;
}

int CScanItemsInfo::AddIgnoreEntry(const char* item, const char* category, int, int)
{
    // Not even a try: an earlier addition's outcome is not this one's.
    if (!item || !*item)
        return 0;
    BeginAddIgnoreEntry(item, category);
    SettleIgnoreChanges();
    return TakeIgnoreAddition() == ListChange::kDone ? 1 : 0;
}

void CScanItemsInfo::BeginAddIgnoreEntry(const char* item, const char* category)
{
    if (!item || !*item)
        return;
    const std::string key = IgnoreListFile::JoinKey(item, category ? category : "");
    // The next repair leaves the item alone even when the file cannot take it.
    m_exclusionMarks.emplace(key, 0);
    m_markItemsStale = true;
    m_ignoredMarks.insert(key);
    m_ignoredPlaces.insert(FindingPlace::ForCurrentUser().Of(item));
    // A ";" would split the record when the file is read back, and the second
    // half would hide a finding the user never chose to ignore.
    if (key.find(kEntrySeparator) != std::string::npos)
    {
        NoteOutcome(m_additionOutcome, true, true);
        return;
    }
    BeginIgnoreChange(IgnoreListChanges::Kind::kInsert, key);
}

bool CScanItemsInfo::IsIgnoredSinceClear(const std::string& finding) const
{
    return !m_ignoredPlaces.empty() && m_ignoredPlaces.count(FindingPlace::ForCurrentUser().Of(finding)) != 0;
}

int CScanItemsInfo::SkipRecycleBin()
{
    return m_bSkipRecycleBin;
}

int CScanItemsInfo::SkipTempFiles()
{
    return m_bSkipTempFiles;
}

std::shared_ptr<const IgnoreListSnapshot> CScanItemsInfo::CurrentIgnoreFile()
{
    SettleIgnoreChanges();
    const std::string path = IgnoreListPath();
    // A list read whole is as good as a new read while the file keeps the
    // size and the time of writing it had then; a damaged one is read again,
    // as it may have been mended.
    // A file that cannot be opened now is not read now, whatever was read
    // before.
    const IgnoreListSnapshot::Stamp stamp =
        IgnoreListSnapshot::CanBeRead(path) ? IgnoreListSnapshot::StampOf(path) : IgnoreListSnapshot::Stamp();
    for (const auto& held : {m_ignoreEntries, m_ignoredItems})
        if (held && held->State() == ReadStatus::kDone && held->FileStamp() == stamp)
        {
            m_lastIgnoreRead = ReadStatus::kDone;
            return held;
        }
    std::shared_ptr<const IgnoreListSnapshot> read = IgnoreListSnapshot::Read(path);
    // A damaged file is read as far as it goes.
    m_lastIgnoreRead = read->State();
    return read;
}
