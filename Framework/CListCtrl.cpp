#include "Framework/CListCtrl.h"

#include <vector>

int CListCtrl::InsertColumn(int index, const std::string& caption, int format, int width, int subItem)
{
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(caption.c_str());
    if (subItem >= 0)
    {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = subItem;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

int CListCtrl::InsertItem(int index, const std::string& text, int image)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    if (image >= 0)
    {
        item.mask |= LVIF_IMAGE;
        item.iImage = image;
    }
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

int CListCtrl::InsertItemWithData(int index, const std::string& text, LPARAM data)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = data;
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListCtrl::SetItemText(int item, int subItem, const std::string& text)
{
    LVITEMA row{};
    row.iSubItem = subItem;
    row.pszText = const_cast<char*>(text.c_str());
    return SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)) != 0;
}

std::string CListCtrl::GetItemText(int item, int subItem) const
{
    // The control answers with the length it copied; a full buffer may mean
    // the text was cut, so the buffer grows until it is not full.
    for (size_t size = 256; size <= 65536; size *= 4)
    {
        std::vector<char> buffer(size);
        LVITEMA row{};
        row.iSubItem = subItem;
        row.pszText = buffer.data();
        row.cchTextMax = static_cast<int>(size);
        const LRESULT copied = SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row));
        if (copied < static_cast<LRESULT>(size) - 1)
            return std::string(row.pszText);
    }
    return std::string();
}

bool CListCtrl::SetItemData(int item, LPARAM data)
{
    LVITEMA row{};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    row.lParam = data;
    return SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&row)) != 0;
}

LPARAM CListCtrl::GetItemData(int item) const
{
    LVITEMA row{};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    if (!SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row)))
        return 0;
    return row.lParam;
}

int CListCtrl::HitTest(POINT point, UINT* flags) const
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int item = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (flags)
        *flags = hit.flags;
    return item;
}

bool CListCtrl::SetItemState(int item, UINT state, UINT mask)
{
    LVITEMA row{};
    row.state = state;
    row.stateMask = mask;
    return SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)) != 0;
}

HIMAGELIST CListCtrl::SetImageList(HIMAGELIST list, int kind)
{
    // Without this style the list view would destroy the list with itself.
    ModifyStyle(0, LVS_SHAREIMAGELISTS);
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(list)));
}
