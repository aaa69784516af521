#pragma once
#include "Framework/CWnd.h"

// A push button, check box or radio button.
class CButton : public CWnd
{
public:
    bool Create(const char* caption, DWORD style, const RECT& rect, HWND parent, UINT id);

    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    void SetState(bool pushed) { SendMessage(BM_SETSTATE, pushed ? TRUE : FALSE); }
    UINT GetButtonStyle() const { return GetStyle() & 0xFF; }

protected:
    // An owner-drawn button paints itself here; WM_DRAWITEM is reflected to it.
    virtual void DrawItem(DRAWITEMSTRUCT* item);
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
