#include "Client/Controls/CBitmapDialog.h"

#include <algorithm>
#include <vector>

#include "Client/Controls/BitmapPixels.h"
#include "Framework/CClientDC.h"
#include "Framework/CMemoryDC.h"
#include "Framework/CRgn.h"
#include "Framework/CWinApp.h"

namespace
{
bool IsKeyboardMessage(UINT message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR;
}

}

CBitmapDialog::CBitmapDialog(UINT templateId, CWnd* parent, const char* bitmapName, UINT bitmapId, int,
                             CBitmap* callerBitmap)
    : CDialog(templateId, parent),
      m_hollowBrush(static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH))),
      m_templateId(static_cast<int>(templateId))
{
    m_fontScaler.Reset();
    if (bitmapName)
        SetBitmapByName(bitmapName, nullptr);
    else if (bitmapId)
        SetBitmap(bitmapId);
    else if (callerBitmap)
        AttachBitmap(callerBitmap);
}

CBitmapDialog::~CBitmapDialog()
{
    FreeBitmap();
}

void CBitmapDialog::TakeBitmap(std::unique_ptr<CBitmap> bitmap)
{
    m_ownedBitmap = std::move(bitmap);
    m_bitmap = m_ownedBitmap.get();
    m_ownsBitmap = 1;
    m_hasBitmap = 1;
    UpdateRegion();
}

int CBitmapDialog::SetBitmap(UINT bitmapId)
{
    FreeBitmap();
    auto bitmap = std::make_unique<CBitmap>();
    if (!bitmap->LoadBitmap(bitmapId))
        return 0;
    TakeBitmap(std::move(bitmap));
    return 1;
}

int CBitmapDialog::SetBitmapByName(const char* resourceName, const char* filePath)
{
    FreeBitmap();
    if (resourceName)
    {
        auto bitmap = std::make_unique<CBitmap>();
        if (!bitmap->LoadBitmap(resourceName))
            return 0;
        TakeBitmap(std::move(bitmap));
        return 1;
    }
    // The file's section is copied into a bitmap of the screen's format and
    // then let go.
    CBitmap loaded;
    if (!filePath || !loaded.LoadFromFile(filePath))
        return 0;
    return CopyBitmap(loaded);
}

void CBitmapDialog::AttachBitmap(CBitmap* bitmap)
{
    FreeBitmap();
    if (!bitmap)
        return;
    m_bitmap = bitmap;
    m_hasBitmap = 1;
    UpdateRegion();
}

int CBitmapDialog::CopyBitmap(const CBitmap& source)
{
    FreeBitmap();
    const SIZE size = source.GetSize();
    CMemoryDC sourceDc;
    sourceDc.Select(source);
    auto copy = std::make_unique<CBitmap>();
    if (!copy->CreateCompatibleBitmap(sourceDc, size.cx, size.cy))
        return 0;
    {
        CMemoryDC copyDc;
        copyDc.Select(*copy);
        copyDc.BitBlt(0, 0, size.cx, size.cy, sourceDc, 0, 0, SRCCOPY);
    }
    sourceDc.RestoreSelection();
    TakeBitmap(std::move(copy));
    return 1;
}

void CBitmapDialog::FreeBitmap()
{
    if (m_ownsBitmap)
    {
        m_ownedBitmap.reset();
        m_ownsBitmap = 0;
    }
    m_bitmap = nullptr;
    m_hasBitmap = 0;
}

void CBitmapDialog::SetTransparentColor(COLORREF key)
{
    m_colourKey = key;
    m_colourKeySet = true;
    UpdateRegion();
}

void CBitmapDialog::EnableRegion(int on)
{
    const bool wasOn = m_regionOn != 0;
    m_regionOn = on;
    if (wasOn && !on && m_hWnd)
        ::SetWindowRgn(m_hWnd, nullptr, TRUE);  // back to the plain rectangle
    UpdateRegion();
}

CBitmapDialog& CBitmapDialog::SetTransparentStatics(int on)
{
    m_transparentStatics = on;
    return *this;
}

CBitmapDialog& CBitmapDialog::EnableClientDrag(int on)
{
    m_clientDrag = on;
    return *this;
}

void CBitmapDialog::UpdateRegion()
{
    if (!m_regionOn || !m_hasBitmap || !m_bitmap || !m_colourKeySet || !m_hWnd)
        return;

    // Window and client rectangles in the window's own coordinates.
    RECT window = GetWindowRect();
    RECT client = GetClientRect();
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    ::OffsetRect(&client, -window.left, -window.top);
    ::OffsetRect(&window, -window.left, -window.top);

    CRgn region;
    region.CreateRectRgn(window.left, window.top, window.right, window.bottom);
    CRgn clientArea;
    clientArea.CreateRectRgn(client.left, client.top, client.right, client.bottom);
    region.CombineRgn(region, clientArea, RGN_XOR);

    const SIZE bitmapSize = m_bitmap->GetSize();
    const int width = std::min<int>(bitmapSize.cx, client.right - client.left);
    const int height = std::min<int>(bitmapSize.cy, client.bottom - client.top);
    if (width > 0 && height > 0)
    {
        const std::vector<DWORD> pixels = BitmapPixels::Read(*m_bitmap, bitmapSize.cx, bitmapSize.cy);
        const DWORD key = BitmapPixels::FromColorRef(m_colourKey);
        std::vector<RECT> runs;
        for (int y = 0; y < height && !pixels.empty(); ++y)
        {
            const DWORD* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(bitmapSize.cx);
            int start = 0;
            for (int x = 0; x < width; ++x)
            {
                if (row[x] != key)
                    continue;
                if (start != x)
                    runs.push_back(RECT{client.left + start, client.top + y, client.left + x, client.top + y + 1});
                start = x + 1;
            }
            if (start != width)
                runs.push_back(RECT{client.left + start, client.top + y, client.left + width, client.top + y + 1});
            if (runs.size() >= 2000)
            {
                BitmapPixels::Unite(region, runs);
                runs.clear();
            }
        }
        BitmapPixels::Unite(region, runs);
    }
    // From here the window owns the region.
    region.GiveToWindow(m_hWnd, true);
}

BOOL CBitmapDialog::PreTranslateMessage(MSG* msg)
{
    if (IsKeyboardMessage(msg->message))
    {
        if (msg->wParam == VK_ESCAPE)
            return TRUE;
        if (msg->wParam == VK_RETURN)
            msg->wParam = VK_SPACE;
    }
    return CDialog::PreTranslateMessage(msg);
}

void CBitmapDialog::ApplyTemplateFont()
{
    m_fontScaler.Apply(CWinApp::ResourceInstance(), m_hWnd, m_templateId, kTemplatePointsPerInch);
}

bool CBitmapDialog::IsScreenAtTemplateScale()
{
    const CClientDC screen(NULL);
    const int pointsPerInch = screen.IsValid() ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    return pointsPerInch == static_cast<int>(kTemplatePointsPerInch);
}

BOOL CBitmapDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    // At the template's scale the dialog manager has already made the
    // template's font and placed every control in its units: the pass
    // would change nothing, at a round of work per control.
    if (!IsScreenAtTemplateScale())
        ApplyTemplateFont();
    return TRUE;
}

LRESULT CBitmapDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_REFONT)
    {
        ApplyTemplateFont();
        return 1;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

BOOL CBitmapDialog::OnEraseBkgnd(HDC dc)
{
    if (!m_hasBitmap || !m_bitmap)
        return CDialog::OnEraseBkgnd(dc);
    const RECT client = GetClientRect();
    const SIZE size = m_bitmap->GetSize();
    CMemoryDC memory(dc);
    memory.Select(*m_bitmap);
    const int width = std::min<int>(size.cx, client.right);
    const int height = std::min<int>(size.cy, client.bottom);
    ::BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    return TRUE;
}

HBRUSH CBitmapDialog::OnCtlColor(HDC dc, HWND control, UINT controlType)
{
    const HBRUSH brush = CDialog::OnCtlColor(dc, control, controlType);
    if (m_transparentStatics && controlType == CTLCOLOR_STATIC)
    {
        ::SetBkMode(dc, TRANSPARENT);
        return m_hollowBrush;
    }
    return brush;
}

void CBitmapDialog::OnLButtonDown(UINT flags, POINT point)
{
    CDialog::OnLButtonDown(flags, point);
    if (m_clientDrag)
        PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}
