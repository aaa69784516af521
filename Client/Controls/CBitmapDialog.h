#pragma once
#include <memory>

#include "Client/Controls/DialogFontScaler.h"
#include "Framework/CBitmap.h"
#include "Framework/CDialog.h"

// Re-applies a dialog's template font.
constexpr UINT WM_REFONT = WM_USER + 1000;

// The base of every dialog and page of the program: a background bitmap
// painted on erase, an optional window region cut out of that bitmap by a
// colour key, transparent static controls, dragging by the client area, and
// the template font at 96 points per inch. Esc never closes a page, and
// Enter on a button presses it as Space would.
class CBitmapDialog : public CDialog
{
public:
    CBitmapDialog(UINT templateId, CWnd* parent, const char* bitmapName = nullptr, UINT bitmapId = 0,
                  int unused = 0, CBitmap* callerBitmap = nullptr);
    ~CBitmapDialog() override;

    // Each loader frees the previous bitmap first; 1 loaded, 0 not.
    int SetBitmap(UINT bitmapId);
    int SetBitmapByName(const char* resourceName, const char* filePath);
    // The caller keeps the bitmap, which must outlive its use here.
    void AttachBitmap(CBitmap* bitmap);
    int CopyBitmap(const CBitmap& source);
    void FreeBitmap();

    void SetTransparentColor(COLORREF key);
    void EnableRegion(int on);
    CBitmapDialog& SetTransparentStatics(int on);
    CBitmapDialog& EnableClientDrag(int on);
    void UpdateRegion();

    bool HasBitmap() const { return m_hasBitmap != 0; }
    const CBitmap* GetBitmap() const { return m_bitmap; }
    // The font of the template's pass; NULL where the dialog manager's own
    // font already was the template's (a screen at the template's scale).
    HFONT GetTemplateFont() const { return m_fontScaler.GetFont(); }

    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(HDC dc) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;
    void OnLButtonDown(UINT flags, POINT point) override;

private:
    // Takes a freshly made bitmap as the background.
    void TakeBitmap(std::unique_ptr<CBitmap> bitmap);
    void ApplyTemplateFont();
    static bool IsScreenAtTemplateScale();

    static constexpr double kTemplatePointsPerInch = 96.0;

    int m_regionOn = 0;
    int m_transparentStatics = 1;
    HBRUSH m_hollowBrush;
    COLORREF m_colourKey = 0;
    bool m_colourKeySet = false;
    int m_clientDrag = 0;
    int m_ownsBitmap = 0;
    int m_hasBitmap = 0;
    CBitmap* m_bitmap = nullptr;
    std::unique_ptr<CBitmap> m_ownedBitmap;
    int m_templateId;
    DialogFontScaler m_fontScaler;
};
