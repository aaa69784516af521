#pragma once
#include "Framework/CGdiObject.h"

class CPen : public CGdiObject<HPEN>
{
public:
    CPen() = default;
    CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
    bool CreatePen(int style, int width, COLORREF colour)
    {
        Attach(::CreatePen(style, width, colour));
        return IsValid();
    }
};
