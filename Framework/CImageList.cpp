#include "Framework/CImageList.h"

#include "Framework/CWinApp.h"

bool CImageList::CreateFromBitmap(UINT bitmapId, int width, int grow, COLORREF mask)
{
    Attach(LateImports::ImageList_LoadImageA(CWinApp::ResourceInstance(), MAKEINTRESOURCEA(bitmapId), width, grow,
                                             mask, IMAGE_BITMAP, LR_CREATEDIBSECTION));
    return IsValid();
}

bool CImageList::Create(int width, int height, UINT flags, int initial, int grow)
{
    Attach(LateImports::ImageList_Create(width, height, flags, initial, grow));
    return IsValid();
}

int CImageList::Add(HBITMAP bitmap, COLORREF mask)
{
    return m_h ? LateImports::ImageList_AddMasked(m_h, bitmap, mask) : -1;
}

int CImageList::AddIcon(HICON icon)
{
    return m_h ? LateImports::ImageList_ReplaceIcon(m_h, -1, icon) : -1;
}
