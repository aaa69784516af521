#pragma once
#include <windows.h>

// Owns a menu loaded from the resources and destroys it.
class CMenu
{
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    bool LoadMenu(UINT resourceId);
    void DestroyMenu();
    // A submenu stays part of this menu: it is not owned by the caller.
    HMENU GetSubMenu(int position) const { return m_menu ? ::GetSubMenu(m_menu, position) : NULL; }
    HMENU Get() const { return m_menu; }
    bool IsValid() const { return m_menu != NULL; }

private:
    HMENU m_menu = NULL;
};
