#include "Client/Controls/KitTestSupport.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "Framework/CBitmap.h"
#include "Framework/CClientDC.h"
#include "Framework/CMemoryDC.h"

namespace KitTest
{
namespace
{
// Wine keeps each process's GDI handles in a table with the layout Windows
// uses for its shared one: 24-byte entries whose type byte is non-zero while
// the handle lives.
// The thread block's own address, read as NtCurrentTeb does (its inline form
// trips GCC's bounds warning).
const BYTE* ThreadBlock()
{
    const BYTE* teb = nullptr;
#ifdef _WIN64
    asm("movq %%gs:0x30, %0" : "=r"(teb));
#else
    asm("movl %%fs:0x18, %0" : "=r"(teb));
#endif
    return teb;
}

const BYTE* GdiHandleTable()
{
    const BYTE* teb = ThreadBlock();
#ifdef _WIN64
    const BYTE* peb = *reinterpret_cast<const BYTE* const*>(teb + 0x60);
    return *reinterpret_cast<const BYTE* const*>(peb + 0xF8);
#else
    const LONG wowOffset = *reinterpret_cast<const LONG*>(teb + 0xFDC);
    if (wowOffset)
    {
        // A 32-bit process on 64-bit Wine: the 64-bit PEB holds the table.
        const BYTE* teb64 = teb + wowOffset;
        const ULONGLONG peb64 = *reinterpret_cast<const ULONGLONG*>(teb64 + 0x60);
        if (!peb64 || peb64 >= 0x100000000ULL)
            return nullptr;
        const ULONGLONG table = *reinterpret_cast<const ULONGLONG*>(static_cast<UINT_PTR>(peb64) + 0xF8);
        return table && table < 0x100000000ULL ? reinterpret_cast<const BYTE*>(static_cast<UINT_PTR>(table)) : nullptr;
    }
    const BYTE* peb = *reinterpret_cast<const BYTE* const*>(teb + 0x30);
    return *reinterpret_cast<const BYTE* const*>(peb + 0x94);
#endif
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    if (process == ::GetCurrentProcessId())
    {
        ++*reinterpret_cast<DWORD*>(count);
        ::EnumChildWindows(hwnd, CountWindow, count);
    }
    return TRUE;
}
}

DWORD GdiObjectCount()
{
    const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported)
        return reported;
    const BYTE* table = GdiHandleTable();
    if (!table)
        return 0;
    DWORD count = 0;
    for (size_t i = 0; i < 0x10000; ++i)
    {
        if (table[i * 24 + 14])
            ++count;
    }
    return count;
}

DWORD UserObjectCount()
{
    const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    if (reported)
        return reported;
    DWORD count = 0;
    ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

void Click(HWND window, POINT point)
{
    const LPARAM at = MAKELPARAM(point.x, point.y);
    ::PostMessageA(window, WM_LBUTTONUP, 0, at);
    ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PumpMessages();
}

POINT CentreOf(HWND window)
{
    RECT rect{};
    ::GetClientRect(window, &rect);
    return POINT{rect.right / 2, rect.bottom / 2};
}

std::string SaveScreenshot(HWND window, const std::string& name)
{
    char folder[MAX_PATH] = "";
    if (!::GetEnvironmentVariableA("QM_ARTIFACTS", folder, sizeof(folder)))
        return std::string();
    // The variable holds a Unix path; Wine shows the Unix root as drive Z.
    std::string path = std::string("Z:") + folder + "/" + name + ".bmp";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::string mkdir = std::string("Z:") + folder;
    for (char& c : mkdir)
        if (c == '/')
            c = '\\';
    ::CreateDirectoryA(mkdir.c_str(), nullptr);

    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    CClientDC screen(nullptr);
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(screen, width, height))
        return std::string();
    {
        CMemoryDC memory(screen);
        memory.Select(bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    header.biSizeImage = stride * static_cast<DWORD>(height);
    std::vector<BYTE> pixels(header.biSizeImage);
    if (!::GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                     reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS))
        return std::string();
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return std::string();
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&header, sizeof(header), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
    return path;
}

COLORREF ScreenPixel(HWND window, POINT point)
{
    ::ClientToScreen(window, &point);
    CClientDC screen(nullptr);
    return ::GetPixel(screen, point.x, point.y);
}

void WindowTest::SetUpTestSuite()
{
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&init);
}

void WindowTest::SetUp()
{
    ASSERT_TRUE(m_frame.CreateEx(0, nullptr, "Kit test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                 RECT{20, 20, 620, 460}, NULL, 0));
    m_app.SetMainWnd(&m_frame);
    ::SetForegroundWindow(m_frame);
    PumpMessages();
}

void WindowTest::TearDown()
{
    m_app.SetMainWnd(nullptr);
    m_frame.DestroyWindow();
    PumpMessages();
}
}
