#pragma once
#include <windows.h>

#include <string>

// A device context the object does not own, with the drawing calls the
// program uses. The owning kinds derive from it.
class CDC
{
public:
    CDC() = default;
    explicit CDC(HDC dc) : m_hDC(dc) {}
    virtual ~CDC() = default;

    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC Get() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    bool IsValid() const { return m_hDC != NULL; }

    void FillSolidRect(const RECT& rect, COLORREF colour) const;
    void FillRect(const RECT& rect, HBRUSH brush) const { ::FillRect(m_hDC, &rect, brush); }
    bool BitBlt(int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop = SRCCOPY) const
    {
        return ::BitBlt(m_hDC, x, y, width, height, source, sourceX, sourceY, rop) != FALSE;
    }
    bool StretchBlt(int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                    int sourceHeight, DWORD rop = SRCCOPY) const
    {
        return ::StretchBlt(m_hDC, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, rop) !=
               FALSE;
    }
    int DrawText(const std::string& text, RECT& rect, UINT format) const
    {
        return ::DrawTextA(m_hDC, text.c_str(), static_cast<int>(text.size()), &rect, format);
    }
    COLORREF SetTextColor(COLORREF colour) const { return ::SetTextColor(m_hDC, colour); }
    int SetBkMode(int mode) const { return ::SetBkMode(m_hDC, mode); }

protected:
    HDC m_hDC = NULL;
};
