#include "Client/Controls/DialogFontScaler.h"

#include <cmath>

#include "Framework/CClientDC.h"

namespace
{
int Scale(int units, int base, int divisor)
{
    return static_cast<int>(units * base / static_cast<double>(divisor) + 0.5);
}

// The child's rectangle in its parent's client area is place.
bool IsPlacedAt(HWND child, const RECT& place)
{
    RECT rect{};
    if (!::GetWindowRect(child, &rect))
        return false;
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return ::EqualRect(&rect, &place) != FALSE;
}

// The template's ids are 32 bits in an extended template and 16 in a plain
// one; the child's id is compared in the same width.
bool SameId(HWND child, DWORD itemId, bool extended)
{
    const DWORD childId = static_cast<DWORD>(::GetWindowLongPtrA(child, GWLP_ID));
    return extended ? childId == itemId : (childId & 0xFFFF) == (itemId & 0xFFFF);
}
}

void DialogFontScaler::Reset()
{
    m_templateId = 0;
    m_module = NULL;
    m_window = NULL;
    m_newFont.Close();
    m_oldFont = NULL;
}

DialogFontScaler::TemplateFont DialogFontScaler::ReadTemplateFont(const DialogTemplateWalker::Template& t)
{
    TemplateFont font;
    DialogTemplateWalker::Header header;
    if (DialogTemplateWalker::ReadHeader(t, &header))
        font.hasMenu = header.hasMenu;
    DialogTemplateWalker::FontInfo read;
    if (DialogTemplateWalker::ReadFont(t, &read) && read.present)
    {
        font.pointSize = read.pointSize;
        font.weight = read.weight;
        font.italic = read.italic != 0;
        font.faceName = read.faceName;
    }
    return font;
}

SIZE DialogFontScaler::MeasureFont(HDC dc, HFONT font)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    HGDIOBJ previous = ::SelectObject(dc, font);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, kLetters, 52, &extent);
    ::SelectObject(dc, previous);
    return SIZE{(extent.cx / 26 + 1) / 2, metrics.tmHeight};
}

template <class Visit>
void DialogFontScaler::ForEachMatchedChild(const DialogTemplateWalker::Template& t, Visit visit) const
{
    const bool extended = DialogTemplateWalker::IsExtended(t);
    const int count = DialogTemplateWalker::ItemCount(t);
    size_t item = DialogTemplateWalker::FirstItem(t);
    // Consecutive items may share an id (static texts are all -1), so each
    // search starts after the child the previous item took.
    HWND searchFrom = ::GetWindow(m_window, GW_CHILD);
    for (int i = 0; i < count && item; ++i)
    {
        DialogTemplateWalker::Item read;
        if (!DialogTemplateWalker::ReadItem(t, item, extended, &read))
            return;
        HWND child = searchFrom;
        while (child && !SameId(child, read.id, extended))
            child = ::GetWindow(child, GW_HWNDNEXT);
        if (!child)
            return;
        visit(child, read);
        searchFrom = ::GetWindow(child, GW_HWNDNEXT);
        item = DialogTemplateWalker::NextItem(t, item, extended);
    }
}

bool DialogFontScaler::Apply(HMODULE module, HWND window, int templateId, double pointsPerInch)
{
    const DialogTemplateWalker::Template t = DialogTemplateWalker::Load(module, templateId);
    if (!t.data || !window)
        return false;
    if (m_window)
        Restore();
    m_module = module;
    m_templateId = templateId;
    m_window = window;

    TemplateFont font = ReadTemplateFont(t);
    if (font.pointSize > 0x7FFF)
        font.pointSize = (-font.pointSize) & 0xFFFF;
    LOGFONTW description{};
    description.lfHeight = -static_cast<int>(font.pointSize * pointsPerInch / 72.0 + 0.5);
    description.lfWeight = font.weight;
    description.lfItalic = font.italic ? TRUE : FALSE;
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(description.lfFaceName, font.faceName.c_str(), LF_FACESIZE);
    m_newFont.CreateFontIndirectW(description);

    m_oldFont = reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0));
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(m_newFont.Get()), TRUE);

    const SIZE base = MeasureFont(CClientDC(window), m_newFont);

    ResizeDialog(t, font, base);
    // A dialog not on screen (one being made) is painted whole when it shows;
    // a child already where the font puts it (the dialog manager measured
    // the same font) is left there. Either saves a page a round of work per
    // control.
    const BOOL redraw = ::IsWindowVisible(window);
    ForEachMatchedChild(t, [&](HWND child, const DialogTemplateWalker::Item& item) {
        const RECT place{Scale(item.x, base.cx, 4), Scale(item.y, base.cy, 8),
                         Scale(item.x, base.cx, 4) + Scale(item.cx, base.cx, 4),
                         Scale(item.y, base.cy, 8) + Scale(item.cy, base.cy, 8)};
        if (!IsPlacedAt(child, place))
            ::MoveWindow(child, place.left, place.top, place.right - place.left, place.bottom - place.top, redraw);
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_newFont.Get()), redraw);
    });
    return true;
}

void DialogFontScaler::ResizeDialog(const DialogTemplateWalker::Template& t, const TemplateFont& font, SIZE base)
{
    DialogTemplateWalker::Header header;
    if (!DialogTemplateWalker::ReadHeader(t, &header))
        return;
    RECT frame{0, 0, Scale(header.cx, base.cx, 4), Scale(header.cy, base.cy, 8)};
    ::AdjustWindowRectEx(&frame, header.style, font.hasMenu, header.exStyle);

    // The client area keeps its top-left corner, in the parent's coordinates
    // (the screen's for a top-level dialog).
    POINT clientOrigin{0, 0};
    ::ClientToScreen(m_window, &clientOrigin);
    HWND parent = (::GetWindowLongPtrA(m_window, GWL_STYLE) & WS_CHILD) ? ::GetParent(m_window) : NULL;
    if (parent)
        ::ScreenToClient(parent, &clientOrigin);
    ::MoveWindow(m_window, clientOrigin.x + frame.left, clientOrigin.y + frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, TRUE);
}

void DialogFontScaler::Restore()
{
    if (!m_window)
        return;
    if (::IsWindow(m_window))
    {
        ::SendMessageA(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_oldFont), TRUE);
        const DialogTemplateWalker::Template t = DialogTemplateWalker::Load(m_module, m_templateId);
        if (t.data)
            ForEachMatchedChild(t, [&](HWND child, const DialogTemplateWalker::Item&) {
                ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_oldFont), TRUE);
            });
    }
    m_newFont.Close();
    m_window = NULL;
    m_oldFont = NULL;
}
