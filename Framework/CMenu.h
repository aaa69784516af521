#pragma once
#include "Framework/CUniqueHandle.h"

// Owns a menu loaded from the resources and destroys it.
class CMenu : public CUniqueHandle<FreedBy<HMENU, &::DestroyMenu>>
{
public:

    bool LoadMenu(UINT resourceId);
    void DestroyMenu() { Close(); }
    // A submenu stays part of this menu: it is not owned by the caller.
    HMENU GetSubMenu(int position) const { return m_h ? ::GetSubMenu(m_h, position) : NULL; }
};
