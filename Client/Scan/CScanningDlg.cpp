#include "Client/Scan/CScanningDlg.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "Client/Scan/CScanDlg.h"
#include "Client/Scan/CScanResultDlg.h"
#include "Client/Scan/CStatusDlg.h"
#include "Client/Scan/ListFile.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CDataExchange.h"
#include "Framework/ModulePath.h"

int g_scanState = kScanIdle;

namespace
{
// One category row, in the engine's scan order.
struct CategoryRow
{
    const char* letter;
    DWORD bit;
    const char* caption;
    int picture;
    int mark;
    int counter;
    bool tinted; // the rows drawn on the tinted band take the tinted marks
};
const CategoryRow kRows[] = {
    {"X", kScanActiveX, "ActiveX Objects", 1170, 1182, 1153, false},
    {"U", kScanUninstall, "Uninstall Entries", 1171, 1183, 1155, false},
    {"N", kScanFonts, "Windows Fonts", 1172, 1184, 1157, false},
    {"D", kScanSharedDlls, "Shared DLLs", 1173, 1185, 1159, true},
    {"A", kScanAppPaths, "Application Paths", 1174, 1186, 1161, true},
    {"H", kScanHelpFiles, "Help Files Information", 1175, 1187, 1163, true},
    {"S", kScanStartup, "Windows Startup Items", 1176, 1188, 1165, false},
    {"R", kScanFilePaths, "File/Path References", 1177, 1189, 1168, false},
    {"C", kScanShortcuts, "Program Shortcuts", 1178, 1190, 1181, false},
    {"E", kScanEmptyKeys, "Empty Registry Keys", 1179, 1191, 1193, true},
    {"F", kScanFileTypes, "File Associations", 1180, 1192, 1195, true},
    {"V", kScanServices, "Windows Services", 1202, 1203, 1201, false},
};
const size_t kRowCount = sizeof(kRows) / sizeof(kRows[0]);

// Every animated picture of the page with its background colour; the first
// eleven and 1202 are the rows' own.
const struct
{
    int id;
    COLORREF background;
} kPictures[] = {
    {1170, 0xFFFFFF}, {1171, 0xFEFBFB}, {1172, 0xFDFAFA}, {1173, 0xFDF9F8}, {1174, 0xFBF6F6}, {1175, 0xFAF5F5},
    {1176, 0xFFFEFE}, {1177, 0xFEFBFB}, {1178, 0xFDFAF9}, {1179, 0xFDF9F8}, {1180, 0xFBF6F6}, {1199, 0xFFFFFF},
    {1202, 0xFEFBFB}, {1205, 0xFDFAFA}, {1210, 0xFDF9F8}, {1212, 0xFBF6F6},
};

// The categories whose found counts are recorded, in the order they are written.
const DWORD kRecordedCategories[] = {kScanActiveX,   kScanUninstall, kScanFonts,    kScanSharedDlls, kScanAppPaths,
                                     kScanHelpFiles, kScanStartup,   kScanFilePaths, kScanShortcuts, kScanEmptyKeys,
                                     kScanFileTypes, kScanTypeLibs,  kScanServices, kScanSoundEvents};

const int kStyledLabels[] = {1167, 1197, 1169, 1153, 1155, 1157, 1159, 1161, 1163, 1165, 1168, 1181, 1193, 1195,
                             1201, 1198, 1204, 1028, 1149, 1150, 1151, 1152, 1154, 1156, 1158, 1160, 1162, 1164,
                             1166, 1024, 1027, 1025, IDC_FOUND_COUNT, IDC_SCAN_ITEM, IDC_SCAN_CATEGORY};

const UINT kItemTextWidth = 365;
// The counters follow the findings on the page's own thread at this pace:
// a finding costs the job thread no window message.
const UINT_PTR kCounterTimer = 1;
const UINT kCounterIntervalMs = 100;
// Longest status text taken over from the engine.
const size_t kStatusTextLimit = 1039;

int FindRowByLetter(const std::string& code)
{
    for (size_t i = 0; i < kRowCount; ++i)
        if (AnsiText::CompareNoCase(code, kRows[i].letter) == 0)
            return static_cast<int>(i);
    return -1;
}

CStatusDlg* HomePage()
{
    CRegClientDlg* window = CScanDlg::MainWindow();
    return window ? &window->HomePage() : nullptr;
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
    for (int id : kStyledLabels)
        m_labels.emplace_back(id, std::unique_ptr<CLabel>(new CLabel));
    for (const auto& picture : kPictures)
    {
        (void)picture;
        m_pictures.emplace_back(new CPictureEx);
    }
    for (size_t i = 0; i < kRowCount; ++i)
        m_marks.emplace_back(new CStatic);
    m_shownMarks.assign(kRowCount, nullptr);
}

CScanningDlg::~CScanningDlg() = default;

void CScanningDlg::SetStepPages(CScanDlg* options, CScanResultDlg* results)
{
    m_optionsPage = options;
    m_resultsPage = results;
}

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
        dx->Control(kPictures[i].id, *m_pictures[i]);
    for (size_t i = 0; i < kRowCount; ++i)
        dx->Control(kRows[i].mark, *m_marks[i]);
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
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    if (dpi > 96)
        ::MoveWindow(GetDlgItem(IDC_SCAN_ITEM), 15, 44, 488, 24, TRUE);
    ResetMarks();
    MoveWindow(183, 62, 509, 332);
    return TRUE;
}

void CScanningDlg::OnDestroy()
{
    for (auto& picture : m_pictures)
        picture->Stop();
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
            label->SetText(text);
}

void CScanningDlg::StyleLabels()
{
    struct Style
    {
        std::vector<int> ids;
        const char* font;
        int points;
        bool bold;
        COLORREF colour;
    };
    const Style styles[] = {
        {{1167, 1197}, "Myriad Pro", 14, true, 0x9D},
        {{1169}, "Verdana", 10, false, 0},
        {{1153, 1155, 1157, 1159, 1161, 1163, 1165, 1168, 1181, 1193, 1195, 1201}, "Verdana", 9, false, 0x444444},
        {{1198, 1204, 1028}, "Verdana", 9, false, 0},
        {{1149, 1150, 1151, 1152, 1154, 1156, 1158, 1160, 1162, 1164, 1166, IDC_SCAN_CATEGORY}, "Arial", 9, false,
         0x404040},
        {{1024, 1027}, "Arial", 8, false, 0x404040},
        {{1025}, "Tahoma", 8, true, 0xFF},
        {{IDC_FOUND_COUNT}, "Arial", 9, true, 0x0200F1},
        {{IDC_SCAN_ITEM}, "Tahoma", 10, false, 0x444444},
    };
    for (const Style& style : styles)
        for (int id : style.ids)
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
    // An unreadable list leaves the fragments read at earlier scans; one too
    // large to be a list is not read either, and the user learns why this
    // scan reports what it names.
    const std::string path = WhiteListPath();
    if (m_whiteList.Read(path) == WhiteList::Status::kTooLarge)
        MessageBox(ListFile::TooLargeMessage("white list", path, "This scan reports the findings it names.")
                       .c_str(),
                   nullptr, MB_OK | MB_ICONWARNING);
}

bool CScanningDlg::IsWhiteListed(const std::string& text) const
{
    return m_whiteList.Matches(text);
}

void CScanningDlg::StartPictures()
{
    for (size_t i = 0; i < m_pictures.size(); ++i)
    {
        CPictureEx& picture = *m_pictures[i];
        picture.UnLoad();
        if (picture.LoadFromResource(MAKEINTRESOURCEA(IDR_SCAN_SPINNER), "GIF"))
            picture.Draw();
        picture.SetBkColor(kPictures[i].background);
    }
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
        m_rowCounts[i] = 0;
        m_shownRowCounts[i] = 0;
        SetLabelText(kRows[i].counter, "0");
    }
    if (CStatusDlg* home = HomePage())
    {
        home->ResetLastCleaned();
        home->ResetLastErrors();
    }
}

int CScanningDlg::BeginScan()
{
    CAbstractProcess* engine = theApp.m_pEngineProcess;
    // The job is made first, still suspended: when the engine refuses it the
    // page, the store and the statistics stay as they were.
    const std::set<std::string> folders = ScanFolders();
    if (engine && engine->StartScan(folders, m_scanMask, this, m_scanOption) == -1)
        return 0;

    m_saveScanDate = 1;
    m_scanStartTick = ::GetTickCount();
    m_scanEndTick = m_scanStartTick;
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
    LoadWhiteList();
    if (CScanItemsInfo* store = theApp.m_pScanItems)
        store->LoadIgnoreList();
    StartPictures();

    ResetMarks();
    for (size_t i = 0; i < kRowCount; ++i)
        if (m_scanMask & kRows[i].bit)
            SetMark(i, kRows[i].tinted ? m_pendingTintMark.Get() : m_pendingMark.Get());
    ResetCounters();
    for (size_t i = 0; i < kRowCount; ++i)
    {
        ::ShowWindow(GetDlgItem(kRows[i].picture), SW_HIDE);
        ::ShowWindow(GetDlgItem(kRows[i].mark), SW_HIDE);
    }
    if (m_optionsPage)
        m_optionsPage->DisarmAutoRepair();
    g_scanState = kScanRunning;
    SetTimer(kCounterTimer, kCounterIntervalMs);
    if (engine)
    {
        if (CScanItemsInfo* store = theApp.m_pScanItems)
            store->Clear();
        engine->Resume();
    }
    return 1;
}

// ---- The engine's calls, on its job thread ----

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
    SetLabelText(IDC_SCAN_ITEM, CompactStatusText(text, kItemTextWidth));
    const std::string letter(code ? code : "");
    if (AnsiText::CompareNoCase(letter, "Scanning") != 0 && AnsiText::CompareNoCase(letter, m_currentCode) != 0)
    {
        m_currentCode = letter;
        ShowCategoryRow(letter);
        m_categoryBar.StepIt();
    }
    if (text && *text)
        ++m_examinedCount;
}

void CScanningDlg::ShowCategoryRow(const std::string& code)
{
    for (const CategoryRow& row : kRows)
        ::ShowWindow(GetDlgItem(row.picture), SW_HIDE);
    const int index = FindRowByLetter(code);
    if (index < 0)
    {
        SetLabelText(IDC_SCAN_CATEGORY, "");
        return;
    }
    ::ShowWindow(GetDlgItem(kRows[index].picture), SW_SHOW);
    if (index > 0)
        ::ShowWindow(GetDlgItem(kRows[index - 1].mark), SW_SHOW);
    SetLabelText(IDC_SCAN_CATEGORY, kRows[index].caption);
}

void CScanningDlg::OnProgress(int) {}

void CScanningDlg::UpdateRowsOf(DWORD category)
{
    CScanItemsInfo* store = theApp.m_pScanItems;
    for (size_t i = 0; i < kRowCount; ++i)
    {
        if (!(category & kRows[i].bit))
            continue;
        const HBITMAP found = kRows[i].tinted ? m_foundTintMark.Get() : m_foundMark.Get();
        if (m_shownMarks[i] != found)
            SetMark(i, found);
        if (store)
            m_rowCounts[i] = store->GetItemCount(kRows[i].bit);
    }
}

void CScanningDlg::ShowCounters()
{
    for (size_t i = 0; i < kRowCount; ++i)
        if (m_shownRowCounts[i] != m_rowCounts[i])
        {
            m_shownRowCounts[i] = m_rowCounts[i];
            SetLabelText(kRows[i].counter, AnsiText::Format("%d", m_shownRowCounts[i]));
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
        ShowCounters();
    else
        CBitmapDialog::OnTimer(id);
}

void CScanningDlg::OnItemFound(const char* text, DWORD category, int firstValue, int secondValue)
{
    CScanItemsInfo* store = theApp.m_pScanItems;
    if (!store || !text)
        return;
    if (IsWhiteListed(text))
        return;
    int stored = store->AddFoundItem(text, category, firstValue, secondValue);
    if (category == kScanRecycleBin || category == kScanTempFiles)
    {
        stored = 0;
        if (AnsiText::CompareNoCase(text, "-1") == 0)
        {
            const double kb = static_cast<double>(static_cast<unsigned>(firstValue));
            (category == kScanRecycleBin ? m_recycleBinKB : m_tempFilesKB) = kb;
        }
        else if (firstValue == -1)
        {
            m_junkText = text;
            SetLabelText(IDC_SCAN_JUNK, m_junkText + " Junk Files Found!");
        }
        if (category == kScanRecycleBin || firstValue != -1)
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

int CScanningDlg::OnJobFinished(int)
{
    m_scanEndTick = ::GetTickCount();
    PostMessage(WM_SCAN_DONE, 0, 0);
    return 1;
}

int CScanningDlg::OnDefragResult(int)
{
    return 0;
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
    return CBitmapDialog::WindowProc(message, wParam, lParam);
}

void CScanningDlg::OnCancelScan()
{
    CAbstractProcess* engine = theApp.m_pEngineProcess;
    if (CRegClientDlg* window = CScanDlg::MainWindow())
        window->SetPageCaptions("SCAN", "Step 2 of 3");
    SetLabelText(IDC_SCAN_STATE, "Scan is canceled.");
    for (size_t i = 0; i < kRowCount; ++i)
        if (!theApp.m_pScanItems || theApp.m_pScanItems->GetItemCount(kRows[i].bit) == 0)
            SetMark(i, m_neutralMark.Get());
    m_cancelButton.EnableWindow(false);
    m_percentBar.SetPos(100);
    g_scanState = kScanCancelled;
    if (engine)
        engine->Stop(1);
}

void CScanningDlg::OnPauseScan()
{
    if (!theApp.m_pEngineProcess)
        return;
    theApp.m_pEngineProcess->Suspend();
    for (auto& picture : m_pictures)
        picture->Stop();
    m_cancelButton.EnableWindow(false);
    m_pauseButton.ShowWindow(SW_HIDE);
    m_resumeButton.ShowWindow(SW_SHOW);
}

void CScanningDlg::OnResumeScan()
{
    if (!theApp.m_pEngineProcess)
        return;
    theApp.m_pEngineProcess->Resume();
    for (auto& picture : m_pictures)
        picture->Draw();
    m_resumeButton.ShowWindow(SW_HIDE);
    m_pauseButton.ShowWindow(SW_SHOW);
    m_cancelButton.EnableWindow(true);
}

void CScanningDlg::OnBack()
{
    if (m_optionsPage)
        m_optionsPage->ShowStep(kStepOptions);
}

LRESULT CScanningDlg::OnScanFinished()
{
    KillTimer(kCounterTimer);
    ShowCounters();
    m_cancelButton.EnableWindow(false);
    for (const CategoryRow& row : kRows)
        ::ShowWindow(GetDlgItem(row.picture), SW_HIDE);
    for (auto& picture : m_pictures)
        picture->Stop();
    ::ShowWindow(GetDlgItem(kRows[kRowCount - 1].mark), SW_SHOW);
    if (g_scanState == kScanCancelled)
        ::ShowWindow(GetDlgItem(IDC_SCAN_STATE), SW_SHOW);
    // The buttons last: whoever sees them usable sees the finished page.
    m_backButton.EnableWindow(true);
    m_showResultsButton.EnableWindow(true);

    if (m_resultsPage)
    {
        m_resultsPage->m_totalFindings = m_foundCount;
        m_resultsPage->m_selectedFindings = m_foundCount;
        m_resultsPage->m_junkFileCount = m_junkRows;
        m_resultsPage->m_junkFileText = m_junkText;
        m_resultsPage->m_scanMask = m_scanMask;
        m_resultsPage->m_scanStartTick = m_scanStartTick;
        m_resultsPage->m_scanEndTick = m_scanEndTick;
        m_resultsPage->m_examinedCount = m_examinedCount;
    }
    m_foundCount = 0;
    m_junkRows = 0;
    m_junkText = "No";
    if (m_resultsPage)
        m_resultsPage->ShowResults();

    if (m_saveScanDate == 1)
        theApp.SaveLastScan(LastScanDateText());
    SaveLastErrors();
    SetBitmap(IDB_SCANNED_BACKGROUND);
    RepaintWhole();
    if (CRegClientDlg* window = CScanDlg::MainWindow())
        if (m_optionsPage && m_optionsPage->m_currentStep == kStepProgress && IsWindowVisible())
            window->SetPageCaptions("SCAN", "Step 2 of 3");

    const bool completed = g_scanState == kScanRunning;
    g_scanState = kScanIdle;
    if (completed && theApp.m_settings.autoRepair)
        ContinueAutomatically();
    return 0;
}

void CScanningDlg::ContinueAutomatically()
{
    CScanResultDlg::CategoryCounts counts;
    if (m_resultsPage && m_resultsPage->CountAllErrors(counts) > 0)
    {
        if (m_optionsPage)
            m_optionsPage->ArmAutoRepair();
        OnShowResults();
        return;
    }
    const bool startedAtLogon = theApp.m_cmdInfo.m_bStartScan != 0;
    if (theApp.m_settings.autoShutdownSystem && !startedAtLogon)
        theApp.ShutdownOrRestart(FALSE, TRUE);
    else if (theApp.m_settings.autoRestartSystem && !startedAtLogon)
        theApp.ShutdownOrRestart(TRUE, TRUE);
    else if (theApp.m_settings.autoShutdown)
        if (CRegClientDlg* window = CScanDlg::MainWindow())
            window->CloseMainWindow();
}

void CScanningDlg::OnShowResults()
{
    if (!m_resultsPage || !m_optionsPage)
        return;
    CScanResultDlg::CategoryCounts counts;
    const int found = m_resultsPage->CountAllErrors(counts);
    if (found == 0 && m_resultsPage->m_junkFileCount == 0)
    {
        m_optionsPage->DisarmAutoRepair();
        m_optionsPage->ShowStep(kStepOptions);
        return;
    }
    // The results page is made ready before it is shown: showing it may start
    // the automatic repair, which writes its own lines.
    if (CLabel* selection = m_resultsPage->SelectionLabel())
        selection->SetText(AnsiText::Format("%d of %d error(s) selected for repair", m_resultsPage->m_selectedFindings,
                                            m_resultsPage->m_totalFindings));
    m_resultsPage->SetJunkFileLine(m_resultsPage->m_junkFileText);
    // The registry group when there are findings, else the junk-file group.
    m_resultsPage->SendMessage(WM_COMMAND, MAKEWPARAM(found > 0 ? IDC_REGISTRY_TAB : IDC_JUNK_TAB,
                                                      BN_CLICKED), 0);
    m_optionsPage->ShowStep(kStepResults);
}

void CScanningDlg::SaveLastErrors()
{
    LastResults::FoundStatistics found;
    CScanItemsInfo* store = theApp.m_pScanItems;
    for (DWORD category : kRecordedCategories)
    {
        const int count = store ? store->GetItemCount(category) : 0;
        found.counts.emplace_back(category, count);
        found.total += count;
    }
    found.recycleBinKB = m_recycleBinKB;
    found.tempFilesKB = m_tempFilesKB;
    if (CStatusDlg* home = HomePage())
        home->ShowFound(found);
    CStatusDlg::StoredStatistics().WriteFound(found);
}
