#include "Framework/CMemoryDC.h"

CMemoryDC::CMemoryDC(HDC compatibleWith)
{
    m_hDC = ::CreateCompatibleDC(compatibleWith);
}

CMemoryDC::~CMemoryDC()
{
    if (!m_hDC)
        return;
    RestoreSelection();
    ::DeleteDC(m_hDC);
}

HGDIOBJ CMemoryDC::Select(HGDIOBJ object)
{
    if (!m_hDC || !object)
        return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, object);
    HGDIOBJ* first = nullptr;
    switch (::GetObjectType(object))
    {
    case OBJ_BITMAP:
        first = &m_firstBitmap;
        break;
    case OBJ_FONT:
        first = &m_firstFont;
        break;
    case OBJ_BRUSH:
        first = &m_firstBrush;
        break;
    case OBJ_PEN:
        first = &m_firstPen;
        break;
    default:
        break;
    }
    if (first && !*first)
        *first = previous;
    return previous;
}

void CMemoryDC::RestoreSelection()
{
    for (HGDIOBJ* first : {&m_firstBitmap, &m_firstFont, &m_firstBrush, &m_firstPen})
    {
        if (*first)
            ::SelectObject(m_hDC, *first);
        *first = nullptr;
    }
}
