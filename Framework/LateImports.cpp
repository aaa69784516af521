#include "Framework/LateImports.h"

#include "Framework/LateLibrary.h"

namespace
{
LateLibrary g_commonControls("comctl32.dll");
LateLibrary g_oleAutomation("oleaut32.dll");
LateLibrary g_internet("wininet.dll");

// The export's result, or failed when it cannot be found (the last error
// then says why).
template <class Function, class Result, class... Args>
Result CallOr(LateFunction<Function>& function, Result failed, Args... args)
{
    const Function call = function.Get();
    return call ? call(args...) : failed;
}

LateFunction<decltype(&::InitCommonControlsEx)> g_initCommonControlsEx(g_commonControls, "InitCommonControlsEx");
LateFunction<decltype(&::ImageList_Create)> g_imageListCreate(g_commonControls, "ImageList_Create");
LateFunction<decltype(&::ImageList_LoadImageA)> g_imageListLoadImage(g_commonControls, "ImageList_LoadImageA");
LateFunction<decltype(&::ImageList_AddMasked)> g_imageListAddMasked(g_commonControls, "ImageList_AddMasked");
LateFunction<decltype(&::ImageList_ReplaceIcon)> g_imageListReplaceIcon(g_commonControls, "ImageList_ReplaceIcon");
LateFunction<decltype(&::ImageList_GetImageCount)> g_imageListGetImageCount(g_commonControls,
                                                                             "ImageList_GetImageCount");
LateFunction<decltype(&::ImageList_Destroy)> g_imageListDestroy(g_commonControls, "ImageList_Destroy");

LateFunction<decltype(&::OleLoadPicture)> g_oleLoadPicture(g_oleAutomation, "OleLoadPicture");

LateFunction<decltype(&::InternetGetConnectedState)> g_internetGetConnectedState(g_internet,
                                                                                  "InternetGetConnectedState");
LateFunction<decltype(&::InternetOpenA)> g_internetOpen(g_internet, "InternetOpenA");
LateFunction<decltype(&::InternetSetOptionA)> g_internetSetOption(g_internet, "InternetSetOptionA");
LateFunction<decltype(&::InternetOpenUrlA)> g_internetOpenUrl(g_internet, "InternetOpenUrlA");
LateFunction<decltype(&::HttpQueryInfoA)> g_httpQueryInfo(g_internet, "HttpQueryInfoA");
LateFunction<decltype(&::InternetReadFile)> g_internetReadFile(g_internet, "InternetReadFile");
LateFunction<decltype(&::DeleteUrlCacheEntryA)> g_deleteUrlCacheEntry(g_internet, "DeleteUrlCacheEntryA");
LateFunction<decltype(&::InternetCloseHandle)> g_internetCloseHandle(g_internet, "InternetCloseHandle");
}

namespace LateImports
{
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls)
{
    return CallOr(g_initCommonControlsEx, FALSE, controls);
}

HIMAGELIST ImageList_Create(int width, int height, UINT flags, int initial, int grow)
{
    return CallOr(g_imageListCreate, HIMAGELIST(nullptr), width, height, flags, initial, grow);
}

HIMAGELIST ImageList_LoadImageA(HINSTANCE instance, LPCSTR bitmap, int width, int grow, COLORREF mask, UINT type,
                                UINT flags)
{
    return CallOr(g_imageListLoadImage, HIMAGELIST(nullptr), instance, bitmap, width, grow, mask, type, flags);
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP bitmap, COLORREF mask)
{
    return CallOr(g_imageListAddMasked, -1, list, bitmap, mask);
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon)
{
    return CallOr(g_imageListReplaceIcon, -1, list, index, icon);
}

int ImageList_GetImageCount(HIMAGELIST list)
{
    return CallOr(g_imageListGetImageCount, 0, list);
}

BOOL ImageList_Destroy(HIMAGELIST list)
{
    return CallOr(g_imageListDestroy, FALSE, list);
}

HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID iid, void** picture)
{
    const auto call = g_oleLoadPicture.Get();
    return call ? call(stream, size, runMode, iid, picture) : HRESULT_FROM_WIN32(::GetLastError());
}

BOOL InternetGetConnectedState(DWORD* flags, DWORD reserved)
{
    return CallOr(g_internetGetConnectedState, FALSE, flags, reserved);
}

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags)
{
    return CallOr(g_internetOpen, HINTERNET(nullptr), agent, accessType, proxy, proxyBypass, flags);
}

BOOL InternetSetOptionA(HINTERNET internet, DWORD option, void* buffer, DWORD length)
{
    return CallOr(g_internetSetOption, FALSE, internet, option, buffer, length);
}

HINTERNET InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD headersLength, DWORD flags,
                           DWORD_PTR context)
{
    return CallOr(g_internetOpenUrl, HINTERNET(nullptr), session, url, headers, headersLength, flags, context);
}

BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* length, DWORD* index)
{
    return CallOr(g_httpQueryInfo, FALSE, request, infoLevel, buffer, length, index);
}

BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD wanted, DWORD* read)
{
    return CallOr(g_internetReadFile, FALSE, file, buffer, wanted, read);
}

BOOL DeleteUrlCacheEntryA(LPCSTR url)
{
    return CallOr(g_deleteUrlCacheEntry, FALSE, url);
}

BOOL InternetCloseHandle(HINTERNET internet)
{
    return CallOr(g_internetCloseHandle, FALSE, internet);
}
}
