#pragma once
#include "Framework/CGdiObject.h"

// A region. A region given to a window by SetWindowRgn belongs to the window
// from then on: hand it over with Detach.
class CRgn : public CGdiObject<HRGN>
{
public:
    bool CreateRectRgn(int left, int top, int right, int bottom)
    {
        Attach(::CreateRectRgn(left, top, right, bottom));
        return IsValid();
    }
    // this = a op b; returns the region's complexity, ERROR on failure.
    int CombineRgn(HRGN a, HRGN b, int operation) { return ::CombineRgn(m_h, a, b, operation); }
    // Sets the region as the window's region; on success the window owns it.
    bool GiveToWindow(HWND hwnd, bool redraw)
    {
        if (!m_h || !::SetWindowRgn(hwnd, m_h, redraw))
            return false;
        m_h = nullptr;
        return true;
    }
};
