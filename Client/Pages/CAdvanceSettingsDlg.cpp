#include "Client/Pages/CAdvanceSettingsDlg.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/IgnoreListFile.h"
#include "Client/Scan/IgnoreListSnapshot.h"
#include "Client/Shell/PageShell.h"
#include "Client/res/IgnoreListResource.h"
#include "Framework/CDataExchange.h"
#include "Framework/WorkerThread.h"

namespace
{
const int kPageX = 183;
const int kPageY = 62;
const int kPageWidth = 509;
const int kPageHeight = 332;

const int kGeneralTab = 1;
const int kSecondTab = 2;
const int kScheduleTab = 3;

// The page looks this often whether the worker has the rows' order.
const UINT_PTR kSortTimer = 1;
const UINT kSortLookMs = 20;
const UINT_PTR kRemoveTimer = 2;
const UINT kRemoveLookMs = 20;
// The worker looks this often whether the page still wants the order.
const size_t kKeysBetweenLooks = 1024;
// A list this short is sorted at once: it shows with the page.
const size_t kRowsSortedAtOnce = 2000;

// Appends a key whose byte order is the order lstrcmpi gives the texts.
void AppendSortKey(std::string_view text, std::string& keys)
{
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int length = static_cast<int>(text.size());
    const int size = ::LCMapStringA(LOCALE_USER_DEFAULT, flags, text.data(), length, nullptr, 0);
    if (size <= 0)
    {
        keys.append(text);
        return;
    }
    const size_t at = keys.size();
    keys.resize(at + static_cast<size_t>(size));
    ::LCMapStringA(LOCALE_USER_DEFAULT, flags, text.data(), length, &keys[at], size);
}

// On the worker: the entries in the order a sorted list keeps its rows (by
// item, as lstrcmpi compares; equal items as the store's map orders them).
// Comparing sort keys byte by byte gives that order with one system call a
// row, not one a comparison; the keys live in one buffer while they are
// needed.
DWORD WINAPI SortRows(void* parameter)
{
    const std::shared_ptr<CAdvanceSettingsDlg::SortJob> job =
        *static_cast<std::shared_ptr<CAdvanceSettingsDlg::SortJob>*>(parameter);
    delete static_cast<std::shared_ptr<CAdvanceSettingsDlg::SortJob>*>(parameter);
    const IgnoreListSnapshot& list = *job->list;
    const size_t count = list.EntryCount();
    std::string keys;
    std::vector<uint32_t> keyEnds(count);
    for (size_t i = 0; i < count; ++i)
    {
        if (i % kKeysBetweenLooks == 0 && job->cancelled)
            return 0;
        AppendSortKey(list.EntryItem(i), keys);
        keyEnds[i] = static_cast<uint32_t>(keys.size());
    }
    const auto keyOf = [&](uint32_t entry) {
        const uint32_t begin = entry == 0 ? 0 : keyEnds[entry - 1];
        return std::string_view(keys).substr(begin, keyEnds[entry] - begin);
    };
    std::vector<uint32_t> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = static_cast<uint32_t>(i);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const int byItem = keyOf(a).compare(keyOf(b));
        return byItem != 0 ? byItem < 0 : list.EntryKey(a) < list.EntryKey(b);
    });
    job->order = std::move(order);
    job->done = true;
    return 0;
}

// A row's text as the list asks for it: copied into the list's own buffer.
void CopyText(std::string_view text, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return;
    const size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length), buffer);
    buffer[length] = '\0';
}
}

CAdvanceSettingsDlg::CAdvanceSettingsDlg(CWnd* parent)
    : CBitmapDialog(IDD_IGNORE_LIST_PAGE, parent), m_whiteBrush(RGB(255, 255, 255))
{
}

CAdvanceSettingsDlg::~CAdvanceSettingsDlg()
{
    StopSorting();
}

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

CScanItemsInfo* CAdvanceSettingsDlg::ScanItems() const
{
    return m_pItems ? m_pItems : ProgramShell().ResultsStore();
}

void CAdvanceSettingsDlg::Refresh()
{
    FillIgnoreList();
}

void CAdvanceSettingsDlg::FillIgnoreList()
{
    StopSorting();
    StopAwaitingRemoval();
    m_list.SetItemCountEx(0);
    m_shown.reset();
    m_rowEntries.clear();
    m_rowEntries.shrink_to_fit();
    while (m_list.DeleteColumn(0))
        ;
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_list.SetNotifyWindow(m_hWnd);
    m_list.InsertIgnoreListColumns();

    CScanItemsInfo* items = ScanItems();
    if (!items)
        return;
    // The store reads the file again only when it changed since its last
    // read; the list is shown from that read, not from a copy.
    const bool read = items->ReloadIgnoreList() != 0;
    // A removal that was under way is settled by the read; the list shows
    // its outcome, and a failed write is told all the same.
    const bool removalFailed = items->TakeIgnoreRemoval() == CScanItemsInfo::ListChange::kFailed;
    StartSorting(items->IgnoreEntries());
    if (removalFailed)
        TellRemovalFailed();
    if (!read)
        MessageBox(("The ignore list \"" + CScanItemsInfo::IgnoreListPath() + "\" could not be read.").c_str(),
                   nullptr, MB_OK | MB_ICONWARNING);
}

void CAdvanceSettingsDlg::StartSorting(std::shared_ptr<const IgnoreListSnapshot> list)
{
    m_sortJob = std::make_shared<SortJob>();
    m_sortJob->list = std::move(list);
    const bool atOnce = m_sortJob->list->EntryCount() <= kRowsSortedAtOnce;
    if (!atOnce)
    {
        const auto parameter = new std::shared_ptr<SortJob>(m_sortJob);
        m_sorter.Attach(WorkerThread::Create(&SortRows, parameter, false));
        if (!m_sorter)
            delete parameter;
    }
    // A short list, or one without a worker, is sorted here.
    if (!m_sorter)
        SortRows(new std::shared_ptr<SortJob>(m_sortJob));
    if (!TakeSortedRows())
        SetTimer(kSortTimer, kSortLookMs);
}

bool CAdvanceSettingsDlg::TakeSortedRows()
{
    if (!m_sortJob || !m_sortJob->done)
        return false;
    m_sorter.Close();
    m_shown = m_sortJob->list;
    m_rowEntries = std::move(m_sortJob->order);
    m_sortJob.reset();
    m_list.SetItemCountEx(static_cast<int>(m_rowEntries.size()));
    return true;
}

void CAdvanceSettingsDlg::StopSorting()
{
    if (m_hWnd)
        KillTimer(kSortTimer);
    if (m_sortJob)
        m_sortJob->cancelled = true;
    // The worker only reads what it shares with the page; it ends at its
    // next look, or once its sort is through.
    if (m_sorter)
        ::WaitForSingleObject(m_sorter.Get(), INFINITE);
    m_sorter.Close();
    m_sortJob.reset();
}

void CAdvanceSettingsDlg::OnTimer(UINT_PTR id)
{
    if (id == kRemoveTimer)
    {
        TakeRemoval();
        return;
    }
    if (id != kSortTimer)
    {
        CBitmapDialog::OnTimer(id);
        return;
    }
    if (TakeSortedRows())
        KillTimer(kSortTimer);
}

void CAdvanceSettingsDlg::OnDestroy()
{
    StopSorting();
    StopAwaitingRemoval();
    CBitmapDialog::OnDestroy();
}

void CAdvanceSettingsDlg::FillRowText(int row, int column, char* text, int size) const
{
    if (!m_shown || row < 0 || static_cast<size_t>(row) >= m_rowEntries.size())
    {
        CopyText(std::string_view(), text, size);
        return;
    }
    const size_t entry = m_rowEntries[static_cast<size_t>(row)];
    CopyText(column == 0 ? m_shown->EntryItem(entry) : m_shown->EntryCategory(entry), text, size);
}

BOOL CAdvanceSettingsDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->hwndFrom == m_list.GetSafeHwnd() && header->code == LVN_GETDISPINFOA)
    {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
        if (item.mask & LVIF_TEXT)
            FillRowText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
        *result = 0;
        return TRUE;
    }
    if (header && header->hwndFrom == m_list.GetSafeHwnd() && header->code == LVN_GETDISPINFOW)
    {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        {
            std::string text(static_cast<size_t>(item.cchTextMax), '\0');
            FillRowText(item.iItem, item.iSubItem, &text[0], item.cchTextMax);
            if (!::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, item.pszText, item.cchTextMax))
                item.pszText[0] = L'\0';
        }
        *result = 0;
        return TRUE;
    }
    return CBitmapDialog::OnNotify(wParam, lParam, result);
}

void CAdvanceSettingsDlg::OnRemove()
{
    CScanItemsInfo* items = ScanItems();
    if (!items || !m_shown || m_rowEntries.empty() || m_removing)
        return;
    const int selected = m_list.GetSelectedItem();
    if (selected < 0 || static_cast<size_t>(selected) >= m_rowEntries.size())
        return;

    // The row's entry, exactly (item and category), goes; the store writes
    // back only that change.
    m_removedEntry = m_rowEntries[static_cast<size_t>(selected)];
    items->BeginRemoveIgnoreEntry(m_shown->EntryKey(m_removedEntry));
    m_removing = true;
    m_removeButton.EnableWindow(false);
    SetTimer(kRemoveTimer, kRemoveLookMs);
}

void CAdvanceSettingsDlg::TakeRemoval()
{
    CScanItemsInfo* items = ScanItems();
    const CScanItemsInfo::ListChange outcome = items ? items->TakeIgnoreRemoval() : CScanItemsInfo::ListChange::kFailed;
    if (outcome == CScanItemsInfo::ListChange::kPending)
        return;
    const uint32_t entry = m_removedEntry;
    StopAwaitingRemoval();
    if (outcome == CScanItemsInfo::ListChange::kFailed)
    {
        TellRemovalFailed();
        return;
    }
    const auto row = std::find(m_rowEntries.begin(), m_rowEntries.end(), entry);
    if (row == m_rowEntries.end())
        return;
    const int index = static_cast<int>(row - m_rowEntries.begin());
    m_rowEntries.erase(row);
    m_list.DeleteItem(index);
}

void CAdvanceSettingsDlg::StopAwaitingRemoval()
{
    if (!m_removing)
        return;
    m_removing = false;
    if (m_hWnd)
    {
        KillTimer(kRemoveTimer);
        m_removeButton.EnableWindow(true);
    }
}

void CAdvanceSettingsDlg::TellRemovalFailed()
{
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
