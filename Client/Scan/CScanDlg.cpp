#include "Client/Scan/CScanDlg.h"

#include <cstdlib>

#include "Client/Scan/ClientCategories.h"
#include "Client/Shell/PageShell.h"
#include "Client/Shell/TrackedJobObject.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CDataExchange.h"
#include "Framework/CWinApp.h"
#include "Framework/CRegKey.h"

namespace
{
const char* const kSelectionKey = "LastSelectedScanTypes";
const DWORD kUnreadableStore = 0xFFFFFFFF;

// Boxes the template keeps hidden; they never count in a scan.
const int kHiddenBoxes[] = {IDC_OPTION_TYPE_LIBS, IDC_OPTION_SOUND_EVENTS, IDC_OPTION_RECYCLE_BIN,
                            IDC_OPTION_TEMP_FILES};
const int kHiddenCaptionLabels[] = {IDC_OPTION_HEADING, IDC_OPTION_DETAILS_CAPTION, IDC_OPTION_SELECT_ALL_CAPTION};

// The twelve visible boxes are the scanned categories', in the scan's order,
// which is the order Select All walks them.
template <class Visit>
void ForEachBox(Visit visit)
{
    for (const ClientCategory& category : kClientCategories)
        if (category.optionBox && category.IsScanned())
            visit(category);
}

const ClientCategory* FindBox(int id)
{
    const ClientCategory* found = nullptr;
    ForEachBox([&](const ClientCategory& category) {
        if (category.optionBox == id)
            found = &category;
    });
    return found;
}

}

CScanDlg::CScanDlg(CWnd* parent) : CBitmapDialog(IDD_SCAN_PAGE, parent)
{
    ForEachBox([this](const ClientCategory& category) {
        m_boxes.emplace_back(category.optionBox, std::unique_ptr<CButton>(new CButton));
    });
    m_boxes.emplace_back(IDC_OPTION_SELECT_ALL, std::unique_ptr<CButton>(new CButton));
    m_labels.emplace_back(IDC_OPTION_DETAILS, std::unique_ptr<CLabel>(new CLabel));
    for (int id : kHiddenCaptionLabels)
        m_labels.emplace_back(id, std::unique_ptr<CLabel>(new CLabel));
    ForEachBox([this](const ClientCategory& category) {
        if (category.optionCaption)
            m_labels.emplace_back(category.optionCaption, std::unique_ptr<CLabel>(new CLabel));
    });
}

CScanDlg::~CScanDlg() = default;

void CScanDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_SCAN_START, m_scanButton);
    for (auto& box : m_boxes)
        dx->Control(box.first, *box.second);
    for (auto& label : m_labels)
        dx->Control(label.first, *label.second);
}

BOOL CScanDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    SetBitmap(IDB_SCAN_BACKGROUND);
    m_backgroundBrush.CreateSolidBrush(RGB(255, 255, 255));
    m_scanButton.SetSkin(IDB_SCAN_START_NORMAL, IDB_SCAN_START_HOVER, IDB_SCAN_START_HOVER, 0, 0, 0, 0, 0, 0);

    CLabel* details = m_labels.front().second.get();
    for (auto& label : m_labels)
        label.second->SetFontName("Verdana").SetFontSize(9).SetTransparent(true);
    ForEachBox([&](const ClientCategory& category) {
        for (auto& label : m_labels)
            if (category.optionCaption && label.first == category.optionCaption)
                label.second->SetFontName("Arial").SetHoverTarget(details,
                                                                  CWinApp::LoadString(category.optionDescription));
    });

    LoadSelectedScanTypes();
    MoveWindow(183, 62, 509, 332);
    // The main window gives the focus when it shows; a page that took it
    // here would only have it taken away again.
    return FALSE;
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
    if (id == IDC_OPTION_SELECT_ALL)
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

DWORD CScanDlg::GetSelectedScanTypes() const
{
    DWORD mask = 0;
    ForEachBox([&](const ClientCategory& category) {
        if (IsDlgButtonChecked(category.optionBox) == BST_CHECKED)
            mask |= category.bit;
    });
    return mask;
}

void CScanDlg::OnScanButton()
{
    StartScan();
}

void CScanDlg::StartScan(ScanMode mode, const std::string& path)
{
    // A job still winding down counts as running: the engine would refuse.
    if (TrackedJobObject::IsJobRunning(ProgramShell().JobObject()))
    {
        MessageBox("Please stop other active operation before starting scan.", nullptr, MB_ICONINFORMATION);
        return;
    }
    const DWORD mask = GetSelectedScanTypes();
    if (!m_workflow)
        return;
    if (mask == 0)
    {
        MessageBox("Please select appropriate scanning options", nullptr, MB_ICONINFORMATION);
        return;
    }
    if (!m_workflow->BeginScan(ScanRequest{mask, mode, path}))
    {
        // The engine refused the job (its last thread has not ended yet):
        // the user stays here with everything usable and can try again.
        ShowStep(kStepOptions);
        MessageBox("Please stop other active operation before starting scan.", nullptr, MB_ICONINFORMATION);
    }
}

void CScanDlg::ShowStep(int step)
{
    if (m_workflow)
        m_workflow->ShowStep(step);
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
        LoadStoredSelection(ProgramShell().Settings().Document(), ProgramShell().Settings().Location());
    // A first run, a stored selection of nothing (a scan of nothing is no
    // choice) and a store that cannot be read tick everything; any other
    // stored selection is shown as it was left.
    const bool tickAll = !stored.first || stored.second == 0 || stored.second == kUnreadableStore;
    ForEachBox([&](const ClientCategory& category) {
        CheckDlgButton(category.optionBox, (tickAll || (stored.second & category.bit)) ? BST_CHECKED : BST_UNCHECKED);
    });
    for (int hidden : kHiddenBoxes)
        CheckDlgButton(hidden, tickAll ? BST_CHECKED : BST_UNCHECKED);
    UpdateSelectAllBox();
}

void CScanDlg::OnScanTypeCheck(int)
{
    // What is stored is what the boxes show, so the next start shows the
    // same selection whatever was stored before.
    StoreSelection(ProgramShell().Settings().Document(), ProgramShell().Settings().Location(), GetSelectedScanTypes());
    UpdateSelectAllBox();
}

void CScanDlg::UpdateSelectAllBox()
{
    CheckDlgButton(IDC_OPTION_SELECT_ALL, GetSelectedScanTypes() == DefaultScanTypes() ? BST_CHECKED : BST_UNCHECKED);
}

void CScanDlg::OnSelectAll()
{
    const UINT state = IsDlgButtonChecked(IDC_OPTION_SELECT_ALL) == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
    ForEachBox([&](const ClientCategory& category) { CheckDlgButton(category.optionBox, state); });
    OnScanTypeCheck(IDC_OPTION_SELECT_ALL);
}
