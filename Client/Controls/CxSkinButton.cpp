#include "Client/Controls/CxSkinButton.h"

#include <algorithm>
#include <set>
#include <vector>

#include "Client/Controls/BitmapPixels.h"
#include "Framework/CMemoryDC.h"
#include "Framework/CRgn.h"

namespace
{
int Signed16(int value)
{
    return static_cast<short>(value & 0xFFFF);
}
}

CxSkinButton::CxSkinButton() : m_textColour(::GetSysColor(COLOR_BTNTEXT)) {}

CxSkinButton::~CxSkinButton() = default;

void CxSkinButton::PreSubclassWindow()
{
    const DWORD style = GetStyle();
    if ((style & 3) == 3)
        m_checkMode = kCheckMode;
    else if ((style & 9) == 9)
        m_checkMode = kRadioMode;
    else
        m_checkMode = kPushMode;
    CButton::PreSubclassWindow();
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>((style & ~BS_TYPEMASK) | BS_OWNERDRAW));
}

void CxSkinButton::SetSkin(int normal, int pressed, int hover, int disabled, int focus, int mask, int drawMode,
                           int border, int margin)
{
    m_mask.DeleteObject();
    SetStateBitmap(m_normal, normal);
    SetStateBitmap(m_pressed, pressed);
    SetStateBitmap(m_hoverBitmap, hover);
    SetStateBitmap(m_focus, focus);
    SetStateBitmap(m_disabled, disabled ? disabled : normal);

    if (drawMode & 0x8000)
        m_drawMode = kDrawNormal;
    else if (Signed16(drawMode) > 1)
        m_drawMode = kDrawTile;
    else
        m_drawMode = drawMode;
    m_border = Signed16(border);
    m_margin = (margin & 0x8000) ? 0 : margin;

    if (!mask)
        return;
    m_mask.LoadBitmap(static_cast<UINT>(mask));
    if (m_hWnd)
    {
        CRgn region;
        region.Attach(CreateRegionFromBitmap(m_mask, RGB(255, 255, 255)));
        // Once set, the region is the window's: it is not deleted here.
        region.GiveToWindow(m_hWnd, true);
    }
    if (m_drawMode == kDrawNormal && m_hWnd)
    {
        const SIZE size = m_mask.GetSize();
        SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CxSkinButton::SetStateBitmap(StateBitmap& state, int id)
{
    state.bitmap.DeleteObject();
    state.id = id;
    state.loaded = false;
}

const CBitmap* CxSkinButton::Loaded(StateBitmap& state)
{
    if (!state.loaded)
    {
        state.loaded = true;
        if (state.id)
            state.bitmap.LoadBitmap(static_cast<UINT>(state.id));
    }
    return state.bitmap.IsValid() ? &state.bitmap : nullptr;
}

HRGN CxSkinButton::CreateRegionFromBitmap(HBITMAP bitmap, COLORREF key) const
{
    if (!bitmap)
        return nullptr;
    BITMAP info{};
    if (!::GetObjectA(bitmap, sizeof(info), &info))
        return nullptr;
    const int width = info.bmWidth;
    const int height = info.bmHeight;
    const std::vector<DWORD> pixels = BitmapPixels::Read(bitmap, width, height);
    if (pixels.empty())
        return nullptr;

    CRgn region;
    region.CreateRectRgn(0, 0, 0, 0);
    const DWORD keyPixel = BitmapPixels::FromColorRef(key);
    std::vector<RECT> runs;
    for (int y = 0; y < height; ++y)
    {
        const DWORD* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width;)
        {
            while (x < width && row[x] == keyPixel)
                ++x;
            const int start = x;
            while (x < width && row[x] != keyPixel)
                ++x;
            if (x > start)
                runs.push_back(RECT{start, y, x, y + 1});
        }
    }
    BitmapPixels::Unite(region, runs);
    return region.Detach();
}

LRESULT CxSkinButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case BM_GETCHECK:
        return m_checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        return OnSetCheck(wParam);
    case WM_SKINBUTTON_UNCHECK:
        if (m_checked)
        {
            m_checked = false;
            Invalidate();
        }
        return 0;
    case WM_MOUSELEAVE:
        m_hover = false;
        Invalidate();
        return 0;
    default:
        return CButton::WindowProc(message, wParam, lParam);
    }
}

LRESULT CxSkinButton::OnSetCheck(WPARAM check)
{
    m_checked = check != 0;
    if (m_checkMode == kPushMode)
        m_checked = false;
    if (m_checkMode == kRadioMode && check)
        UncheckRestOfGroup();
    Invalidate();
    return 0;
}

void CxSkinButton::UncheckRestOfGroup()
{
    HWND dialog = GetParentHwnd();
    if (!dialog)
        return;
    // The walk skips disabled and hidden controls, so from such a button it
    // never comes back here: it ends at any control it has met before.
    std::set<HWND> seen;
    for (HWND other = ::GetNextDlgGroupItem(dialog, m_hWnd, FALSE); other && other != m_hWnd;
         other = ::GetNextDlgGroupItem(dialog, other, FALSE))
    {
        if (!seen.insert(other).second)
            break;
        ::PostMessageA(other, WM_SKINBUTTON_UNCHECK, 0, 0);
    }
}

void CxSkinButton::RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_tooltip.IsWindow())
        return;
    MSG msg{m_hWnd, message, wParam, lParam, 0, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}};
    m_tooltip.RelayEvent(&msg);
}

bool CxSkinButton::IsUnderScreenPoint(POINT screenPoint) const
{
    return ::WindowFromPoint(screenPoint) == m_hWnd;
}

void CxSkinButton::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (m_checkMode != kPushMode && key == VK_SPACE)
    {
        if (m_checkMode == kCheckMode)
            SendMessage(BM_SETCHECK, m_checked ? 0 : 1);
        else
            SendMessage(BM_SETCHECK, 1);
    }
    CButton::OnKeyDown(key, repeat, flags);
}

void CxSkinButton::OnLButtonDown(UINT flags, POINT point)
{
    RelayToTooltip(WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));
    if (m_hover)
    {
        TRACKMOUSEEVENT track{sizeof(track), TME_CANCEL | TME_LEAVE, m_hWnd, 0};
        if (::TrackMouseEvent(&track))
            m_hover = false;
    }
    CButton::OnLButtonDown(flags, point);
    m_buttonDown = true;
}

void CxSkinButton::OnLButtonUp(UINT flags, POINT point)
{
    // Only a release that ends a press on this very button changes the check.
    if (m_checkMode != kPushMode && m_buttonDown)
    {
        POINT screen = point;
        ::ClientToScreen(m_hWnd, &screen);
        if (IsUnderScreenPoint(screen))
        {
            if (m_checkMode == kCheckMode)
                SendMessage(BM_SETCHECK, m_checked ? 0 : 1);
            else
                SendMessage(BM_SETCHECK, 1);
        }
    }
    RelayToTooltip(WM_LBUTTONUP, flags, MAKELPARAM(point.x, point.y));
    m_buttonDown = false;
    CButton::OnLButtonUp(flags, point);
}

void CxSkinButton::OnMouseMove(UINT flags, POINT point)
{
    RelayToTooltip(WM_MOUSEMOVE, flags, MAKELPARAM(point.x, point.y));
    if (m_buttonDown && ::GetCapture() == m_hWnd)
    {
        POINT screen = point;
        ::ClientToScreen(m_hWnd, &screen);
        const bool inside = IsUnderScreenPoint(screen);
        const bool pushed = (GetState() & BST_PUSHED) != 0;
        if (pushed != inside)
        {
            SetState(inside);
            Invalidate();
        }
    }
    else if (!m_hover)
    {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
        if (::TrackMouseEvent(&track))
        {
            m_hover = true;
            Invalidate();
        }
    }
    CButton::OnMouseMove(flags, point);
}

void CxSkinButton::OnLButtonDblClk(UINT flags, POINT point)
{
    SendMessage(WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));
}

void CxSkinButton::OnKillFocus(HWND newFocus)
{
    if (::GetCapture() == m_hWnd)
    {
        ::ReleaseCapture();
        m_buttonDown = false;
    }
    CButton::OnKillFocus(newFocus);
}

BOOL CxSkinButton::OnEraseBkgnd(HDC)
{
    return TRUE;
}

void CxSkinButton::FillFace(HDC dc, const RECT& rect) const
{
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
}

void CxSkinButton::DrawCaption(HDC dc, RECT rect, const std::string& text, COLORREF colour) const
{
    ::SetTextColor(dc, colour);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CxSkinButton::DrawBitmap(HDC dc, const RECT& rect, const CBitmap& bitmap) const
{
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    const SIZE size = bitmap.GetSize();
    if (size.cx <= 0 || size.cy <= 0)
        return;
    CMemoryDC source(dc);
    source.Select(bitmap);
    if (m_drawMode == kDrawTile)
    {
        for (int y = rect.top; y < rect.bottom; y += size.cy)
            for (int x = rect.left; x < rect.right; x += size.cx)
                ::BitBlt(dc, x, y, std::min<int>(size.cx, rect.right - x), std::min<int>(size.cy, rect.bottom - y),
                         source, 0, 0, SRCCOPY);
        return;
    }
    if (!m_mask.IsValid())
    {
        if (m_drawMode == kDrawStretch)
            ::StretchBlt(dc, rect.left, rect.top, w, h, source, 0, 0, size.cx, size.cy, SRCCOPY);
        else
            ::BitBlt(dc, rect.left, rect.top, w, h, source, 0, 0, SRCCOPY);
        return;
    }
    // Bitmap where the mask is black, the background where it is white.
    const SIZE maskSize = m_mask.GetSize();
    CMemoryDC maskDc(dc);
    maskDc.Select(m_mask);
    CBitmap compose;
    compose.CreateCompatibleBitmap(dc, w, h);
    CMemoryDC composeDc(dc);
    composeDc.Select(compose);
    ::BitBlt(composeDc, 0, 0, w, h, dc, rect.left, rect.top, SRCCOPY);
    if (m_drawMode == kDrawStretch)
    {
        ::StretchBlt(composeDc, 0, 0, w, h, source, 0, 0, size.cx, size.cy, SRCINVERT);
        ::StretchBlt(composeDc, 0, 0, w, h, maskDc, 0, 0, maskSize.cx, maskSize.cy, SRCAND);
        ::StretchBlt(composeDc, 0, 0, w, h, source, 0, 0, size.cx, size.cy, SRCINVERT);
    }
    else
    {
        ::BitBlt(composeDc, 0, 0, w, h, source, 0, 0, SRCINVERT);
        ::BitBlt(composeDc, 0, 0, w, h, maskDc, 0, 0, SRCAND);
        ::BitBlt(composeDc, 0, 0, w, h, source, 0, 0, SRCINVERT);
    }
    ::BitBlt(dc, rect.left, rect.top, w, h, composeDc, 0, 0, SRCCOPY);
}

void CxSkinButton::DrawItem(DRAWITEMSTRUCT* item)
{
    POINT cursor{};
    if (m_buttonDown && ::GetCapture() == m_hWnd && ::GetCursorPos(&cursor))
    {
        const bool pushed = (GetState() & BST_PUSHED) != 0;
        if (IsUnderScreenPoint(cursor))
        {
            if (!pushed)
            {
                SetState(true);
                return;
            }
        }
        else if (pushed)
        {
            SetState(false);
            return;
        }
    }

    HDC dc = item->hDC;
    const RECT& rect = item->rcItem;
    const std::string text = GetWindowText();
    RECT textRect = rect;
    textRect.left += m_margin + 2;
    textRect.right -= m_margin + 2;
    ::SetBkMode(dc, TRANSPARENT);
    RECT edge = rect;

    if (item->itemState & ODS_DISABLED)
    {
        if (const CBitmap* disabled = Loaded(m_disabled))
            DrawBitmap(dc, rect, *disabled);
        else
            FillFace(dc, rect);
        if (m_border)
            ::DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
        if (m_checked)
            ::OffsetRect(&textRect, 1, 1);
        DrawCaption(dc, textRect, text, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::OffsetRect(&textRect, -1, -1);
        DrawCaption(dc, textRect, text, ::GetSysColor(COLOR_GRAYTEXT));
        return;
    }

    if ((item->itemState & ODS_SELECTED) || m_checked)
    {
        if (const CBitmap* pressed = Loaded(m_pressed))
            DrawBitmap(dc, rect, *pressed);
        else
            FillFace(dc, rect);
        ::OffsetRect(&textRect, 1, 1);
        if (m_border)
            ::DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    }
    else
    {
        const CBitmap* normal = Loaded(m_normal);
        const CBitmap* hover = m_hover ? Loaded(m_hoverBitmap) : nullptr;
        const CBitmap* focus = (item->itemState & ODS_FOCUS) ? Loaded(m_focus) : nullptr;
        if (!normal)
            FillFace(dc, rect);
        else if (hover)
            DrawBitmap(dc, rect, *hover);
        else if (focus)
            DrawBitmap(dc, rect, *focus);
        else
            DrawBitmap(dc, rect, *normal);
        if (m_border)
            ::DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    }
    if ((item->itemState & ODS_FOCUS) && m_margin > 0)
    {
        RECT focus = rect;
        ::InflateRect(&focus, -m_margin, -m_margin);
        ::DrawFocusRect(dc, &focus);
    }
    DrawCaption(dc, textRect, text, m_textColour);
}
