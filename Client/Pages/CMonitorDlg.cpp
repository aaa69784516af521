#include "Client/Pages/CMonitorDlg.h"

#include "Client/res/StartupResource.h"
#include "Framework/CDataExchange.h"
#include "Framework/CWinApp.h"

namespace
{
// Where the page lies in the main window.
const RECT kPagePlace = {183, 62, 183 + 509, 62 + 332};
}

CMonitorDlg::CMonitorDlg(CWnd* parent) : CBitmapDialog(IDD_STARTUP_PAGE, parent) {}

void CMonitorDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_STARTUP_LIST, m_list);
    dx->Control(IDC_STARTUP_INFO_LABEL, m_infoLabel);
    dx->Control(IDC_STARTUP_TEXT_LABEL, m_textLabel);
    dx->Control(IDC_STARTUP_ENABLE_ALL, m_enableAllButton);
    dx->Control(IDC_STARTUP_DISABLE_ALL, m_disableAllButton);
    dx->Control(IDC_STARTUP_DISABLE, m_disableButton);
    dx->Control(IDC_STARTUP_ENABLE, m_enableButton);
    dx->Control(IDC_STARTUP_REMOVE, m_removeButton);
}

BOOL CMonitorDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    SetupSkins();
    MoveWindow(kPagePlace.left, kPagePlace.top, kPagePlace.right - kPagePlace.left,
               kPagePlace.bottom - kPagePlace.top, TRUE);
    RefreshStartupList();
    return TRUE;
}

void CMonitorDlg::SetupSkins()
{
    SetBitmap(IDB_STARTUP_BACKGROUND);
    m_enableAllButton.SetSkin(IDB_ENABLE_ALL_NORMAL, IDB_ENABLE_ALL_NORMAL, IDB_ENABLE_ALL_HOVER, 0, 0, 0, 0, 0, 0);
    m_disableAllButton.SetSkin(IDB_DISABLE_ALL_NORMAL, IDB_DISABLE_ALL_NORMAL, IDB_DISABLE_ALL_HOVER, 0, 0, 0, 0, 0,
                               0);
    m_disableButton.SetSkin(IDB_DISABLE_NORMAL, IDB_DISABLE_NORMAL, IDB_DISABLE_HOVER, 0, 0, 0, 0, 0, 0);
    m_enableButton.SetSkin(IDB_ENABLE_NORMAL, IDB_ENABLE_NORMAL, IDB_ENABLE_HOVER, 0, 0, 0, 0, 0, 0);
    m_removeButton.SetSkin(IDB_REMOVE_NORMAL, IDB_REMOVE_NORMAL, IDB_REMOVE_HOVER, 0, 0, 0, 0, 0, 0);
    SetupLabels();
}

void CMonitorDlg::SetupLabels()
{
    for (CLabel* label : {&m_infoLabel, &m_textLabel})
        label->SetFontName("Verdana", 0).SetFontSize(10).SetTransparent(true).SetTextColor(RGB(0, 0, 0));
    m_textLabel.SetText(CWinApp::LoadString(IDS_STARTUP_INFO));
}

void CMonitorDlg::Refresh()
{
    RefreshStartupList();
}

void CMonitorDlg::RefreshStartupList()
{
    if (!GetSafeHwnd())
        return;
    ClearList();
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const std::string name = CWinApp::LoadString(IDS_STARTUP_PROGRAM_NAME);
    const std::string path = CWinApp::LoadString(IDS_STARTUP_FILE_PATH);
    const std::string location = CWinApp::LoadString(IDS_STARTUP_LOCATION);
    const std::string status = CWinApp::LoadString(IDS_STARTUP_STATUS);
    m_startup.Reload();
    m_list.SetNotifyWindow(m_hWnd);
    m_list.InsertStartupColumns(name, path, location, status);
    FillList();
}

void CMonitorDlg::ClearList()
{
    m_list.DeleteAllItems();
    const HWND header = reinterpret_cast<HWND>(m_list.SendMessage(LVM_GETHEADER));
    const int columns = header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int column = 0; column < columns; ++column)
        m_list.DeleteColumn(0);
}

void CMonitorDlg::FillList()
{
    // A record kept under a name of its own still shows the value's name.
    for (const StartupRegistryEntry& entry : m_startup.RegistryEntries())
        AddRow(entry.valueName, entry.command, entry.isHklm ? "HKLM" : "HKCU", entry.disabled, 1);
    for (const StartupFolderEntry& entry : m_startup.FolderEntries())
        AddRow(entry.item, entry.command, entry.common ? "Common Startup" : "Startup", entry.disabled, 0);
}

void CMonitorDlg::AddRow(const std::string& name, const std::string& command, const char* location, int disabled,
                         LPARAM fromRegistry)
{
    const int row = m_list.InsertItem(m_list.GetItemCount(), name);
    m_list.SetItemText(row, 1, command);
    m_list.SetItemText(row, 2, location);
    m_list.SetItemText(row, 3, disabled ? "Disabled" : "Enabled");
    m_list.SetItemData(row, fromRegistry);
}

BOOL CMonitorDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDC_STARTUP_LIST && header->code == LVN_ITEMCHANGED)
    {
        OnItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        *result = 0;
        return TRUE;
    }
    return CBitmapDialog::OnNotify(wParam, lParam, result);
}

void CMonitorDlg::OnItemChanged(const NMLISTVIEW& change)
{
    // Focus, check and other state changes say nothing about the buttons;
    // only a row that became selected does.
    if (!(change.uChanged & LVIF_STATE))
        return;
    const UINT became = change.uNewState & ~change.uOldState;
    if (became & LVIS_SELECTED)
        UpdateButtons(change.iItem);
}

void CMonitorDlg::UpdateButtons(int row)
{
    if (!m_startup.IsRow(row))
        return;
    const bool disabled = m_startup.IsDisabled(row);
    m_disableButton.ShowWindow(disabled ? SW_HIDE : SW_SHOWNORMAL);
    m_enableButton.ShowWindow(disabled ? SW_SHOWNORMAL : SW_HIDE);
}

int CMonitorDlg::SelectedRow() const
{
    return m_list.GetSelectedItem();
}

BOOL CMonitorDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return CBitmapDialog::OnCommand(wParam, lParam);
    switch (LOWORD(wParam))
    {
    case IDC_STARTUP_ENABLE_ALL: OnEnableAll(); return TRUE;
    case IDC_STARTUP_DISABLE_ALL: OnDisableAll(); return TRUE;
    case IDC_STARTUP_DISABLE: OnDisable(); return TRUE;
    case IDC_STARTUP_ENABLE: OnEnable(); return TRUE;
    case IDC_STARTUP_REMOVE: OnRemove(); return TRUE;
    default: return CBitmapDialog::OnCommand(wParam, lParam);
    }
}

void CMonitorDlg::OnEnableAll()
{
    m_startup.EnableAll();
    FinishAction();
}

void CMonitorDlg::OnDisableAll()
{
    m_startup.DisableAll();
    FinishAction();
}

void CMonitorDlg::OnDisable()
{
    const int row = SelectedRow();
    if (!m_startup.IsRow(row))
        return;
    if (!m_startup.IsDisabled(row))
        m_startup.Disable(row);
    FinishAction();
}

void CMonitorDlg::OnEnable()
{
    const int row = SelectedRow();
    if (!m_startup.IsRow(row))
        return;
    if (m_startup.IsDisabled(row))
        m_startup.Enable(row);
    FinishAction();
}

void CMonitorDlg::OnRemove()
{
    const int row = SelectedRow();
    if (!m_startup.IsRow(row))
        return;
    m_startup.Remove(row);
    FinishAction();
}

void CMonitorDlg::FinishAction()
{
    // The list shows what was changed; the user is told of each item that
    // was not, and why, so that no button silently does nothing.
    const std::string refused = m_startup.RefusalText();
    RefreshStartupList();
    if (!refused.empty())
        MessageBox(refused.c_str(), nullptr, MB_OK | MB_ICONWARNING);
}
