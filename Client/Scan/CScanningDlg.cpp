#include "Client/Scan/CScanningDlg.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>

#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/CStatusDlg.h"
#include "Client/Scan/ListFile.h"
#include "Client/Scan/ClientCategories.h"
#include "Client/Scan/IncompleteScanLine.h"
#include "Client/Shell/JobFinishGate.h"
#include "Client/Shell/PageShell.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/Shell/SettingsStore.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Engine/CAbstractProcess.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CClientDC.h"
#include "Framework/CDataExchange.h"
#include "Framework/ModulePath.h"


namespace
{
// The category rows, in the engine's scan order: the scanned categories of
// the client's table.
const std::vector<const ClientCategory*>& Rows()
{
    static const std::vector<const ClientCategory*> rows = [] {
        std::vector<const ClientCategory*> scanned;
        for (const ClientCategory& category : kClientCategories)
            if (category.IsScanned())
                scanned.push_back(&category);
        return scanned;
    }();
    return rows;
}
const size_t kRowCount = kScannedCategoryCount;

// An animated picture of the page with the page's colour behind it.
struct Picture
{
    int id;
    COLORREF background;
};

// The pictures that belong to no row; the rows' own come from the category
// table.
const Picture kSparePictures[] = {
    {IDC_PROGRESS_PICTURE_SPARE_A, 0xFFFFFF},
    {IDC_PROGRESS_PICTURE_SPARE_B, 0xFDFAFA},
    {IDC_PROGRESS_PICTURE_SPARE_C, 0xFDF9F8},
    {IDC_PROGRESS_PICTURE_SPARE_D, 0xFBF6F6},
};

// Every animated picture of the page: the rows' first, then the spare ones.
const std::vector<Picture>& Pictures()
{
    static const std::vector<Picture> pictures = [] {
        std::vector<Picture> all;
        for (const ClientCategory* row : Rows())
            all.push_back({row->progressPicture, row->progressBackground});
        all.insert(all.end(), std::begin(kSparePictures), std::end(kSparePictures));
        return all;
    }();
    return pictures;
}

// The labels of the page, by their looks: those named here and, where a
// style has one, each row's label of that kind (its counter or caption).
struct LabelStyle
{
    int ClientCategory::*rowLabel;
    std::vector<int> ids;
    const char* font;
    int points;
    bool bold;
    COLORREF colour;
};
const LabelStyle kLabelStyles[] = {
    {nullptr, {IDC_SCAN_WAIT, IDC_SCAN_JUNK}, "Myriad Pro", 14, true, 0x9D},
    {nullptr, {IDC_PROGRESS_HEADLINE}, "Verdana", 10, false, 0},
    {&ClientCategory::progressCounter, {}, "Verdana", 9, false, 0x444444},
    {nullptr, {IDC_PROGRESS_NOTE_A, IDC_PROGRESS_NOTE_B, IDC_SCAN_STATE}, "Verdana", 9, false, 0},
    {&ClientCategory::progressLabel, {IDC_SCAN_CATEGORY}, "Arial", 9, false, 0x404040},
    {nullptr, {IDC_PROGRESS_SMALL_A, IDC_PROGRESS_SMALL_B}, "Arial", 8, false, 0x404040},
    {nullptr, {IDC_PROGRESS_ALERT}, "Tahoma", 8, true, 0xFF},
    {nullptr, {IDC_FOUND_COUNT}, "Arial", 9, true, 0x0200F1},
    {nullptr, {IDC_SCAN_ITEM}, "Tahoma", 10, false, 0x444444},
};

// The labels a style applies to: the rows' first, then those it names.
std::vector<int> LabelsOf(const LabelStyle& style)
{
    std::vector<int> ids;
    if (style.rowLabel)
        for (const ClientCategory* row : Rows())
            if (const int id = row->*style.rowLabel)
                ids.push_back(id);
    ids.insert(ids.end(), style.ids.begin(), style.ids.end());
    return ids;
}

const UINT kItemTextWidth = 365;
// The counters follow the findings on the page's own thread at this pace:
// a finding costs the job thread no window message.
const UINT_PTR kCounterTimer = 1;
const UINT kCounterIntervalMs = 100;
// Looks again at the finishing message while the job's thread still ends.
const UINT_PTR kFinishTimer = 2;
// Longest status text taken over from the engine.
const size_t kStatusTextLimit = 1039;

int FindRowByLetter(const std::string& code)
{
    for (size_t i = 0; i < kRowCount; ++i)
        if (AnsiText::CompareNoCase(code, Rows()[i]->Shared().letter) == 0)
            return static_cast<int>(i);
    return -1;
}

std::string FolderPath(int csidl)
{
    char path[MAX_PATH + 1] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return path;
}

std::string LastScanDateText()
{
    const std::time_t now = std::time(nullptr);
    char text[128] = {};
    if (const std::tm* local = std::localtime(&now))
        std::strftime(text, sizeof(text), "%d %B %Y, %I:%M%p", local);
    return text;
}
}

CScanningDlg::CScanningDlg(CWnd* parent) : CBitmapDialog(IDD_SCANNING_PAGE, parent)
{
    for (const LabelStyle& style : kLabelStyles)
        for (int id : LabelsOf(style))
            m_labels.emplace_back(id, std::unique_ptr<CLabel>(new CLabel));
    for (size_t i = 0; i < Pictures().size(); ++i)
        m_pictures.emplace_back(new CPictureEx);
    for (size_t i = 0; i < kRowCount; ++i)
        m_marks.emplace_back(new CStatic);
    m_shownMarks.assign(kRowCount, nullptr);
}

CScanningDlg::~CScanningDlg() = default;

void CScanningDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_CANCEL_SCAN, m_cancelButton);
    dx->Control(IDC_PAUSE_SCAN, m_pauseButton);
    dx->Control(IDC_RESUME_SCAN, m_resumeButton);
    dx->Control(IDC_PROGRESS_BACK, m_backButton);
    dx->Control(IDC_SHOW_RESULTS, m_showResultsButton);
    dx->Control(IDC_SCAN_PERCENT, m_percentBar);
    dx->Control(IDC_SCAN_CATEGORY_STEPS, m_categoryBar);
    dx->Control(IDC_SCAN_FOUND_LIST, m_foundList);
    for (auto& label : m_labels)
        dx->Control(label.first, *label.second);
    for (size_t i = 0; i < m_pictures.size(); ++i)
        dx->Control(Pictures()[i].id, *m_pictures[i]);
    for (size_t i = 0; i < kRowCount; ++i)
        dx->Control(Rows()[i]->progressMark, *m_marks[i]);
}

BOOL CScanningDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    LoadSkins();
    StyleLabels();
    m_foundList.DeleteAllItems();
    m_percentBar.SetRange(0, 100);
    m_percentBar.SetPos(0);
    m_percentBar.SetStep(1);
    m_categoryBar.SetRange(0, 17);
    m_categoryBar.SetPos(0);
    m_categoryBar.SetStep(1);
    const CClientDC screen(nullptr);
    const int dpi = screen.IsValid() ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (dpi > 96)
        ::MoveWindow(GetDlgItem(IDC_SCAN_ITEM), 15, 44, 488, 24, TRUE);
    ResetMarks();
    MoveWindow(183, 62, 509, 332);
    DecodePictures();
    return TRUE;
}

void CScanningDlg::OnDestroy()
{
    m_pictureDecoder.Cancel();
    StopPictures();
    CBitmapDialog::OnDestroy();
}

void CScanningDlg::LoadSkins()
{
    SetBitmap(IDB_SCANNING_BACKGROUND);
    m_neutralMark.LoadBitmap(IDB_MARK_NEUTRAL);
    m_pendingMark.LoadBitmap(IDB_MARK_PENDING);
    m_foundMark.LoadBitmap(IDB_MARK_FOUND);
    m_pendingTintMark.LoadBitmap(IDB_MARK_PENDING_TINT);
    m_foundTintMark.LoadBitmap(IDB_MARK_FOUND_TINT);
    m_cancelButton.SetSkin(IDB_CANCEL_SCAN_NORMAL, IDB_CANCEL_SCAN_HOVER, IDB_CANCEL_SCAN_HOVER, IDB_CANCEL_SCAN_DISABLED, 0,
                           0, 0, 0, 0);
    m_pauseButton.SetSkin(IDB_PAUSE_SCAN_NORMAL, IDB_PAUSE_SCAN_HOVER, IDB_PAUSE_SCAN_HOVER, 0, 0, 0, 0, 0, 0);
    m_resumeButton.SetSkin(IDB_RESUME_SCAN_NORMAL, IDB_RESUME_SCAN_HOVER, IDB_RESUME_SCAN_HOVER, 0, 0, 0, 0, 0, 0);
    m_backButton.SetSkin(IDB_STEP_BACK_NORMAL, IDB_STEP_BACK_HOVER, IDB_STEP_BACK_HOVER, IDB_STEP_BACK_DISABLED, 0, 0, 0, 0,
                         0);
    m_showResultsButton.SetSkin(IDB_STEP_NEXT_NORMAL, IDB_STEP_NEXT_HOVER, IDB_STEP_NEXT_HOVER, IDB_STEP_NEXT_DISABLED, 0, 0,
                                0, 0, 0);
}

CLabel* CScanningDlg::Label(int id) const
{
    for (const auto& label : m_labels)
        if (label.first == id)
            return label.second.get();
    return nullptr;
}

void CScanningDlg::SetLabelText(int id, const std::string& text)
{
    if (CLabel* label = Label(id))
        if (label->GetSafeHwnd())
            label->SetTextDrawnLater(text);
}

void CScanningDlg::StyleLabels()
{
    for (const LabelStyle& style : kLabelStyles)
        for (int id : LabelsOf(style))
            if (CLabel* label = Label(id))
                label->SetFontName(style.font)
                    .SetFontSize(style.points)
                    .SetFontBold(style.bold)
                    .SetTransparent(true)
                    .SetTextColor(style.colour);
}

void CScanningDlg::RepaintWhole()
{
    // The controls sit on the background without clipping: they are painted
    // again over the new one.
    RedrawWindow(nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- Starting a scan ----

std::string CScanningDlg::WhiteListPath()
{
    return ModulePath::Folder() + "WL";
}

std::set<std::string> CScanningDlg::ScanFolders()
{
    std::set<std::string> folders;
    char windows[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryA(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        folders.insert(std::string(windows, 2));
    for (int csidl : {CSIDL_RECENT, CSIDL_INTERNET_CACHE})
    {
        const std::string path = FolderPath(csidl);
        if (!path.empty())
            folders.insert(path);
    }
    if (length > 0 && length < MAX_PATH)
        folders.insert(std::string(windows) + "\\Temp");
    char temp[MAX_PATH + 1] = {};
    const DWORD tempLength = ::GetTempPathA(MAX_PATH, temp);
    if (tempLength > 0 && tempLength < MAX_PATH)
        folders.insert(temp);
    return folders;
}

void CScanningDlg::LoadWhiteList()
{
    // An unreadable list leaves the fragments read at earlier scans.
    const std::string path = WhiteListPath();
    NoteListState("white list", path, m_whiteList.Read(path));
}

void CScanningDlg::LoadIgnoreList()
{
    CScanItemsInfo* store = ProgramShell().ResultsStore();
    if (!store)
        return;
    store->LoadIgnoreList();
    NoteListState("ignore list", CScanItemsInfo::IgnoreListPath(), store->IgnoredItemsState());
}

void CScanningDlg::NoteListState(const char* listName, const std::string& path, ListFile::Status state)
{
    if (state == ListFile::Status::kDone)
        return;
    // This page shows no message box: a scheduled scan would wait for an
    // answer. The scan's end shows the short text and logs the whole one.
    const bool damaged = state == ListFile::Status::kDamaged;
    const std::string what = damaged ? "is damaged" : "could not be read";
    if (m_listNotice.empty())
        m_listNotice = AnsiText::Format("The %s %s: check the findings before repairing.", listName, what.c_str());
    m_listNoticeLog += AnsiText::Format("The %s \"%s\" %s%s, so findings on it may be listed. Nothing was "
                                        "repaired automatically.\r\n",
                                        listName, path.c_str(), what.c_str(),
                                        damaged ? " (part of it was not read)" : "");
}

bool CScanningDlg::ListsHonoured() const
{
    return m_listNotice.empty();
}

void CScanningDlg::TellListNotice(bool showOnPage)
{
    if (m_listNotice.empty())
        return;
    if (showOnPage)
        SetLabelText(IDC_SCAN_ITEM, m_listNotice);
    if (CScanItemsInfo* store = ProgramShell().ResultsStore())
        store->WriteScanLog(m_listNoticeLog);
}

bool CScanningDlg::IsWhiteListed(const std::string& text) const
{
    return m_whiteList.Matches(text);
}

void CScanningDlg::DecodePictures()
{
    // Only a row's spinner ever shows, so only the rows' are decoded (they
    // come first); the spare ones stay empty.
    std::vector<BYTE> spinner;
    if (CPictureEx::ReadResource(MAKEINTRESOURCEA(IDR_SCAN_SPINNER), "GIF", spinner))
        m_pictureDecoder.Start(std::move(spinner), kRowCount, m_hWnd, WM_PICTURES_DECODED);
}

void CScanningDlg::TakeDecodedPictures()
{
    std::vector<CPictureEx::Decoded> decoded = m_pictureDecoder.Take();
    for (size_t i = 0; i < decoded.size() && i < m_pictures.size(); ++i)
    {
        CPictureEx& picture = *m_pictures[i];
        if (picture.Adopt(std::move(decoded[i])))
            picture.SetBkColor(Pictures()[i].background);
    }
    if (PicturesMayPlay())
        StartPictures();
}

bool CScanningDlg::PicturesMayPlay() const
{
    return m_scanInProgress && m_runState == RunState::Running && !m_paused;
}

// Only the current row's spinner shows, so only it plays: each drawing thread
// costs the window some milliseconds to start and to stop.
void CScanningDlg::StartPictures()
{
    const int row = FindRowByLetter(m_currentCode);
    if (row >= 0)
        PlayPicture(static_cast<size_t>(row));
}

void CScanningDlg::PlayPicture(size_t index)
{
    CPictureEx& picture = *m_pictures[index];
    // A drawing thread that outlived its stop still holds the picture: it is
    // left alone.
    if (!picture.IsLoaded() || !picture.Stop())
        return;
    // Each showing starts from a clean background.
    picture.SetBkColor(Pictures()[index].background);
    picture.Draw();
}

void CScanningDlg::StopPictures()
{
    // The drawing threads wind down side by side, not one after another.
    for (auto& picture : m_pictures)
        picture->AskToStop();
    for (auto& picture : m_pictures)
        picture->Stop();
}

void CScanningDlg::SetMark(size_t row, HBITMAP mark)
{
    if (row < m_marks.size() && m_marks[row]->GetSafeHwnd())
    {
        m_marks[row]->SetBitmap(mark);
        m_shownMarks[row] = mark;
    }
}

void CScanningDlg::ResetMarks()
{
    for (size_t i = 0; i < kRowCount; ++i)
        SetMark(i, m_neutralMark.Get());
}

void CScanningDlg::ResetCounters()
{
    for (size_t i = 0; i < kRowCount; ++i)
    {
        m_rowCountStale[i] = false;
        m_shownRowCounts[i] = 0;
        SetLabelText(Rows()[i]->progressCounter, "0");
    }
}

int CScanningDlg::BeginScan(const ScanRequest& request)
{
    // One scan at a time on this page: the last one is finished first.
    if (m_scanInProgress)
        return 0;
    CAbstractProcess* engine = ProgramShell().JobObject();
    // The job is made first, still suspended: when the engine refuses it the
    // page, the store and the statistics stay as they were.
    if (!MakeScanJob(engine, request))
        return 0;
    m_request = request;
    m_scanInProgress = true;
    m_saveScanDate = 1;
    m_scanStartTick = ::GetTickCount();
    ResetPage();
    // The lists are read before the store is emptied: its ignore list is
    // read into it.
    ReadLists();
    ResetLastResults(engine != nullptr);
    m_runState = RunState::Running;
    m_finishGate.Reset();
    SetTimer(kCounterTimer, kCounterIntervalMs);
    if (engine)
        engine->Resume();
    return 1;
}

bool CScanningDlg::MakeScanJob(CAbstractProcess* engine, const ScanRequest& request)
{
    // What the job thread reports starts afresh before it can run; the
    // page's timer takes it.
    m_jobReports.Restart();
    m_reportedCode.clear();
    m_jobNote.clear();
    const std::set<std::string> folders = ScanFolders();
    return !engine || engine->StartScan(folders, request.categories, this, static_cast<int>(request.mode)) != -1;
}

void CScanningDlg::ResetPage()
{
    SetBitmap(IDB_SCANNING_BACKGROUND);
    RepaintWhole();
    SetLabelText(IDC_FOUND_COUNT, "0");
    SetLabelText(IDC_SCAN_STATE, "Scan completed.");
    ::ShowWindow(GetDlgItem(IDC_SCAN_STATE), SW_HIDE);
    m_foundList.DeleteAllItems();
    SetLabelText(IDC_SCAN_CATEGORY, "Initializing...");
    m_backButton.EnableWindow(false);
    m_showResultsButton.EnableWindow(false);
    m_cancelButton.EnableWindow(true);
    m_recycleBinKB = 0;
    m_tempFilesKB = 0;
    m_examinedCount = 0;
    m_foundCount = 0;
    m_shownFoundCount = 0;
    m_junkRows = 0;
    m_currentCode.clear();
    m_categoryBar.SetPos(0);
    m_percentBar.SetPos(0);
    m_paused = false;
    ResetMarks();
    for (size_t i = 0; i < kRowCount; ++i)
        if (m_request.categories & Rows()[i]->bit)
            SetMark(i, Rows()[i]->tinted ? m_pendingTintMark.Get() : m_pendingMark.Get());
    ResetCounters();
    for (size_t i = 0; i < kRowCount; ++i)
    {
        ::ShowWindow(GetDlgItem(Rows()[i]->progressPicture), SW_HIDE);
        ::ShowWindow(GetDlgItem(Rows()[i]->progressMark), SW_HIDE);
    }
}

void CScanningDlg::ReadLists()
{
    m_listNotice.clear();
    m_listNoticeLog.clear();
    LoadWhiteList();
    LoadIgnoreList();
}

void CScanningDlg::ResetLastResults(bool emptyStore)
{
    if (CStatusDlg* home = m_workflow ? m_workflow->HomePage() : nullptr)
    {
        home->ResetLastCleaned();
        home->ResetLastErrors();
    }
    if (!emptyStore)
        return;
    if (CScanItemsInfo* store = ProgramShell().ResultsStore())
        store->Clear();
}

// ---- The engine's calls, on its job thread: queued, never shown here ----

std::string CScanningDlg::CompactStatusText(const char* text, UINT width)
{
    std::string copy(text ? text : "");
    if (copy.size() > kStatusTextLimit)
        copy.resize(kStatusTextLimit);
    // The compaction takes a text of less than MAX_PATH characters; what it
    // makes of one may come out a few characters longer, so its buffer has
    // room to spare and its result is cut again.
    char buffer[MAX_PATH * 2] = {};
    lstrcpynA(buffer, copy.c_str(), MAX_PATH);
    ::PathCompactPathA(nullptr, buffer, width);
    std::string compacted(buffer);
    if (compacted.size() >= MAX_PATH)
        compacted.resize(MAX_PATH - 1);
    return compacted;
}

void CScanningDlg::SetStatusText(const char* text, const char* code)
{
    // Only the last text before each tick is shown: it is compacted to the
    // line's width then, on the window thread.
    const size_t length = text ? std::min(strlen(text), kStatusTextLimit) : 0;
    const std::string letter(code ? code : "");
    // Kept in order with the findings: a change of category, and the job's
    // own word under "Scanning" (an incomplete scan's note).
    const bool note = AnsiText::CompareNoCase(letter, "Scanning") == 0;
    const bool newCategory = !note && AnsiText::CompareNoCase(letter, m_reportedCode) != 0;
    if (newCategory)
        m_reportedCode = letter;
    m_jobReports.SetStatus(std::string(text ? text : "", length), letter, newCategory || (note && length));
}

void CScanningDlg::OnProgress(int) {}

void CScanningDlg::OnItemFound(const char* text, DWORD category, int firstValue, int secondValue)
{
    if (!text)
        return;
    m_jobReports.AddFinding(text, category, firstValue, secondValue);
}

int CScanningDlg::OnJobFinished(int result)
{
    m_jobReports.SetEnd(result);
    PostMessage(WM_SCAN_DONE, 0, 0);
    return 1;
}

int CScanningDlg::OnDefragResult(int)
{
    return 0;
}

// ---- What the job reported, on the window thread ----

void CScanningDlg::TakeJobReports(bool wait)
{
    JobReports::Taken taken;
    // The timer does not wait for a job thread that is queueing this moment
    // (nor for one paused there): it takes the queue at its next tick.
    if (!m_jobReports.Take(taken, wait))
        return;
    m_examinedCount += taken.statusTexts;
    if (taken.statusChanged)
        SetLabelText(IDC_SCAN_ITEM, CompactStatusText(taken.status.c_str(), kItemTextWidth));
    const std::string shownCode = m_currentCode;
    for (const JobReports::Report& report : taken.reports)
    {
        if (report.finding)
            TakeFinding(report);
        else if (AnsiText::CompareNoCase(report.code, "Scanning") == 0)
            m_jobNote = report.text;
        else
            TakeCategory(report.code);
    }
    // A tick may pass several categories, a quick scan's end all of them:
    // only the last one's row is shown.
    if (m_currentCode != shownCode)
        ShowCategoryRow(m_currentCode);
    ShowCounters();
}

void CScanningDlg::TakeCategory(const std::string& letter)
{
    m_currentCode = letter;
    const int index = FindRowByLetter(letter);
    if (index > 0)
        ::ShowWindow(GetDlgItem(Rows()[index - 1]->progressMark), SW_SHOW);
    m_categoryBar.StepIt();
}

void CScanningDlg::ShowCategoryRow(const std::string& code)
{
    for (const ClientCategory* row : Rows())
        ::ShowWindow(GetDlgItem(row->progressPicture), SW_HIDE);
    StopPictures();
    const int index = FindRowByLetter(code);
    if (index < 0)
    {
        SetLabelText(IDC_SCAN_CATEGORY, "");
        return;
    }
    ::ShowWindow(GetDlgItem(Rows()[index]->progressPicture), SW_SHOW);
    if (PicturesMayPlay())
        PlayPicture(static_cast<size_t>(index));
    SetLabelText(IDC_SCAN_CATEGORY, Rows()[index]->progressCaption);
}

void CScanningDlg::TakeFinding(const JobReports::Report& report)
{
    CScanItemsInfo* store = ProgramShell().ResultsStore();
    if (!store || IsWhiteListed(report.text))
        return;
    const DWORD category = report.category;
    int stored = store->AddFoundItem(report.text.c_str(), category, report.firstValue, report.secondValue);
    if (category == kScanRecycleBin || category == kScanTempFiles)
    {
        stored = 0;
        if (AnsiText::CompareNoCase(report.text, "-1") == 0)
        {
            const double kb = static_cast<double>(static_cast<unsigned>(report.firstValue));
            (category == kScanRecycleBin ? m_recycleBinKB : m_tempFilesKB) = kb;
        }
        else if (report.firstValue == -1)
        {
            m_junkText = report.text;
            SetLabelText(IDC_SCAN_JUNK, m_junkText + " Junk Files Found!");
        }
        if (category == kScanRecycleBin || report.firstValue != -1)
        {
            UpdateRowsOf(category);
            ++m_junkRows;
        }
    }
    if (stored != 1)
        return;
    UpdateRowsOf(category);
    ++m_foundCount;
}

void CScanningDlg::UpdateRowsOf(DWORD category)
{
    for (size_t i = 0; i < kRowCount; ++i)
    {
        if (!(category & Rows()[i]->bit))
            continue;
        const HBITMAP found = Rows()[i]->tinted ? m_foundTintMark.Get() : m_foundMark.Get();
        if (m_shownMarks[i] != found)
            SetMark(i, found);
        m_rowCountStale[i] = true;
    }
}

void CScanningDlg::ShowCounters()
{
    // A row's count is asked of the store once a tick, not once a finding:
    // the store counts a category by walking its findings.
    CScanItemsInfo* store = ProgramShell().ResultsStore();
    for (size_t i = 0; i < kRowCount; ++i)
    {
        if (!m_rowCountStale[i] || !store)
            continue;
        m_rowCountStale[i] = false;
        const int count = store->GetItemCount(Rows()[i]->bit);
        if (m_shownRowCounts[i] != count)
        {
            m_shownRowCounts[i] = count;
            SetLabelText(Rows()[i]->progressCounter, AnsiText::Format("%d", count));
        }
    }
    if (m_shownFoundCount != m_foundCount)
    {
        m_shownFoundCount = m_foundCount;
        SetLabelText(IDC_FOUND_COUNT, AnsiText::Format("%d", m_shownFoundCount));
    }
}

void CScanningDlg::OnTimer(UINT_PTR id)
{
    if (id == kCounterTimer)
        TakeJobReports(false);
    else if (id == kFinishTimer)
        OnScanFinished();
    else
        CBitmapDialog::OnTimer(id);
}

// ---- Buttons and the end of the scan ----

BOOL CScanningDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return CBitmapDialog::OnCommand(wParam, lParam);
    switch (LOWORD(wParam))
    {
    case IDC_CANCEL_SCAN: OnCancelScan(); return TRUE;
    case IDC_PAUSE_SCAN: OnPauseScan(); return TRUE;
    case IDC_RESUME_SCAN: OnResumeScan(); return TRUE;
    case IDC_PROGRESS_BACK: OnBack(); return TRUE;
    case IDC_SHOW_RESULTS: OnShowResults(); return TRUE;
    default: return CBitmapDialog::OnCommand(wParam, lParam);
    }
}

LRESULT CScanningDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SCAN_DONE)
        return OnScanFinished();
    if (message == WM_PICTURES_DECODED)
    {
        TakeDecodedPictures();
        return 0;
    }
    return CBitmapDialog::WindowProc(message, wParam, lParam);
}

void CScanningDlg::OnCancelScan()
{
    CAbstractProcess* engine = ProgramShell().JobObject();
    ProgramShell().SetPageCaptions("SCAN", "Step 2 of 3");
    SetLabelText(IDC_SCAN_STATE, "Scan is canceled.");
    // The rows count what has reached the store so far.
    TakeJobReports(false);
    CScanItemsInfo* store = ProgramShell().ResultsStore();
    for (size_t i = 0; i < kRowCount; ++i)
        if (!store || store->GetItemCount(Rows()[i]->bit) == 0)
            SetMark(i, m_neutralMark.Get());
    m_cancelButton.EnableWindow(false);
    m_percentBar.SetPos(100);
    m_runState = RunState::Cancelled;
    if (engine)
        engine->Stop(1);
}

void CScanningDlg::OnPauseScan()
{
    CAbstractProcess* engine = ProgramShell().JobObject();
    if (!engine)
        return;
    engine->Suspend();
    m_paused = true;
    StopPictures();
    m_cancelButton.EnableWindow(false);
    m_pauseButton.ShowWindow(SW_HIDE);
    m_resumeButton.ShowWindow(SW_SHOW);
}

void CScanningDlg::OnResumeScan()
{
    CAbstractProcess* engine = ProgramShell().JobObject();
    if (!engine)
        return;
    engine->Resume();
    m_paused = false;
    StartPictures();
    m_resumeButton.ShowWindow(SW_HIDE);
    m_pauseButton.ShowWindow(SW_SHOW);
    m_cancelButton.EnableWindow(true);
}

void CScanningDlg::OnBack()
{
    if (m_workflow)
        m_workflow->ShowStep(kStepOptions);
}

ScanOutcome CScanningDlg::MakeOutcome(bool completed) const
{
    ScanOutcome outcome;
    outcome.mask = m_request.categories;
    outcome.found = m_foundCount;
    outcome.junkRows = m_junkRows;
    outcome.junkText = m_junkText;
    outcome.startTick = m_scanStartTick;
    outcome.endTick = m_jobReports.EndTick();
    outcome.examined = m_examinedCount;
    outcome.completed = completed;
    return outcome;
}

LRESULT CScanningDlg::OnScanFinished()
{
    if (!m_scanInProgress || !m_finishGate.MayFinish(*this, kFinishTimer))
        return 0;
    KillTimer(kCounterTimer);
    m_scanInProgress = false;
    TakeJobReports(true);
    const bool incomplete = JobResult() == kScanIncomplete && m_runState == RunState::Running;
    if (incomplete)
        ShowIncompleteScan();
    m_cancelButton.EnableWindow(false);
    for (const ClientCategory* row : Rows())
        ::ShowWindow(GetDlgItem(row->progressPicture), SW_HIDE);
    StopPictures();
    ::ShowWindow(GetDlgItem(Rows()[kRowCount - 1]->progressMark), SW_SHOW);
    if (m_runState == RunState::Cancelled || incomplete)
        ::ShowWindow(GetDlgItem(IDC_SCAN_STATE), SW_SHOW);
    // The buttons last: whoever sees them usable sees the finished page.
    m_backButton.EnableWindow(true);
    m_showResultsButton.EnableWindow(true);

    // An incomplete scan keeps what it found; only the repair of what could
    // not be checked is held back, the rest of the tail follows the settings.
    const bool cancelled = m_runState != RunState::Running;
    const bool completed = !cancelled && !incomplete;
    m_runState = RunState::Idle;
    const ScanOutcome outcome = MakeOutcome(completed);
    m_foundCount = 0;
    m_junkRows = 0;
    m_junkText = "No";
    if (m_workflow)
        m_workflow->HandOverResults(outcome);

    bool saved = true;
    if (m_saveScanDate == 1)
        saved = ProgramShell().Settings().SaveLastScan(LastScanDateText());
    saved = SaveLastErrors() && saved;
    SetBitmap(IDB_SCANNED_BACKGROUND);
    RepaintWhole();
    TellListNotice(!incomplete);
    if (!saved && !incomplete && m_listNotice.empty())
        SetLabelText(IDC_SCAN_ITEM, "The scan's date and numbers could not be saved.");
    if (m_workflow && m_workflow->CurrentStep() == kStepProgress && IsWindowVisible())
        ProgramShell().SetPageCaptions("SCAN", "Step 2 of 3");

    if (!cancelled && m_workflow)
        m_workflow->ContinueAutomatically(completed);
    return 0;
}

int CScanningDlg::JobResult()
{
    return m_jobReports.Result();
}

// The engine's note names the categories it could not check to the end (the
// final calls have cleared the item line since); a failure that its own guard
// caught leaves no note, and the last item scanned is no reason.
void CScanningDlg::ShowIncompleteScan()
{
    const std::string& note = m_jobNote;
    const CLabel* line = Label(IDC_SCAN_ITEM);
    SetLabelText(IDC_SCAN_ITEM, IncompleteScanLine::FitToWidth(note, line ? line->GetLabelFont() : NULL,
                                                               static_cast<int>(kItemTextWidth)));
    SetLabelText(IDC_SCAN_STATE, "Scan is incomplete.");
}

void CScanningDlg::OnShowResults()
{
    if (m_workflow)
        m_workflow->ShowResults();
}

bool CScanningDlg::SaveLastErrors()
{
    LastResults::FoundStatistics found;
    CScanItemsInfo* store = ProgramShell().ResultsStore();
    for (const ClientCategory& category : kClientCategories)
    {
        const int count = store ? store->GetItemCount(category.bit) : 0;
        found.counts.emplace_back(category.bit, count);
        found.total += count;
    }
    found.recycleBinKB = m_recycleBinKB;
    found.tempFilesKB = m_tempFilesKB;
    if (CStatusDlg* home = m_workflow ? m_workflow->HomePage() : nullptr)
        home->ShowFound(found);
    return CStatusDlg::StoredStatistics().WriteFound(found);
}
