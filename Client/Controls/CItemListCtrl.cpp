#include "Client/Controls/CItemListCtrl.h"

namespace
{
constexpr UINT kItemImagesBitmap = 225;
}

void CItemListCtrl::InitImageLists()
{
    m_images.CreateFromBitmap(kItemImagesBitmap, 18, 5, RGB(255, 255, 255));
    SetImageList(m_images, LVSIL_NORMAL);
    SetImageList(m_images, LVSIL_SMALL);
}

void CItemListCtrl::InsertIgnoreListColumns()
{
    InsertColumn(0, "Registry Key", LVCFMT_LEFT, 300, -1);
    InsertColumn(1, "Category", LVCFMT_LEFT, 135, -1);
}

void CItemListCtrl::InsertBackupColumns()
{
    InsertColumn(0, "Backup", LVCFMT_LEFT, 250, -1);
    InsertColumn(1, "Date of Backup", LVCFMT_LEFT, 224, -1);
}

void CItemListCtrl::InsertStartupColumns(std::string name, std::string path, std::string location,
                                         std::string status)
{
    InsertColumn(0, name, LVCFMT_LEFT, 110, -1);
    InsertColumn(1, path, LVCFMT_LEFT, 237, -1);
    InsertColumn(2, location, LVCFMT_LEFT, 55, -1);
    InsertColumn(3, status, LVCFMT_LEFT, 55, -1);
}

void CItemListCtrl::OnStateIconClick(POINT point)
{
    UINT flags = 0;
    const int row = HitTest(point, &flags);
    if (row < 0 || !(flags & LVHT_ONITEMSTATEICON))
        return;
    RedrawItems(row, row);
    const LPARAM data = GetItemData(row);
    if (data >= 0 && m_notifyWindow)
        ::SendMessageA(m_notifyWindow, WM_LISTCHECK, static_cast<WPARAM>(data), 0);
}

bool CItemListCtrl::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* result)
{
    if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->code != static_cast<UINT>(NM_CLICK))
        return false;
    OnStateIconClick(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->ptAction);
    *result = 0;
    return true;
}

LRESULT CItemListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY)
    {
        // A click on a column header moves no row.
        const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        if (code == static_cast<UINT>(HDN_ITEMCLICKA) || code == static_cast<UINT>(HDN_ITEMCLICKW))
            return 0;
    }
    return CListCtrl::WindowProc(message, wParam, lParam);
}
