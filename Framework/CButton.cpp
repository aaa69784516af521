#include "Framework/CButton.h"

bool CButton::Create(const char* caption, DWORD style, const RECT& rect, HWND parent, UINT id)
{
    return CreateEx(0, "BUTTON", caption, style | WS_CHILD, rect, parent, id);
}

void CButton::DrawItem(DRAWITEMSTRUCT*) {}

bool CButton::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* result)
{
    if (message != WM_DRAWITEM)
        return false;
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    *result = TRUE;
    return true;
}
