#include "Framework/CMenu.h"

#include "Framework/CWinApp.h"

bool CMenu::LoadMenu(UINT resourceId)
{
    DestroyMenu();
    m_menu = ::LoadMenuA(CWinApp::ResourceInstance(), MAKEINTRESOURCEA(resourceId));
    return m_menu != NULL;
}

void CMenu::DestroyMenu()
{
    if (m_menu)
        ::DestroyMenu(m_menu);
    m_menu = NULL;
}
