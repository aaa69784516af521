#pragma once
#include <windows.h>

#include <string>

#include "Framework/DialogTemplateWalker.h"
#include "Framework/CFont.h"

// Shows one dialog in the font of its template at a fixed number of points
// per inch, whatever the system's font scaling: the font is made from the
// template, given to the dialog and its controls, and the dialog and its
// controls are laid out again from the template's dialog units with the base
// units of that font. Restore gives the dialog its former font back.
class DialogFontScaler
{
public:
    struct TemplateFont
    {
        int pointSize = 8;
        bool hasMenu = false;
        int weight = 400;
        bool italic = false;
        std::wstring faceName = L"Tahoma";
    };

    DialogFontScaler() = default;
    ~DialogFontScaler() { Restore(); }
    DialogFontScaler(const DialogFontScaler&) = delete;
    DialogFontScaler& operator=(const DialogFontScaler&) = delete;

    void Reset();
    // True when the template was found and applied; a template that cannot be
    // found or locked changes nothing.
    bool Apply(HMODULE module, HWND window, int templateId, double pointsPerInch);
    void Restore();

    static TemplateFont ReadTemplateFont(const DialogTemplateWalker::Template& dialogTemplate);
    // Average character width and height of font in dc, as dialog base units.
    static SIZE MeasureFont(HDC dc, HFONT font);

    HFONT GetFont() const { return m_newFont; }
    HWND GetWindow() const { return m_window; }

private:
    void ResizeDialog(const DialogTemplateWalker::Template& t, const TemplateFont& font, SIZE base);
    // Visits the child matched to each template item, in template order,
    // until an item finds no child.
    template <class Visit>
    void ForEachMatchedChild(const DialogTemplateWalker::Template& t, Visit visit) const;

    int m_templateId = 0;
    HMODULE m_module = NULL;
    HWND m_window = NULL;
    CFont m_newFont;
    HFONT m_oldFont = NULL;
};
