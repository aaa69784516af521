#pragma once
#include <windows.h>
#include <commctrl.h>

#include "Framework/CUniqueHandle.h"
#include "Framework/LateImports.h"

// Owns one image list. A list view keeps the lists it is given only with the
// LVS_SHAREIMAGELISTS style, which CListCtrl::SetImageList sets, so the list
// is always destroyed here and only here.
class CImageList : public CUniqueHandle<FreedBy<HIMAGELIST, &LateImports::ImageList_Destroy>>
{
public:
    // Images of width pixels cut from a bitmap resource; mask is the colour
    // that shows as transparent.
    bool CreateFromBitmap(UINT bitmapId, int width, int grow, COLORREF mask);
    bool Create(int width, int height, UINT flags, int initial, int grow);
    int Add(HBITMAP bitmap, COLORREF mask);
    int AddIcon(HICON icon);
    void Destroy() { Close(); }

    operator HIMAGELIST() const { return m_h; }
    int GetImageCount() const { return m_h ? LateImports::ImageList_GetImageCount(m_h) : 0; }
};
