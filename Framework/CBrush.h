#pragma once
#include "Framework/CGdiObject.h"

class CBrush : public CGdiObject<HBRUSH>
{
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    bool CreateSolidBrush(COLORREF colour)
    {
        Attach(::CreateSolidBrush(colour));
        return IsValid();
    }
    bool CreateSysColorBrush(int index)
    {
        return CreateSolidBrush(::GetSysColor(index));
    }
};
