#include "Client/Controls/CLabel.h"

#include "Framework/CBitmap.h"
#include "Framework/CMemoryDC.h"
#include "Framework/CPaintDC.h"
#include "Framework/CSelectObject.h"
#include "Framework/ShellCalls.h"

CLabel::CLabel() : m_textColour(::GetSysColor(COLOR_WINDOWTEXT))
{
    m_systemBrush.CreateSysColorBrush(COLOR_BTNFACE);
}

CLabel::~CLabel()
{
    if (m_hWnd && m_flashing)
        KillTimer(kFlashTimer);
}

void CLabel::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    HFONT font = GetFont();
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    ::GetObjectA(font, sizeof(m_fontDescription), &m_fontDescription);
    ReconstructFont();
}

void CLabel::ReconstructFont()
{
    m_font.CreateFontIndirect(m_fontDescription);
}

CLabel& CLabel::FontChanged()
{
    ReconstructFont();
    return Redrawn();
}

CLabel& CLabel::Redrawn()
{
    UpdateSurface();
    return *this;
}

void CLabel::UpdateSurface()
{
    // A label that is not on screen (it, or a window it sits in, is hidden)
    // is painted whole when it shows: painting it now, and the parent under
    // it, would only be painted over.
    if (!m_hWnd || !::IsWindowVisible(m_hWnd))
        return;
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    // A transparent label shows its parent: that part is painted anew.
    if (const HWND parent = MarkParentUnder())
        ::UpdateWindow(parent);
}

void CLabel::MarkSurface()
{
    if (!m_hWnd || !::IsWindowVisible(m_hWnd))
        return;
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    MarkParentUnder();
}

HWND CLabel::MarkParentUnder()
{
    const HWND parent = GetParentHwnd();
    if (!parent)
        return NULL;
    RECT rect = GetWindowRect();
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    ::InvalidateRect(parent, &rect, TRUE);
    return parent;
}

CLabel& CLabel::SetBkColor(COLORREF colour, COLORREF secondColour, int mode)
{
    m_backgroundColour = colour;
    m_secondColour = secondColour;
    m_backgroundMode = mode;
    m_backgroundBrush.DeleteObject();
    if (mode == 0)
        m_backgroundBrush.CreateSolidBrush(colour);
    return Redrawn();
}

CLabel& CLabel::SetTextColor(COLORREF colour)
{
    m_textColour = colour;
    return Redrawn();
}

CLabel& CLabel::SetText(const std::string& text)
{
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return *this;
    SetWindowText(text);
    return Redrawn();
}

CLabel& CLabel::SetTextDrawnLater(const std::string& text)
{
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return *this;
    SetWindowText(text);
    MarkSurface();
    return *this;
}

CLabel& CLabel::SetTextUndrawn(const std::string& text)
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        SetWindowText(text);
    return *this;
}

CLabel& CLabel::SetFontBold(bool bold)
{
    m_fontDescription.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    return FontChanged();
}

CLabel& CLabel::SetFontName(const std::string& faceName, BYTE charSet)
{
    m_fontDescription.lfCharSet = charSet;
    ::lstrcpynA(m_fontDescription.lfFaceName, faceName.c_str(), LF_FACESIZE);
    return FontChanged();
}

CLabel& CLabel::SetFontUnderline(bool on)
{
    m_fontDescription.lfUnderline = on ? TRUE : FALSE;
    return FontChanged();
}

CLabel& CLabel::SetFontItalic(bool on)
{
    m_fontDescription.lfItalic = on ? TRUE : FALSE;
    return FontChanged();
}

CLabel& CLabel::SetFontSize(int points)
{
    CFont sized;
    sized.CreatePointFont(points * 10, m_fontDescription.lfFaceName);
    LOGFONTA read{};
    if (sized.GetLogFont(&read))
    {
        m_fontDescription.lfHeight = read.lfHeight;
        m_fontDescription.lfWidth = read.lfWidth;
    }
    return FontChanged();
}

CLabel& CLabel::SetSunken(bool on)
{
    if (on)
        ModifyStyleEx(0, WS_EX_STATICEDGE, SWP_DRAWFRAME | SWP_FRAMECHANGED);
    else
        ModifyStyleEx(WS_EX_STATICEDGE, 0, SWP_DRAWFRAME | SWP_FRAMECHANGED);
    return *this;
}

CLabel& CLabel::SetBorder(bool on)
{
    if (on)
        ModifyStyle(0, WS_BORDER, SWP_DRAWFRAME | SWP_FRAMECHANGED);
    else
        ModifyStyle(WS_BORDER, 0, SWP_DRAWFRAME | SWP_FRAMECHANGED);
    return *this;
}

CLabel& CLabel::SetTransparent(bool on)
{
    m_transparent = on ? 1 : 0;
    ModifyStyleEx(0, WS_EX_TRANSPARENT);
    return Redrawn();
}

void CLabel::StopFlashTimer()
{
    if (m_flashing && m_hWnd)
        KillTimer(kFlashTimer);
    m_flashing = false;
}

void CLabel::StartFlashing(int mode)
{
    m_flashPhase = false;
    m_flashing = true;
    SetTimer(kFlashTimer, 500);
    m_flashMode = mode;
}

CLabel& CLabel::FlashText(bool on)
{
    StopFlashTimer();
    if (on)
        StartFlashing(kFlashText);
    else
        m_flashMode = kNoFlash;
    return Redrawn();
}

CLabel& CLabel::FlashBackground(bool on)
{
    StopFlashTimer();
    if (on)
        StartFlashing(kFlashBackground);
    return Redrawn();
}

CLabel& CLabel::SetLinkKind(int type, bool on, bool notify)
{
    m_linkType = on ? type : kNoLink;
    m_notify = notify ? 1 : 0;
    // A static hears clicks only with the notify style.
    if (on)
        ModifyStyle(0, SS_NOTIFY);
    else
        ModifyStyle(SS_NOTIFY, 0);
    return *this;
}

CLabel& CLabel::SetLink(bool on, bool notify)
{
    return SetLinkKind(kWebLink, on, notify);
}

CLabel& CLabel::SetMailLink(bool on, bool notify)
{
    return SetLinkKind(kMailLink, on, notify);
}

CLabel& CLabel::SetLinkCursor(HCURSOR cursor)
{
    m_linkCursor = cursor;
    return *this;
}

CLabel& CLabel::SetText3D(int mode, int raised)
{
    m_text3D = mode;
    m_text3DRaised = raised;
    return Redrawn();
}

CLabel& CLabel::SetRotationAngle(int degrees, bool rotated)
{
    m_fontDescription.lfEscapement = degrees * 10;
    m_fontDescription.lfOrientation = degrees * 10;
    m_rotated = rotated ? 1 : 0;
    return FontChanged();
}

CLabel& CLabel::SetText3DHiliteColor(COLORREF colour)
{
    m_highlightColour = colour;
    return Redrawn();
}

CLabel& CLabel::SetFont(const LOGFONTA& description)
{
    m_fontDescription = description;
    return FontChanged();
}

CLabel& CLabel::SetLinkUrl(const std::string& address)
{
    m_linkAddress = address;
    return *this;
}

CLabel& CLabel::SetHoverTarget(CLabel* target, const std::string& text)
{
    m_hoverTarget = target;
    m_hoverText = text;
    return *this;
}

void CLabel::OnTimer(UINT_PTR id)
{
    if (id == kFlashTimer)
    {
        m_flashPhase = !m_flashPhase;
        UpdateSurface();
    }
    CStatic::OnTimer(id);
}

void CLabel::OpenLink()
{
    if (m_linkType == kWebLink)
    {
        const std::string target = m_linkAddress.empty() ? GetWindowText() : m_linkAddress;
        ShellCalls::Execute(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    else if (m_linkType == kMailLink)
    {
        const std::string target = "mailto:" + GetWindowText();
        ShellCalls::Execute(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

void CLabel::OnLButtonDown(UINT flags, POINT point)
{
    if (m_notify)
    {
        NMHDR header{};
        header.hwndFrom = m_hWnd;
        header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        header.code = NM_LINKCLICK;
        ::SendMessageA(GetParentHwnd(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
    else
        OpenLink();
    CStatic::OnLButtonDown(flags, point);
}

BOOL CLabel::OnSetCursor(HWND window, UINT hitTest, UINT message)
{
    if (m_linkCursor)
    {
        ::SetCursor(m_linkCursor);
        return TRUE;
    }
    return CStatic::OnSetCursor(window, hitTest, message);
}

void CLabel::OnSysColorChange()
{
    m_systemBrush.CreateSysColorBrush(COLOR_BTNFACE);
    CStatic::OnSysColorChange();
}

BOOL CLabel::OnEraseBkgnd(HDC)
{
    return TRUE;
}

void CLabel::OnMouseMove(UINT flags, POINT point)
{
    if (!m_hoverText.empty() && m_hoverTarget)
        m_hoverTarget->SetText(m_hoverText);
    CStatic::OnMouseMove(flags, point);
}

UINT CLabel::TextFormat(const std::string& text) const
{
    const DWORD style = GetStyle();
    UINT format;
    switch (style & SS_TYPEMASK)
    {
    case SS_CENTER:
        format = DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        format = DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_LEFTNOWORDWRAP:
        format = DT_LEFT;
        break;
    default:
        format = DT_WORDBREAK;
        break;
    }
    if (text.find('\t') != std::string::npos)
        format |= DT_EXPANDTABS;
    if (style & SS_CENTERIMAGE)
    {
        format = DT_CENTER;
        if (text.find("\r\n") == std::string::npos)
            format |= DT_VCENTER | DT_SINGLELINE;
    }
    return format;
}

void CLabel::DrawGradient(HDC dc, const RECT& rect, COLORREF start, COLORREF end, int bands)
{
    const int width = rect.right - rect.left;
    if (width <= 0 || rect.bottom <= rect.top)
        return;
    if (bands > width)
        bands = width;
    if (bands < 1)
        bands = 1;
    const int divisor = bands < 2 ? 1 : bands;
    // 8.8 fixed point per channel.
    int r = GetRValue(start) << 8, g = GetGValue(start) << 8, b = GetBValue(start) << 8;
    const int stepR = (GetRValue(end) - GetRValue(start)) * 256 / divisor;
    const int stepG = (GetGValue(end) - GetGValue(start)) * 256 / divisor;
    const int stepB = (GetBValue(end) - GetBValue(start)) * 256 / divisor;
    const int bandWidth = width / bands;
    for (int band = 0; band < bands; ++band)
    {
        RECT part{rect.left + band * bandWidth, rect.top, rect.left + (band + 1) * bandWidth, rect.bottom};
        if (band == bands - 1)
            part.right = rect.right;
        CBrush brush(RGB(r >> 8, g >> 8, b >> 8));
        ::FillRect(dc, &part, brush);
        r += stepR;
        g += stepG;
        b += stepB;
    }
}

void CLabel::Paint(HDC dc, const RECT& client, const std::string& text)
{
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF colour = m_textColour;
    CSelectObject font(dc, m_font.IsValid() ? static_cast<HGDIOBJ>(m_font.Get()) : nullptr);

    if (!m_transparent)
    {
        if (m_backgroundMode)
            DrawGradient(dc, client, m_backgroundColour, m_secondColour, 100);
        else
            ::FillRect(dc, &client, m_backgroundBrush.IsValid() ? m_backgroundBrush.Get() : m_systemBrush.Get());
    }
    if (m_flashMode == kFlashText && !m_flashPhase)
    {
        LOGBRUSH brush{};
        colour = m_backgroundBrush.IsValid() && ::GetObjectA(m_backgroundBrush, sizeof(brush), &brush)
                     ? brush.lbColor
                     : RGB(0, 0, 0);
    }
    const COLORREF oldColour = ::SetTextColor(dc, colour);

    if (m_rotated)
    {
        const UINT oldAlign = ::SetTextAlign(dc, TA_BASELINE);
        POINT oldOrigin{};
        ::SetViewportOrgEx(dc, (client.right - client.left) / 2, (client.bottom - client.top) / 2, &oldOrigin);
        ::TextOutA(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
        ::SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
        ::SetTextAlign(dc, oldAlign);
    }
    else
    {
        const UINT format = TextFormat(text);
        RECT rect = client;
        ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
        if (m_text3D)
        {
            ::SetTextColor(dc, m_highlightColour);
            ::OffsetRect(&rect, m_text3DRaised ? 1 : -1, m_text3DRaised ? 1 : -1);
            ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
        }
    }
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
}

void CLabel::OnPaint()
{
    CPaintDC paint(m_hWnd);
    const RECT client = GetClientRect();
    const std::string text = GetWindowText();
    if (m_transparent)
    {
        Paint(paint, client, text);
        return;
    }
    CBitmap surface;
    surface.CreateCompatibleBitmap(paint, client.right, client.bottom);
    CMemoryDC memory(paint);
    memory.Select(surface);
    Paint(memory, client, text);
    ::BitBlt(paint, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
}
