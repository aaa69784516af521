#pragma once
#include <windows.h>

#include <vector>

#include "Framework/CRgn.h"

// Reading a bitmap's pixels and building regions from runs of them, shared
// by the skinned controls that cut their windows out of bitmaps.
namespace BitmapPixels
{
// The pixels as 0x00RRGGBB, top row first; empty when they cannot be read.
std::vector<DWORD> Read(HBITMAP bitmap, int width, int height);
// The pixel value Read gives for a colour reference.
inline DWORD FromColorRef(COLORREF colour)
{
    return (static_cast<DWORD>(GetRValue(colour)) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}
// region |= the union of rects, in one region operation.
void Unite(CRgn& region, const std::vector<RECT>& rects);
}
