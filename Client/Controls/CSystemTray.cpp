#include "Client/Controls/CSystemTray.h"

#include <cstring>

#include "Framework/CMenu.h"
#include "Framework/CWinApp.h"
#include "Framework/ShellCalls.h"

CSystemTray::CSystemTray()
{
    std::memset(&m_iconData, 0, sizeof(m_iconData));
}

CSystemTray::~CSystemTray()
{
    StopAnimation();
    RemoveIcon();
    m_animationIcons.clear();
}

ULONGLONG CSystemTray::Now()
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool CSystemTray::AddIcon(UINT iconId, UINT callbackMessage, HICON icon, const std::string& tooltip)
{
    if (m_added)
        return false;
    if (!m_hWnd && !CreateEx(0, nullptr, "", WS_POPUP, RECT{0, 0, 0, 0}, NULL, 0))
        return false;
    m_iconData.cbSize = NOTIFYICONDATAA_V3_SIZE;
    m_iconData.hWnd = m_hWnd;
    m_iconData.uID = iconId;
    m_iconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_iconData.uCallbackMessage = callbackMessage;
    m_iconData.hIcon = icon;
    ::lstrcpynA(m_iconData.szTip, tooltip.c_str(), sizeof(m_iconData.szTip));
    m_added = ShellCalls::NotifyIcon(NIM_ADD, &m_iconData) != FALSE;
    return m_added;
}

BOOL CSystemTray::SetTooltipText(const std::string& text)
{
    if (!m_added)
        return FALSE;
    m_iconData.uFlags = NIF_TIP;
    // The tooltip holds 127 characters and the terminator.
    ::lstrcpynA(m_iconData.szTip, text.c_str(), sizeof(m_iconData.szTip));
    return ShellCalls::NotifyIcon(NIM_MODIFY, &m_iconData);
}

BOOL CSystemTray::SetIcon(HICON icon)
{
    if (!m_added)
        return FALSE;
    m_iconData.uFlags = NIF_ICON;
    m_iconData.hIcon = icon;
    return ShellCalls::NotifyIcon(NIM_MODIFY, &m_iconData);
}

BOOL CSystemTray::RemoveIcon()
{
    if (!m_added)
        return FALSE;
    m_iconData.uFlags = 0;
    const BOOL removed = ShellCalls::NotifyIcon(NIM_DELETE, &m_iconData);
    m_added = false;
    return removed;
}

bool CSystemTray::Animate(const std::vector<HICON>& icons, UINT delayMs, double durationSeconds)
{
    StopAnimation();
    if (icons.empty() || !m_hWnd)
        return false;
    m_animationIcons = icons;
    m_animationIndex = 0;
    m_restoreIcon = m_iconData.hIcon;
    m_animationStart = Now();
    m_animationDuration = durationSeconds;
    m_timerId = SetTimer(kAnimationTimer, delayMs);
    return m_timerId != 0;
}

void CSystemTray::StopAnimation()
{
    if (m_timerId)
    {
        KillTimer(m_timerId);
        m_timerId = 0;
    }
    if (m_restoreIcon)
    {
        SetIcon(m_restoreIcon);
        m_restoreIcon = NULL;
    }
}

BOOL CSystemTray::StepAnimation()
{
    if (m_animationIcons.empty())
        return FALSE;
    if (++m_animationIndex >= m_animationIcons.size())
        m_animationIndex = 0;
    return SetIcon(m_animationIcons[m_animationIndex]);
}

void CSystemTray::OnTimer(UINT_PTR id)
{
    if (id != m_timerId || !m_timerId)
        return CWnd::OnTimer(id);
    const double elapsedSeconds = static_cast<double>(Now() - m_animationStart) / 1e7;
    if (m_animationDuration > 0 && elapsedSeconds > m_animationDuration)
        StopAnimation();
    else
        StepAnimation();
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_iconData.uCallbackMessage && message == m_iconData.uCallbackMessage)
        return OnTrayNotification(wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

HWND CSystemTray::MainWindow() const
{
    CWinApp* app = CWinApp::Get();
    return app && app->GetMainWnd() ? app->GetMainWnd()->GetSafeHwnd() : NULL;
}

LRESULT CSystemTray::ShowMenu()
{
    CMenu menu;
    if (!menu.LoadMenu(m_iconData.uID))
        return 0;
    HMENU popup = menu.GetSubMenu(0);
    if (!popup)
        return 0;
    ::SetMenuDefaultItem(popup, m_defaultMenuItem, m_defaultByPosition ? TRUE : FALSE);
    HWND main = MainWindow();
    ::SetForegroundWindow(main);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::TrackPopupMenu(popup, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, main, nullptr);
    ::PostMessageA(main, WM_NULL, 0, 0);
    return 1;
}

LRESULT CSystemTray::RunDefaultCommand()
{
    HWND main = MainWindow();
    ::SetForegroundWindow(main);
    UINT command = m_defaultMenuItem;
    if (m_defaultByPosition)
    {
        // The menu is loaded only to read the item's id and goes again.
        CMenu menu;
        if (!menu.LoadMenu(m_iconData.uID))
            return 0;
        HMENU popup = menu.GetSubMenu(0);
        command = popup ? ::GetMenuItemID(popup, static_cast<int>(m_defaultMenuItem)) : 0;
    }
    ::SendMessageA(main, WM_COMMAND, command, 0);
    return 1;
}

LRESULT CSystemTray::OnTrayNotification(WPARAM iconId, LPARAM mouseMessage)
{
    if (iconId != m_iconData.uID)
        return 0;
    switch (LOWORD(mouseMessage))
    {
    case WM_RBUTTONUP:
        return ShowMenu();
    case WM_LBUTTONDBLCLK:
        return RunDefaultCommand();
    default:
        return 0;
    }
}
