#include "Framework/CBitmap.h"

#include "Framework/CWinApp.h"

bool CBitmap::LoadBitmap(UINT resourceId)
{
    return LoadBitmap(MAKEINTRESOURCEA(resourceId));
}

bool CBitmap::LoadBitmap(const char* resourceName)
{
    Attach(::LoadBitmapA(CWinApp::ResourceInstance(), resourceName));
    return IsValid();
}

bool CBitmap::LoadFromFile(const char* path)
{
    Attach(static_cast<HBITMAP>(
        ::LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    return IsValid();
}

bool CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height)
{
    Attach(::CreateCompatibleBitmap(dc, width, height));
    return IsValid();
}

SIZE CBitmap::GetSize() const
{
    BITMAP info{};
    if (!m_h || !::GetObjectA(m_h, sizeof(info), &info))
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}
