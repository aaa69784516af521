#include "Framework/CTreeCtrl.h"

#include <vector>

HTREEITEM CTreeCtrl::InsertItem(const std::string& text, int image, int selectedImage, HTREEITEM parent,
                                HTREEITEM after)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM CTreeCtrl::InsertItem(const std::string& text, int image, int selectedImage, UINT state, UINT stateMask,
                                DWORD_PTR data, HTREEITEM parent, HTREEITEM after)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.state = state;
    insert.item.stateMask = stateMask;
    insert.item.lParam = static_cast<LPARAM>(data);
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::string CTreeCtrl::GetItemText(HTREEITEM item) const
{
    // A full buffer may mean the text was cut: grow until it is not full.
    for (size_t size = 512; size <= 65536; size *= 4)
    {
        std::vector<char> buffer(size);
        TVITEMA read{};
        read.mask = TVIF_TEXT;
        read.hItem = item;
        read.pszText = buffer.data();
        read.cchTextMax = static_cast<int>(size);
        if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read)))
            return std::string();
        const std::string text(read.pszText);
        if (text.size() < size - 1)
            return text;
    }
    return std::string();
}

bool CTreeCtrl::SetItemText(HTREEITEM item, const std::string& text)
{
    TVITEMA write{};
    write.mask = TVIF_TEXT;
    write.hItem = item;
    write.pszText = const_cast<char*>(text.c_str());
    return SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&write)) != 0;
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const
{
    TVITEMA read{};
    read.mask = TVIF_PARAM;
    read.hItem = item;
    if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read)))
        return 0;
    return static_cast<DWORD_PTR>(read.lParam);
}

bool CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data)
{
    TVITEMA write{};
    write.mask = TVIF_PARAM;
    write.hItem = item;
    write.lParam = static_cast<LPARAM>(data);
    return SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&write)) != 0;
}

bool CTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask)
{
    TVITEMA write{};
    write.mask = TVIF_STATE;
    write.hItem = item;
    write.state = state;
    write.stateMask = mask;
    return SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&write)) != 0;
}

bool CTreeCtrl::SetItemImage(HTREEITEM item, int image, int selectedImage)
{
    TVITEMA write{};
    write.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    write.hItem = item;
    write.iImage = image;
    write.iSelectedImage = selectedImage;
    return SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&write)) != 0;
}

HTREEITEM CTreeCtrl::HitTest(POINT point, UINT* flags) const
{
    TVHITTESTINFO hit{};
    hit.pt = point;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (flags)
        *flags = hit.flags;
    return item;
}

bool CTreeCtrl::GetItemRect(HTREEITEM item, RECT* rect, bool textOnly) const
{
    // The message takes the item in the rectangle it fills.
    *reinterpret_cast<HTREEITEM*>(rect) = item;
    return SendMessage(TVM_GETITEMRECT, textOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(rect)) != 0;
}
