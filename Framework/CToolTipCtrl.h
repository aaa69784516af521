#pragma once
#include "Framework/CWnd.h"

#include <commctrl.h>
#include <string>

// A tooltip window for the tools of one owner window.
class CToolTipCtrl : public CWnd
{
public:
    bool Create(HWND owner, DWORD style = 0);
    // A tool that covers the whole of window, showing text.
    bool AddTool(HWND window, const std::string& text);
    void Activate(bool on) { SendMessage(TTM_ACTIVATE, on ? TRUE : FALSE); }
    // Hands a mouse message of a tool to the tooltip.
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }

private:
    HWND m_owner = NULL;
};
