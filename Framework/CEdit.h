#pragma once
#include "Framework/CWnd.h"

class CEdit : public CWnd
{
public:
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id)
    {
        return CreateEx(WS_EX_CLIENTEDGE, "EDIT", "", style | WS_CHILD, rect, parent, id);
    }
    void SetLimitText(UINT characters) { SendMessage(EM_SETLIMITTEXT, characters); }
    void SetReadOnly(bool on = true) { SendMessage(EM_SETREADONLY, on ? TRUE : FALSE); }
};
