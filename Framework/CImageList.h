#pragma once
#include <windows.h>
#include <commctrl.h>

// Owns one image list. A list view keeps the lists it is given only with the
// LVS_SHAREIMAGELISTS style, which CListCtrl::SetImageList sets, so the list
// is always destroyed here and only here.
class CImageList
{
public:
    CImageList() = default;
    ~CImageList() { Destroy(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    // Images of width pixels cut from a bitmap resource; mask is the colour
    // that shows as transparent.
    bool CreateFromBitmap(UINT bitmapId, int width, int grow, COLORREF mask);
    bool Create(int width, int height, UINT flags, int initial, int grow);
    int Add(HBITMAP bitmap, COLORREF mask);
    int AddIcon(HICON icon);
    void Destroy();

    HIMAGELIST Get() const { return m_list; }
    operator HIMAGELIST() const { return m_list; }
    int GetImageCount() const { return m_list ? ImageList_GetImageCount(m_list) : 0; }

private:
    HIMAGELIST m_list = nullptr;
};
