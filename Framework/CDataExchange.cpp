#include "Framework/CDataExchange.h"

#include "Framework/CWnd.h"

#include <commctrl.h>
#include <cstdlib>

HWND CDataExchange::Item(int id) const
{
    return m_dialog ? ::GetDlgItem(m_dialog->GetSafeHwnd(), id) : NULL;
}

bool CDataExchange::Control(int id, CWnd& control)
{
    HWND item = Item(id);
    if (!item)
        return false;
    if (control.GetSafeHwnd() == item)
        return true;
    return control.SubclassWindow(item);
}

void CDataExchange::Check(int id, int& value)
{
    HWND item = Item(id);
    if (!item)
        return;
    if (m_save)
        value = static_cast<int>(::SendMessageA(item, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void CDataExchange::Text(int id, std::string& value)
{
    HWND item = Item(id);
    if (!item)
        return;
    if (!m_save)
    {
        ::SetWindowTextA(item, value.c_str());
        return;
    }
    value = CWnd::GetText(item);
}

void CDataExchange::Text(int id, int& value)
{
    if (!m_save)
    {
        std::string text = std::to_string(value);
        Text(id, text);
        return;
    }
    std::string text;
    Text(id, text);
    value = std::atoi(text.c_str());
}

void CDataExchange::ComboIndex(int id, int& value)
{
    HWND item = Item(id);
    if (!item)
        return;
    if (m_save)
        value = static_cast<int>(::SendMessageA(item, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageA(item, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void CDataExchange::DateTime(int id, SYSTEMTIME& value)
{
    HWND item = Item(id);
    if (!item)
        return;
    if (m_save)
    {
        SYSTEMTIME read{};
        if (::SendMessageA(item, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&read)) == GDT_VALID)
            value = read;
    }
    else
        ::SendMessageA(item, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
}
