#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Framework/CWnd.h"

// One icon of the notification area: its tooltip, its icon, an icon
// animation on a timer, and the menu and default command it offers. Nothing
// is shown until AddIcon; until then every shell operation does nothing.
class CSystemTray : public CWnd
{
public:
    static constexpr UINT_PTR kAnimationTimer = 1;

    CSystemTray();
    ~CSystemTray() override;

    // Creates the hidden window that receives the icon's messages and adds
    // the icon; the menu of the icon is the menu resource with the icon's id.
    bool AddIcon(UINT iconId, UINT callbackMessage, HICON icon, const std::string& tooltip);
    bool IsAdded() const { return m_added; }

    BOOL SetTooltipText(const std::string& text);
    BOOL SetIcon(HICON icon);
    BOOL RemoveIcon();

    // Cycles through icons every delayMs; durationSeconds <= 0 runs until
    // StopAnimation. The icon shown before comes back at the end.
    bool Animate(const std::vector<HICON>& icons, UINT delayMs, double durationSeconds);
    void StopAnimation();
    BOOL StepAnimation();
    size_t GetAnimationIndex() const { return m_animationIndex; }

    void SetDefaultMenuItem(UINT item, bool byPosition)
    {
        m_defaultMenuItem = item;
        m_defaultByPosition = byPosition;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT OnTrayNotification(WPARAM iconId, LPARAM mouseMessage);

    const NOTIFYICONDATAA& IconData() const { return m_iconData; }

protected:
    void OnTimer(UINT_PTR id) override;

private:
    HWND MainWindow() const;
    LRESULT ShowMenu();
    LRESULT RunDefaultCommand();
    static ULONGLONG Now();

    NOTIFYICONDATAA m_iconData;
    bool m_added = false;
    std::vector<HICON> m_animationIcons;
    size_t m_animationIndex = 0;
    UINT_PTR m_timerId = 0;
    ULONGLONG m_animationStart = 0;  // 100 ns units
    double m_animationDuration = 0;
    HICON m_restoreIcon = NULL;
    UINT m_defaultMenuItem = 0;
    bool m_defaultByPosition = true;
};
