#pragma once
#include "Framework/CWnd.h"
#include "Framework/CommonControls.h"

#include <commctrl.h>
#include <string>

// A list view.
class CListCtrl : public CWnd
{
public:
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id)
    {
        CommonControls::Ready();
        return CreateEx(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", style | WS_CHILD, rect, parent, id);
    }

    int InsertColumn(int index, const std::string& caption, int format, int width, int subItem);
    bool DeleteColumn(int index) { return SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(index)) != 0; }
    int InsertItem(int index, const std::string& text, int image = -1);
    // A row with its item data, in one message.
    int InsertItemWithData(int index, const std::string& text, LPARAM data);
    bool SetItemText(int item, int subItem, const std::string& text);
    std::string GetItemText(int item, int subItem) const;
    bool SetItemData(int item, LPARAM data);
    LPARAM GetItemData(int item) const;
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    bool DeleteItem(int item) { return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item)) != 0; }
    bool DeleteAllItems() { return SendMessage(LVM_DELETEALLITEMS) != 0; }
    // The row count of a virtual list (LVS_OWNERDATA), whose rows the
    // parent gives as they are shown.
    bool SetItemCountEx(int count, DWORD flags = 0)
    {
        return SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags)) != 0;
    }
    bool EnsureVisible(int item) { return SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE) != 0; }
    bool RedrawItems(int first, int last)
    {
        return SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last) != 0;
    }
    int HitTest(POINT point, UINT* flags = nullptr) const;
    int GetNextItem(int start, UINT flags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), static_cast<LPARAM>(flags)));
    }
    int GetSelectedItem() const { return GetNextItem(-1, LVNI_SELECTED); }
    UINT GetItemState(int item, UINT mask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
    }
    bool SetItemState(int item, UINT state, UINT mask);
    // The check box of a list with LVS_EX_CHECKBOXES.
    bool GetCheck(int item) const { return ((GetItemState(item, LVIS_STATEIMAGEMASK) >> 12) - 1) == 1; }
    bool SetCheck(int item, bool checked) { return SetItemState(item, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK); }
    DWORD SetExtendedStyle(DWORD style)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
    }
    // LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE. The list stays the caller's.
    HIMAGELIST SetImageList(HIMAGELIST list, int kind);
};
