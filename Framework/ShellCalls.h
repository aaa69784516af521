#pragma once
#include <windows.h>
#include <shellapi.h>

// The two shell calls with effects outside the program: opening a document
// or address (ShellExecuteA) and the notification-area icon
// (Shell_NotifyIconA). The program reaches them only through here, so a test
// can put recorders in their place.
namespace ShellCalls
{
using ExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
using NotifyIconFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);

HINSTANCE Execute(HWND owner, const char* verb, const char* file, const char* parameters, const char* folder,
                  int showCommand);
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data);

// Each returns the function it replaced; null puts the system's back.
ExecuteFunction SetExecute(ExecuteFunction function);
NotifyIconFunction SetNotifyIcon(NotifyIconFunction function);
}
