#pragma once
#include "Framework/CDC.h"

// The client-area device context of a window (NULL = the screen), released
// on destruction.
class CClientDC : public CDC
{
public:
    explicit CClientDC(HWND hwnd) : m_hwnd(hwnd) { m_hDC = ::GetDC(hwnd); }
    ~CClientDC() override
    {
        if (m_hDC)
            ::ReleaseDC(m_hwnd, m_hDC);
    }

private:
    HWND m_hwnd;
};
