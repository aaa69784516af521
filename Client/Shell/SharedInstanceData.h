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

static_assert(sizeof(SharedInstanceData) == 268, "the shared section's layout is fixed");

void SetSharedMainWindow(HWND window);
HWND GetSharedMainWindow();
// The path field; read by the main window's shared-path request.
char* GetSharedPath();
