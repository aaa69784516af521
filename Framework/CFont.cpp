#include "Framework/CFont.h"

#include <cstring>

bool CFont::CreateFontIndirect(const LOGFONTA& description)
{
    Attach(::CreateFontIndirectA(&description));
    return IsValid();
}

bool CFont::CreateFontIndirectW(const LOGFONTW& description)
{
    Attach(::CreateFontIndirectW(&description));
    return IsValid();
}

bool CFont::CreatePointFont(int tenthsOfPoint, const char* faceName)
{
    LOGFONTA description{};
    description.lfCharSet = DEFAULT_CHARSET;
    if (faceName)
        ::lstrcpynA(description.lfFaceName, faceName, LF_FACESIZE);
    HDC screen = ::GetDC(nullptr);
    const int pixelsPerInch = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    description.lfHeight = -::MulDiv(tenthsOfPoint, pixelsPerInch, 720);
    return CreateFontIndirect(description);
}

bool CFont::GetLogFont(LOGFONTA* description) const
{
    return m_h && ::GetObjectA(m_h, sizeof(LOGFONTA), description) != 0;
}
