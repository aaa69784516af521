#pragma once
#include <windows.h>

// Bytes that every running instance of the program sees alike: a data
// section of the program image marked shared. The first instance's main
// window stores its handle here, so that a second start can find it.
struct SharedInstanceData
{
    HWND mainWindow;
    DWORD unused;
    char path[MAX_PATH];
};

// The 32-bit program's section is 268 bytes; a 64-bit build has a section of
// its own (a 32-bit and a 64-bit instance never share one image).
static_assert(sizeof(void*) != 4 || sizeof(SharedInstanceData) == 268, "the shared section's layout is fixed");

void SetSharedMainWindow(HWND window);
HWND GetSharedMainWindow();
// The path field; read by the main window's shared-path request.
char* GetSharedPath();
