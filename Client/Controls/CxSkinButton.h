#pragma once
#include "Framework/CBitmap.h"
#include "Framework/CButton.h"
#include "Framework/CToolTipCtrl.h"

// Posted to the other buttons of a radio group when one of them is checked.
constexpr UINT WM_SKINBUTTON_UNCHECK = WM_USER + 256;

// The owner-drawn bitmap button of every page. It paints itself from up to
// five state bitmaps and an optional mask that shapes the window, and keeps
// its own check state, so a template check box or radio button goes on
// working once it is owner-drawn.
class CxSkinButton : public CButton
{
public:
    enum CheckMode
    {
        kPushMode = 0,
        kCheckMode = 2,
        kRadioMode = 4
    };
    enum DrawMode
    {
        kDrawNormal = 0,  // 1:1, and the window takes the mask's size
        kDrawStretch = 1,
        kDrawTile = 2
    };

    CxSkinButton();
    ~CxSkinButton() override;

    // Bitmap ids, 0 = none; a disabled id 0 falls back to the normal bitmap.
    void SetSkin(int normal, int pressed, int hover, int disabled, int focus, int mask, int drawMode, int border,
                 int margin);
    void SetTextColor(COLORREF colour) { m_textColour = colour; }

    int GetCheckMode() const { return m_checkMode; }
    bool GetCheckState() const { return m_checked; }
    bool IsHovering() const { return m_hover; }
    int GetDrawMode() const { return m_drawMode; }
    int GetMargin() const { return m_margin; }
    int GetBorder() const { return m_border; }

    // Runs of pixels that differ from key, as a region; null without a bitmap.
    HRGN CreateRegionFromBitmap(HBITMAP bitmap, COLORREF key) const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void PreSubclassWindow() override;
    void DrawItem(DRAWITEMSTRUCT* item) override;
    BOOL OnEraseBkgnd(HDC dc) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnKillFocus(HWND newFocus) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;

private:
    LRESULT OnSetCheck(WPARAM check);
    void UncheckRestOfGroup();
    void RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam);
    bool IsUnderScreenPoint(POINT screenPoint) const;
    void DrawBitmap(HDC dc, const RECT& rect, const CBitmap& bitmap) const;

    // One state's bitmap, loaded the first time the button is drawn in that
    // state: most buttons are only ever drawn in one or two of their states,
    // and a page that loaded them all was slower to make.
    struct StateBitmap
    {
        int id = 0;
        bool loaded = false;
        CBitmap bitmap;
    };
    static void SetStateBitmap(StateBitmap& state, int id);
    // The state's bitmap, loaded now if it was not yet; nullptr when the
    // state has none.
    static const CBitmap* Loaded(StateBitmap& state);
    void FillFace(HDC dc, const RECT& rect) const;
    void DrawCaption(HDC dc, RECT rect, const std::string& text, COLORREF colour) const;

    bool m_checked = false;
    int m_checkMode = kPushMode;
    bool m_hover = false;
    bool m_buttonDown = false;
    CToolTipCtrl m_tooltip;
    StateBitmap m_normal, m_pressed, m_disabled, m_hoverBitmap, m_focus;
    CBitmap m_mask;
    int m_margin = 0;
    COLORREF m_textColour;
    int m_border = 0;
    int m_drawMode = kDrawStretch;
};
