#pragma once
#include "Framework/CWnd.h"

// A static control: text, picture or frame.
class CStatic : public CWnd
{
public:
    bool Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id = 0xFFFF)
    {
        return CreateEx(0, "STATIC", text, style | WS_CHILD, rect, parent, id);
    }
    // The picture shown by an SS_BITMAP or SS_ICON control; the caller keeps it.
    HBITMAP SetBitmap(HBITMAP bitmap)
    {
        return reinterpret_cast<HBITMAP>(
            SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
    HICON SetIcon(HICON icon)
    {
        return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon)));
    }
};
