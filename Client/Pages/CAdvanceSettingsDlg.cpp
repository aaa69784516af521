#include "Client/Pages/CAdvanceSettingsDlg.h"

#include <algorithm>
#include <map>

#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/IgnoreListFile.h"
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

// The list fills a step at a time, each step this long at most, so that the
// window answers in between.
const UINT_PTR kFillTimer = 1;
const DWORD kFillStepMs = 25;
const size_t kRowsBetweenClockLooks = 32;

// A key whose byte order is the order lstrcmpi gives the texts.
std::string SortKeyOf(const std::string& text)
{
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int size = ::LCMapStringA(LOCALE_USER_DEFAULT, flags, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0)
        return text;
    std::string key(static_cast<size_t>(size), '\0');
    ::LCMapStringA(LOCALE_USER_DEFAULT, flags, text.c_str(), static_cast<int>(text.size()), &key[0], size);
    return key;
}
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
    StopFilling();
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
    const bool read = items->ReloadIgnoreList() != 0;
    items->GetIgnoreList(&entries);
    StartFilling(entries);
    if (!read)
        MessageBox(("The ignore list \"" + CScanItemsInfo::IgnoreListPath() + "\" could not be read.").c_str(),
                   nullptr, MB_OK | MB_ICONWARNING);
}

void CAdvanceSettingsDlg::StartFilling(const std::map<std::string, int>& entries)
{
    m_pending.reserve(entries.size());
    for (const auto& entry : entries)
    {
        IgnoreListFile::Key split = IgnoreListFile::SplitKey(entry.first);
        m_pending.push_back({entry.first, std::move(split.item), std::move(split.category), std::string()});
    }
    m_rowKeys.reserve(m_pending.size());
    // The list keeps its rows sorted by item. Under Wine a sorted list looks
    // for each new row's place row by row, which takes minutes for a long
    // list: the rows are put in that order here, and the list takes them as
    // they come.
    m_listStyle = ::GetWindowLongA(m_list.GetSafeHwnd(), GWL_STYLE);
    ::SetWindowLongA(m_list.GetSafeHwnd(), GWL_STYLE, m_listStyle & ~(LVS_SORTASCENDING | LVS_SORTDESCENDING));
    m_list.SendMessage(LVM_SETITEMCOUNT, m_pending.size());
    if (FillStep())
        SetTimer(kFillTimer, 1);
}

bool CAdvanceSettingsDlg::FillStep()
{
    const DWORD start = ::GetTickCount();
    const auto stepTimeLeft = [start] { return ::GetTickCount() - start < kFillStepMs; };
    // The list compares its rows as lstrcmpi does; comparing sort keys
    // byte by byte gives that order with one system call per row, not one
    // per comparison.
    for (; m_sortKeysMade < m_pending.size() && stepTimeLeft(); ++m_sortKeysMade)
        m_pending[m_sortKeysMade].sortKey = SortKeyOf(m_pending[m_sortKeysMade].item);
    if (m_sortKeysMade < m_pending.size())
        return true;
    if (!m_sorted)
    {
        std::stable_sort(m_pending.begin(), m_pending.end(),
                         [](const PendingRow& a, const PendingRow& b) { return a.sortKey < b.sortKey; });
        m_sorted = true;
    }
    m_list.SetRedraw(false);
    while (m_rowsInserted < m_pending.size() && stepTimeLeft())
    {
        for (size_t n = 0; n < kRowsBetweenClockLooks && m_rowsInserted < m_pending.size(); ++n, ++m_rowsInserted)
        {
            const PendingRow& entry = m_pending[m_rowsInserted];
            // The row's data goes in with it: each further message to the
            // list costs as much as the row itself.
            const int index = static_cast<int>(m_rowKeys.size());
            const int row = m_list.InsertItemWithData(index, entry.item, index);
            if (row < 0)
                continue;
            m_list.SetItemText(row, 1, entry.category);
            m_rowKeys.push_back(entry.key);
        }
    }
    m_list.SetRedraw(true);
    if (m_rowsInserted < m_pending.size())
        return true;
    StopFilling();
    return false;
}

void CAdvanceSettingsDlg::StopFilling()
{
    if (m_hWnd)
        KillTimer(kFillTimer);
    if (!m_pending.empty() || m_sorted)
        ::SetWindowLongA(m_list.GetSafeHwnd(), GWL_STYLE, m_listStyle);
    m_pending.clear();
    m_pending.shrink_to_fit();
    m_sortKeysMade = 0;
    m_rowsInserted = 0;
    m_sorted = false;
}

void CAdvanceSettingsDlg::OnTimer(UINT_PTR id)
{
    if (id != kFillTimer)
    {
        CBitmapDialog::OnTimer(id);
        return;
    }
    if (!FillStep())
        KillTimer(kFillTimer);
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
    MessageBox(("The ignore list was not changed: \"" + CScanItemsInfo::IgnoreListPath() + "\" could not be written.")
                   .c_str(),
               nullptr, MB_OK | MB_ICONWARNING);
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
