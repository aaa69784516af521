#pragma once
#include "Framework/CWnd.h"
#include "Framework/CommonControls.h"

#include <commctrl.h>

class CDateTimeCtrl : public CWnd
{
public:
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id)
    {
        CommonControls::Ready();
        return CreateEx(0, DATETIMEPICK_CLASSA, "", style | WS_CHILD, rect, parent, id);
    }
    bool GetTime(SYSTEMTIME* time) const
    {
        return SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(time)) == GDT_VALID;
    }
    bool SetTime(const SYSTEMTIME& time)
    {
        return SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)) != 0;
    }
    bool SetFormat(const char* format) { return SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format)) != 0; }
};
