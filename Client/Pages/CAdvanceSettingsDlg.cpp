#include "Client/Pages/CAdvanceSettingsDlg.h"

#include <algorithm>
#include <map>

#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/IgnoreListFile.h"
#include "Client/Scan/ListFile.h"
#include "Client/Shell/PageShell.h"
#include "Client/res/IgnoreListResource.h"
#include "Framework/CDataExchange.h"

namespace
{
const int kPageX = 183;
const int kPageY = 62;
const int kPageWidth = 509;
const int kPageHeight = 332;

const int kGeneralTab = 1;
const int kSecondTab = 2;
const int kScheduleTab = 3;
}

CAdvanceSettingsDlg::CAdvanceSettingsDlg(CWnd* parent)
    : CBitmapDialog(IDD_IGNORE_LIST_PAGE, parent), m_whiteBrush(RGB(255, 255, 255))
{
}

CAdvanceSettingsDlg::~CAdvanceSettingsDlg() = default;

void CAdvanceSettingsDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_IGNORE_GENERAL_LINK, m_generalLink);
    dx->Control(IDC_IGNORE_ADVANCE_LINK, m_advanceLink);
    dx->Control(IDC_IGNORE_OLD_LIST, m_oldList);
    dx->Control(IDC_IGNORE_TITLE, m_titleLabel);
    dx->Control(IDC_IGNORE_DETAILS, m_detailsLabel);
    dx->Control(IDC_IGNORE_REMOVE, m_removeButton);
    dx->Control(IDC_IGNORE_CATEGORY_LABEL, m_categoryLabel);
    dx->Control(IDC_IGNORE_CATEGORY_COMBO, m_categoryCombo);
    dx->Control(IDC_IGNORE_TAB_GENERAL, m_generalTab);
    dx->Control(IDC_IGNORE_TAB_ADVANCED, m_advancedTab);
    dx->Control(IDC_IGNORE_TAB_SCHEDULE, m_scheduleTab);
    dx->Control(IDC_IGNORE_TAB_IGNORE, m_ignoreTab);
    dx->Control(IDC_IGNORE_HEADING, m_headingLabel);
    dx->Control(IDC_IGNORE_LIST, m_list);
}

BOOL CAdvanceSettingsDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    SetBitmap(IDB_IGNORE_LIST_PAGE);
    m_removeButton.SetSkin(IDB_IGNORE_REMOVE_NORMAL, IDB_IGNORE_REMOVE_NORMAL, IDB_IGNORE_REMOVE_HOVER, 0, 0, 0, 0, 0,
                           0);
    m_generalTab.SetSkin(IDB_TAB_GENERAL_NORMAL, IDB_TAB_GENERAL_NORMAL, 0, IDB_TAB_GENERAL_CURRENT, 0, 0, 0, 0, 0);
    m_advancedTab.SetSkin(IDB_TAB_ADVANCED_NORMAL, IDB_TAB_ADVANCED_NORMAL, 0, IDB_TAB_ADVANCED_CURRENT, 0, 0, 0, 0,
                          0);
    m_scheduleTab.SetSkin(IDB_TAB_SCHEDULE_NORMAL, IDB_TAB_SCHEDULE_NORMAL, 0, IDB_TAB_SCHEDULE_CURRENT, 0, 0, 0, 0,
                          0);
    m_ignoreTab.SetSkin(IDB_TAB_IGNORE_NORMAL, IDB_TAB_IGNORE_NORMAL, 0, IDB_TAB_IGNORE_CURRENT, 0, 0, 0, 0, 0);

    m_headingLabel.SetFontName("Arial").SetFontSize(12).SetFontBold(true).SetTransparent(true).SetTextColor(
        RGB(0x24, 0x86, 0x24));
    m_generalLink.SetFontName("Arial").SetFontSize(11).SetTransparent(true).SetTextColor(RGB(0x59, 0x8D, 0xEA));
    m_generalLink.SetLink(true, false).SetLinkCursor(ProgramShell().HandCursor());
    m_advanceLink.SetFontName("Arial").SetFontSize(11).SetFontBold(true).SetTransparent(true).SetTextColor(
        RGB(0x00, 0x37, 0xBF));
    m_advanceLink.SetLink(true, false).SetLinkCursor(ProgramShell().HandCursor());
    m_titleLabel.SetFontName("Arial").SetFontSize(12).SetTransparent(true).SetTextColor(RGB(0x40, 0x40, 0x40));
    m_categoryLabel.SetFontName("Arial").SetFontSize(8).SetTransparent(true).SetTextColor(RGB(0x40, 0x40, 0x40));

    MoveWindow(kPageX, kPageY, kPageWidth, kPageHeight, true);
    return TRUE;
}

CAbstractScanItemsInfo* CAdvanceSettingsDlg::ScanItems() const
{
    return m_pItems ? m_pItems : ProgramShell().ResultsStore();
}

void CAdvanceSettingsDlg::Refresh()
{
    FillIgnoreList();
}

void CAdvanceSettingsDlg::FillIgnoreList()
{
    m_list.DeleteAllItems();
    while (m_list.DeleteColumn(0))
        ;
    m_rowKeys.clear();
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_list.SetNotifyWindow(m_hWnd);
    m_list.InsertIgnoreListColumns();

    CAbstractScanItemsInfo* items = ScanItems();
    if (!items)
        return;
    std::map<std::string, int> entries;
    if (!items->ReloadIgnoreList())
        TellIfTooLarge(items);
    items->GetIgnoreList(&entries);
    InsertRows(entries);
}

void CAdvanceSettingsDlg::InsertRows(const std::map<std::string, int>& entries)
{
    struct Row
    {
        const std::string* key;
        IgnoreListFile::Key split;
    };
    std::vector<Row> rows;
    rows.reserve(entries.size());
    for (const auto& entry : entries)
        rows.push_back({&entry.first, IgnoreListFile::SplitKey(entry.first)});
    // The list is sorted by item, without regard to case. Under Wine a
    // sorted list looks for each new row's place row by row, which takes
    // minutes for a long list: the rows are put in that order here, and the
    // list takes them as they come.
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return ::lstrcmpiA(a.split.item.c_str(), b.split.item.c_str()) < 0;
    });
    const LONG style = ::GetWindowLongA(m_list.GetSafeHwnd(), GWL_STYLE);
    ::SetWindowLongA(m_list.GetSafeHwnd(), GWL_STYLE, style & ~(LVS_SORTASCENDING | LVS_SORTDESCENDING));
    m_list.SetRedraw(false);
    m_rowKeys.reserve(rows.size());
    m_list.SendMessage(LVM_SETITEMCOUNT, rows.size());
    for (const Row& entry : rows)
    {
        // The row's data goes in with it: each further message to the list
        // costs as much as the row itself.
        const int index = static_cast<int>(m_rowKeys.size());
        const int row = m_list.InsertItemWithData(index, entry.split.item, index);
        if (row < 0)
            continue;
        m_list.SetItemText(row, 1, entry.split.category);
        m_rowKeys.push_back(*entry.key);
    }
    m_list.SetRedraw(true);
    ::SetWindowLongA(m_list.GetSafeHwnd(), GWL_STYLE, style);
}

void CAdvanceSettingsDlg::TellIfTooLarge(CAbstractScanItemsInfo* items)
{
    const CScanItemsInfo* store = dynamic_cast<CScanItemsInfo*>(items);
    if (!store || store->LastIgnoreListRead() != IgnoreListFile::Status::kTooLarge)
        return;
    MessageBox(ListFile::TooLargeMessage("ignore list", CScanItemsInfo::IgnoreListPath(),
                                              "The list shows nothing, and the findings on it are reported by "
                                              "the next scan.")
                   .c_str(),
               nullptr, MB_OK | MB_ICONWARNING);
}

void CAdvanceSettingsDlg::OnRemove()
{
    CAbstractScanItemsInfo* items = ScanItems();
    if (!items || m_list.GetItemCount() == 0)
        return;
    const int selected = m_list.GetSelectedItem();
    if (selected < 0)
        return;
    const size_t index = static_cast<size_t>(m_list.GetItemData(selected));
    if (index >= m_rowKeys.size())
        return;

    // The row's entry, exactly (item and category), goes; the store writes
    // back only that change.
    std::map<std::string, int> entries;
    items->ReloadIgnoreList();
    items->GetIgnoreList(&entries);
    if (entries.erase(m_rowKeys[index]) == 0)
        return;
    if (items->WriteIgnoreList(entries))
    {
        m_list.DeleteItem(selected);
        return;
    }
    MessageBox("The ignore list was not changed: its file could not be read or written.", nullptr,
               MB_ICONINFORMATION);
}

void CAdvanceSettingsDlg::ShowSettings(int tab)
{
    if (tab)
        ProgramShell().ShowSettingsTab(tab);
    else
        ProgramShell().ShowPage(kPageSettings);
}

BOOL CAdvanceSettingsDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED)
        switch (LOWORD(wParam))
        {
        case IDC_IGNORE_GENERAL_LINK: ShowSettings(0); return TRUE;
        case IDC_IGNORE_REMOVE: OnRemove(); return TRUE;
        case IDC_IGNORE_TAB_GENERAL: ShowSettings(kGeneralTab); return TRUE;
        case IDC_IGNORE_TAB_ADVANCED: ShowSettings(kSecondTab); return TRUE;
        case IDC_IGNORE_TAB_SCHEDULE: ShowSettings(kScheduleTab); return TRUE;
        case IDC_IGNORE_TAB_IGNORE: return TRUE;
        default: break;
        }
    return CBitmapDialog::OnCommand(wParam, lParam);
}

HBRUSH CAdvanceSettingsDlg::OnCtlColor(HDC dc, HWND control, UINT controlType)
{
    if (control == m_hWnd || controlType == CTLCOLOR_DLG)
        return m_whiteBrush.Get();
    return CBitmapDialog::OnCtlColor(dc, control, controlType);
}

bool CAdvanceSettingsDlg::IsTabButton(HWND window) const
{
    return window && (window == m_generalTab.GetSafeHwnd() || window == m_advancedTab.GetSafeHwnd() ||
                      window == m_scheduleTab.GetSafeHwnd() || window == m_ignoreTab.GetSafeHwnd());
}

BOOL CAdvanceSettingsDlg::OnSetCursor(HWND window, UINT hitTest, UINT message)
{
    if (IsTabButton(window) && ProgramShell().HandCursor())
    {
        ::SetCursor(ProgramShell().HandCursor());
        return TRUE;
    }
    return CBitmapDialog::OnSetCursor(window, hitTest, message);
}
