#include "Client/Scan/CScanDlg.h"

#include <cstdlib>

#include "Client/Scan/CScanResultDlg.h"
#include "Client/Scan/CScanningDlg.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Framework/CRegKey.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CDataExchange.h"

namespace
{
const char* const kSelectionKey = "LastSelectedScanTypes";
const DWORD kUnreadableStore = 0xFFFFFFFF;

// A category box, its caption label (kept hidden: the captions are part of
// the page's bitmap) and the string that describes the category.
struct CategoryBox
{
    int box;
    DWORD bit;
    int captionLabel;
    int description;
};
// The twelve visible boxes, in the order Select All walks them.
const CategoryBox kVisibleBoxes[] = {
    {1145, kScanActiveX, 1149, 139},   {1146, kScanUninstall, 1150, 157}, {1147, kScanFonts, 1151, 140},
    {1148, kScanSharedDlls, 1152, 158}, {1153, kScanAppPaths, 1154, 156}, {1155, kScanHelpFiles, 1156, 159},
    {1157, kScanStartup, 1158, 161},   {1159, kScanFilePaths, 1160, 181}, {1161, kScanShortcuts, 1162, 138},
    {1163, kScanEmptyKeys, 1164, 182}, {1165, kScanFileTypes, 1166, 141}, {1172, kScanServices, 0, 0},
};
// Boxes the template keeps hidden; they never count in a scan.
const int kHiddenBoxes[] = {1171, 1173, 1174, 1175};
const int kSelectAllBox = 1169;
const int kDetailsLabel = 1022;
const int kHiddenCaptionLabels[] = {1167, 1168, 1170};

const CategoryBox* FindBox(int id)
{
    for (const CategoryBox& box : kVisibleBoxes)
        if (box.box == id)
            return &box;
    return nullptr;
}

std::string LoadResourceText(int id)
{
    char text[512] = {};
    ::LoadStringA(CWinApp::ResourceInstance(), static_cast<UINT>(id), text, sizeof(text));
    return text;
}
}

CScanDlg::CScanDlg(CWnd* parent) : CBitmapDialog(IDD_SCAN_PAGE, parent)
{
    m_labels.emplace_back(kDetailsLabel, std::unique_ptr<CLabel>(new CLabel));
    for (int id : kHiddenCaptionLabels)
        m_labels.emplace_back(id, std::unique_ptr<CLabel>(new CLabel));
    for (const CategoryBox& box : kVisibleBoxes)
        if (box.captionLabel)
            m_labels.emplace_back(box.captionLabel, std::unique_ptr<CLabel>(new CLabel));
}

CScanDlg::~CScanDlg() = default;

CRegClientDlg* CScanDlg::MainWindow()
{
    return dynamic_cast<CRegClientDlg*>(theApp.GetMainWnd());
}

void CScanDlg::SetStepPages(CScanningDlg* progress, CScanResultDlg* results, CDialog* summary)
{
    m_progressPage = progress;
    m_resultsPage = results;
    m_summaryPage = summary;
}

std::vector<CWnd*> CScanDlg::StepPages() const
{
    std::vector<CWnd*> pages;
    for (CWnd* page : {static_cast<CWnd*>(m_progressPage), static_cast<CWnd*>(m_resultsPage),
                       static_cast<CWnd*>(m_summaryPage)})
        if (page)
            pages.push_back(page);
    return pages;
}

void CScanDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_SCAN_START, m_scanButton);
    for (auto& label : m_labels)
        dx->Control(label.first, *label.second);
}

BOOL CScanDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    SetBitmap(IDB_SCAN_BACKGROUND);
    m_backgroundBrush.CreateSolidBrush(RGB(255, 255, 255));
    CreateStepPages();
    m_scanButton.SetSkin(IDB_SCAN_START_NORMAL, IDB_SCAN_START_HOVER, IDB_SCAN_START_HOVER, 0, 0, 0, 0, 0, 0);

    CLabel* details = m_labels.front().second.get();
    for (auto& label : m_labels)
        label.second->SetFontName("Verdana").SetFontSize(9).SetTransparent(true);
    for (const CategoryBox& box : kVisibleBoxes)
        for (auto& label : m_labels)
            if (box.captionLabel && label.first == box.captionLabel)
                label.second->SetFontName("Arial").SetHoverTarget(details, LoadResourceText(box.description));

    LoadSelectedScanTypes();
    MoveWindow(183, 62, 509, 332);
    return TRUE;
}

void CScanDlg::CreateStepPages()
{
    // The progress step sits beside this page in the main window; the later
    // steps are created by the main window itself.
    if (m_progressPage && !m_progressPage->GetSafeHwnd())
        m_progressPage->Create(IDD_SCANNING_PAGE, m_pParentWnd);
}

HBRUSH CScanDlg::OnCtlColor(HDC dc, HWND control, UINT controlType)
{
    if (controlType == CTLCOLOR_DLG && control == m_hWnd)
        return m_backgroundBrush.Get();
    return CBitmapDialog::OnCtlColor(dc, control, controlType);
}

BOOL CScanDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) != BN_CLICKED)
        return CBitmapDialog::OnCommand(wParam, lParam);
    if (id == IDC_SCAN_START)
    {
        OnScanButton();
        return TRUE;
    }
    if (id == kSelectAllBox)
    {
        OnSelectAll();
        return TRUE;
    }
    if (FindBox(id))
    {
        OnScanTypeCheck(id);
        return TRUE;
    }
    for (int hidden : kHiddenBoxes)
        if (hidden == id)
            return TRUE;
    return CBitmapDialog::OnCommand(wParam, lParam);
}

bool CScanDlg::IsEngineBusy() const
{
    return theApp.m_pEngineProcess && theApp.m_pEngineProcess->IsBusy();
}

DWORD CScanDlg::GetSelectedScanTypes() const
{
    DWORD mask = 0;
    for (const CategoryBox& box : kVisibleBoxes)
        if (IsDlgButtonChecked(box.box) == BST_CHECKED)
            mask |= box.bit;
    return mask;
}

void CScanDlg::OnScanButton()
{
    if (m_progressPage)
        m_progressPage->m_scanOption = m_scanOption;
    StartScan();
}

void CScanDlg::StartScan()
{
    if (IsEngineBusy())
    {
        MessageBox("Please stop other active operation before starting scan.", nullptr, MB_ICONINFORMATION);
        return;
    }
    const DWORD mask = GetSelectedScanTypes();
    if (!m_progressPage)
        return;
    m_progressPage->m_scanMask = mask;
    if (mask == 0)
    {
        MessageBox("Please select appropriate scanning options", nullptr, MB_ICONINFORMATION);
        return;
    }
    if (!m_progressPage->BeginScan())
    {
        // The engine refused the job (its last thread has not ended yet):
        // the user stays here with everything usable and can try again.
        ShowStep(kStepOptions);
        MessageBox("Please stop other active operation before starting scan.", nullptr, MB_ICONINFORMATION);
        return;
    }
    ShowStep(kStepProgress);
}

void CScanDlg::SetCaptions(const char* title, const char* step) const
{
    if (CRegClientDlg* window = MainWindow())
        window->SetPageCaptions(title, step);
}

void CScanDlg::ShowOnly(CWnd* shown)
{
    for (CWnd* page : {static_cast<CWnd*>(this), static_cast<CWnd*>(m_progressPage),
                       static_cast<CWnd*>(m_resultsPage), static_cast<CWnd*>(m_summaryPage)})
        if (page && page->GetSafeHwnd() && page != shown)
            page->ShowWindow(SW_HIDE);
    if (shown && shown->GetSafeHwnd())
        shown->ShowWindow(SW_SHOW);
}

void CScanDlg::ShowStep(int step)
{
    const bool reshown = step == kStepCurrent;
    if (reshown)
    {
        step = m_currentStep;
    }
    else
    {
        if (CRegClientDlg* window = MainWindow())
            window->ShowPage(kPageScan);
        m_currentStep = step;
    }

    switch (step)
    {
    case kStepOptions:
        ShowOnly(this);
        SetCaptions("SCAN", "Step 1 of 3");
        break;
    case kStepProgress:
        ShowOnly(m_progressPage);
        SetCaptions(IsEngineBusy() ? "SCANNING" : "SCAN", "Step 2 of 3");
        break;
    case kStepResults:
    {
        ShowOnly(m_resultsPage);
        SetCaptions("SCAN RESULTS", "Step 3 of 3");
        if (IsEngineBusy())
            break;
        if (m_resultsPage)
            ::EnableWindow(m_resultsPage->GetDlgItem(IDC_RESULTS_BACK), TRUE);
        // Only the end of a completed scan repairs by itself, and only once.
        const bool repairNow = !reshown && m_autoRepairArmed && theApp.m_settings.autoRepair;
        m_autoRepairArmed = false;
        if (repairNow && m_resultsPage)
            m_resultsPage->OnRepair();
        break;
    }
    case kStepSummary:
        ShowOnly(m_summaryPage);
        break;
    default:
        break;
    }
    // Showing any other step drops a pending automatic repair; showing the
    // current one again (the page switch does) leaves it be.
    if (!reshown && step != kStepResults)
        m_autoRepairArmed = false;
}

// ---- The stored selection ----

std::pair<bool, DWORD> CScanDlg::LoadStoredSelection(IniDocument& document, const SettingsLocation& location)
{
    const std::string defaultText = AnsiText::Format("%lu", DefaultScanTypes());
    if (location.portable)
    {
        if (!document.FindSection(SettingsKeys::kSection))
            return {true, kUnreadableStore};
        IniSection* section = document.FindSection(SettingsKeys::kSection);
        if (IniKey* key = section->FindKey(kSelectionKey))
            return {true, static_cast<DWORD>(std::atol(key->GetValue().c_str()))};
        document.SetValue(SettingsKeys::kSection, kSelectionKey, defaultText);
        document.Save(location.iniPath);
        return {false, 0};
    }
    CRegKey key;
    if (key.Create(location.registryRoot, location.registryKey.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return {true, kUnreadableStore};
    DWORD value = 0;
    if (key.ReadDword(kSelectionKey, value))
        return {true, value};
    key.SetDword(kSelectionKey, DefaultScanTypes());
    return {false, 0};
}

void CScanDlg::StoreSelection(IniDocument& document, const SettingsLocation& location, DWORD mask)
{
    if (location.portable)
    {
        document.SetValue(SettingsKeys::kSection, kSelectionKey, AnsiText::Format("%d", static_cast<int>(mask)));
        document.Save(location.iniPath);
        return;
    }
    CRegKey key;
    if (key.Create(location.registryRoot, location.registryKey.c_str(), KEY_ALL_ACCESS) == ERROR_SUCCESS)
        key.SetDword(kSelectionKey, mask);
}

void CScanDlg::LoadSelectedScanTypes()
{
    const std::pair<bool, DWORD> stored =
        LoadStoredSelection(*theApp.m_pIniDoc, theApp.GetSettingsStore().Location());
    // A first run, a stored selection of nothing (a scan of nothing is no
    // choice) and a store that cannot be read tick everything; any other
    // stored selection is shown as it was left.
    const bool tickAll = !stored.first || stored.second == 0 || stored.second == kUnreadableStore;
    for (const CategoryBox& box : kVisibleBoxes)
        CheckDlgButton(box.box, (tickAll || (stored.second & box.bit)) ? BST_CHECKED : BST_UNCHECKED);
    for (int hidden : kHiddenBoxes)
        CheckDlgButton(hidden, tickAll ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(kSelectAllBox, GetSelectedScanTypes() == DefaultScanTypes() ? BST_CHECKED : BST_UNCHECKED);
}

void CScanDlg::OnScanTypeCheck(int)
{
    // What is stored is what the boxes show, so the next start shows the
    // same selection whatever was stored before.
    StoreSelection(*theApp.m_pIniDoc, theApp.GetSettingsStore().Location(), GetSelectedScanTypes());
    UpdateSelectAllBox();
}

void CScanDlg::UpdateSelectAllBox()
{
    CheckDlgButton(kSelectAllBox, GetSelectedScanTypes() == DefaultScanTypes() ? BST_CHECKED : BST_UNCHECKED);
}

void CScanDlg::OnSelectAll()
{
    const UINT state = IsDlgButtonChecked(kSelectAllBox) == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
    for (const CategoryBox& box : kVisibleBoxes)
        CheckDlgButton(box.box, state);
    OnScanTypeCheck(kSelectAllBox);
}
