#include "Client/Shell/SharedInstanceData.h"

namespace
{
// Only initialised data can go into a shared section; zero when the first
// instance maps the image.
SharedInstanceData g_shared __attribute__((section(".SHARED"), shared)) = {};
}

void SetSharedMainWindow(HWND window)
{
    // Volatile: another process may read the field at any moment.
    *static_cast<HWND volatile*>(&g_shared.mainWindow) = window;
}

HWND GetSharedMainWindow()
{
    return *static_cast<HWND volatile*>(&g_shared.mainWindow);
}

char* GetSharedPath()
{
    return g_shared.path;
}
