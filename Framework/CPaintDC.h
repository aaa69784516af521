#pragma once
#include "Framework/CDC.h"

// The device context of one WM_PAINT: BeginPaint to EndPaint.
class CPaintDC : public CDC
{
public:
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd) { m_hDC = ::BeginPaint(hwnd, &m_paint); }
    ~CPaintDC() override { ::EndPaint(m_hwnd, &m_paint); }
    const PAINTSTRUCT& Paint() const { return m_paint; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_paint{};
};
