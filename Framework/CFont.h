#pragma once
#include "Framework/CGdiObject.h"

class CFont : public CGdiObject<HFONT>
{
public:
    bool CreateFontIndirect(const LOGFONTA& description);
    bool CreateFontIndirectW(const LOGFONTW& description);
    // A font of tenthsOfPoint / 10 points at the screen's resolution.
    bool CreatePointFont(int tenthsOfPoint, const char* faceName);
    // The description of this font; false without one.
    bool GetLogFont(LOGFONTA* description) const;
};
