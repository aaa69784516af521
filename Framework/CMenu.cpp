#include "Framework/CMenu.h"

#include "Framework/CWinApp.h"

bool CMenu::LoadMenu(UINT resourceId)
{
    Attach(::LoadMenuA(CWinApp::ResourceInstance(), MAKEINTRESOURCEA(resourceId)));
    return IsValid();
}
