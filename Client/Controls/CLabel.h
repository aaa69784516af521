#pragma once
#include <string>

#include "Framework/CBrush.h"
#include "Framework/CFont.h"
#include "Framework/CStatic.h"

// Sent to the parent (WM_NOTIFY) when a label in notify mode is clicked.
constexpr UINT NM_LINKCLICK = 0x8200;

// The owner-painted text control of every page: its own font, colours and
// background (solid, gradient or none), 3-D or rotated text, flashing on a
// 500 ms timer, a web or mail link, a cursor of its own and a hover text for
// another label. Every setter returns the label, so calls can be chained.
class CLabel : public CStatic
{
public:
    enum LinkType
    {
        kNoLink = 0,
        kWebLink = 1,
        kMailLink = 2
    };
    enum FlashMode
    {
        kNoFlash = 0,
        kFlashText = 1,
        kFlashBackground = 2
    };
    static constexpr UINT_PTR kFlashTimer = 1;

    CLabel();
    ~CLabel() override;

    using CWnd::SetFont;

    virtual CLabel& SetBkColor(COLORREF colour, COLORREF secondColour = 0, int mode = 0);
    virtual CLabel& SetTextColor(COLORREF colour);
    virtual CLabel& SetText(const std::string& text);
    // As SetText, but not drawn now: for a page that changes tens of labels
    // at once, which drawn one by one (each with the page behind it) would
    // hold its window that long. The page then redraws itself and its
    // children once.
    CLabel& SetTextUndrawn(const std::string& text);
    // As SetText, but the label and its parent under it are drawn as the
    // window gets to them, the parent first, not in this message.
    CLabel& SetTextDrawnLater(const std::string& text);
    virtual CLabel& SetFontBold(bool bold);
    virtual CLabel& SetFontName(const std::string& faceName, BYTE charSet = DEFAULT_CHARSET);
    virtual CLabel& SetFontUnderline(bool on);
    virtual CLabel& SetFontItalic(bool on);
    virtual CLabel& SetFontSize(int points);
    virtual CLabel& SetSunken(bool on);
    virtual CLabel& SetBorder(bool on);
    virtual CLabel& SetTransparent(bool on);
    virtual CLabel& FlashText(bool on);
    virtual CLabel& FlashBackground(bool on);
    virtual CLabel& SetLink(bool on, bool notify);
    virtual CLabel& SetLinkCursor(HCURSOR cursor);
    virtual CLabel& SetText3D(int mode, int raised);
    virtual CLabel& SetRotationAngle(int degrees, bool rotated);
    virtual CLabel& SetText3DHiliteColor(COLORREF colour);
    virtual CLabel& SetFont(const LOGFONTA& description);
    virtual CLabel& SetMailLink(bool on, bool notify);
    virtual CLabel& SetLinkUrl(const std::string& address);
    virtual CLabel& SetHoverTarget(CLabel* target, const std::string& text);

    const LOGFONTA& GetFontDescription() const { return m_fontDescription; }
    HFONT GetLabelFont() const { return m_font; }
    COLORREF GetTextColor() const { return m_textColour; }
    bool GetFlashPhase() const { return m_flashPhase; }
    bool IsFlashing() const { return m_flashing; }
    int GetFlashMode() const { return m_flashMode; }
    int GetLinkType() const { return m_linkType; }
    bool HasBackgroundBrush() const { return m_backgroundBrush.IsValid(); }

    // A gradient from start to end in up to bands bands; nothing for an
    // empty rectangle.
    static void DrawGradient(HDC dc, const RECT& rect, COLORREF start, COLORREF end, int bands = 100);

protected:
    void PreSubclassWindow() override;
    void OnTimer(UINT_PTR id) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message) override;
    void OnSysColorChange() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC dc) override;
    void OnMouseMove(UINT flags, POINT point) override;

private:
    void ReconstructFont();
    void UpdateSurface();
    void MarkSurface();
    HWND MarkParentUnder();
    // The tails of the setters: rebuild the font and redraw, or only redraw.
    CLabel& FontChanged();
    CLabel& Redrawn();
    CLabel& SetLinkKind(int type, bool on, bool notify);
    void StartFlashing(int mode);
    void StopFlashTimer();
    void OpenLink();
    void Paint(HDC dc, const RECT& client, const std::string& text);
    UINT TextFormat(const std::string& text) const;

    COLORREF m_textColour;
    COLORREF m_highlightColour = RGB(255, 255, 255);
    CBrush m_systemBrush;
    CBrush m_backgroundBrush;
    LOGFONTA m_fontDescription{};
    CFont m_font;
    bool m_flashPhase = false;
    bool m_flashing = false;
    int m_linkType = kNoLink;
    int m_transparent = 0;
    int m_text3D = 0;
    int m_notify = 0;
    int m_rotated = 0;
    int m_flashMode = kNoFlash;
    HCURSOR m_linkCursor = NULL;
    int m_text3DRaised = 0;
    int m_backgroundMode = 0;
    COLORREF m_secondColour = 0;
    COLORREF m_backgroundColour = 0;
    std::string m_linkAddress;
    std::string m_hoverText;
    CLabel* m_hoverTarget = nullptr;
};
