#pragma once
#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <wininet.h>

// The calls into the libraries that the program loads on first use (see
// LateLibrary): the common controls, which the first page does not use; OLE
// Automation, for the animated picture; and WinINet (with the sockets and
// compression it brings along), for the update check. Each has the export's
// own signature. When its library cannot be loaded or lacks the export, a
// call fails as the export itself fails, with the thread's last error set to
// ERROR_MOD_NOT_FOUND or ERROR_PROC_NOT_FOUND, instead of ending the process.
// The program calls these exports only through here: a direct call would put
// the library back among the imports that every start loads.
namespace LateImports
{
// comctl32.dll
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
HIMAGELIST ImageList_Create(int width, int height, UINT flags, int initial, int grow);
HIMAGELIST ImageList_LoadImageA(HINSTANCE instance, LPCSTR bitmap, int width, int grow, COLORREF mask, UINT type,
                                UINT flags);
int ImageList_AddMasked(HIMAGELIST list, HBITMAP bitmap, COLORREF mask);
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_Destroy(HIMAGELIST list);

// oleaut32.dll
HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID iid, void** picture);

// wininet.dll
BOOL InternetGetConnectedState(DWORD* flags, DWORD reserved);
HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags);
BOOL InternetSetOptionA(HINTERNET internet, DWORD option, void* buffer, DWORD length);
HINTERNET InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD headersLength, DWORD flags,
                           DWORD_PTR context);
BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* length, DWORD* index);
BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD wanted, DWORD* read);
BOOL DeleteUrlCacheEntryA(LPCSTR url);
BOOL InternetCloseHandle(HINTERNET internet);
}
