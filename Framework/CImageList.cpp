#include "Framework/CImageList.h"

#include "Framework/CWinApp.h"

bool CImageList::CreateFromBitmap(UINT bitmapId, int width, int grow, COLORREF mask)
{
    Destroy();
    m_list = ImageList_LoadImageA(CWinApp::ResourceInstance(), MAKEINTRESOURCEA(bitmapId), width, grow, mask,
                                  IMAGE_BITMAP, LR_CREATEDIBSECTION);
    return m_list != nullptr;
}

bool CImageList::Create(int width, int height, UINT flags, int initial, int grow)
{
    Destroy();
    m_list = ImageList_Create(width, height, flags, initial, grow);
    return m_list != nullptr;
}

int CImageList::Add(HBITMAP bitmap, COLORREF mask)
{
    return m_list ? ImageList_AddMasked(m_list, bitmap, mask) : -1;
}

int CImageList::AddIcon(HICON icon)
{
    return m_list ? ImageList_AddIcon(m_list, icon) : -1;
}

void CImageList::Destroy()
{
    if (m_list)
        ImageList_Destroy(m_list);
    m_list = nullptr;
}
