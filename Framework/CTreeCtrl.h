#pragma once
#include "Framework/CWnd.h"
#include "Framework/CommonControls.h"

#include <commctrl.h>
#include <string>

// A tree view. Image lists given to it stay the caller's.
class CTreeCtrl : public CWnd
{
public:
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id)
    {
        CommonControls::Ready();
        return CreateEx(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "", style | WS_CHILD, rect, parent, id);
    }

    HTREEITEM InsertItem(const std::string& text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST);
    // The same with the item's state bits (those of stateMask) and data, all
    // in the one message.
    HTREEITEM InsertItem(const std::string& text, int image, int selectedImage, UINT state, UINT stateMask,
                         DWORD_PTR data, HTREEITEM parent, HTREEITEM after = TVI_LAST);
    bool DeleteItem(HTREEITEM item) { return SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != 0; }
    bool DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    std::string GetItemText(HTREEITEM item) const;
    bool SetItemText(HTREEITEM item, const std::string& text);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    bool SetItemData(HTREEITEM item, DWORD_PTR data);
    UINT GetItemState(HTREEITEM item, UINT mask) const
    {
        return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
    }
    bool SetItemState(HTREEITEM item, UINT state, UINT mask);
    bool SetItemImage(HTREEITEM item, int image, int selectedImage);

    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    bool SelectItem(HTREEITEM item) { return SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0; }
    bool Expand(HTREEITEM item, UINT code) { return SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)) != 0; }
    bool EnsureVisible(HTREEITEM item) { return SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)) != 0; }
    bool ItemHasChildren(HTREEITEM item) const { return GetChildItem(item) != nullptr; }
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    HTREEITEM HitTest(POINT point, UINT* flags = nullptr) const;
    bool GetItemRect(HTREEITEM item, RECT* rect, bool textOnly) const;
    // TVSIL_NORMAL or TVSIL_STATE.
    HIMAGELIST SetImageList(HIMAGELIST list, int kind)
    {
        return reinterpret_cast<HIMAGELIST>(
            SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(list)));
    }
};
