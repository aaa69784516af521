#include "Client/Controls/BitmapPixels.h"

#include <algorithm>

#include "Framework/CMemoryDC.h"

namespace BitmapPixels
{
std::vector<DWORD> Read(HBITMAP bitmap, int width, int height)
{
    if (!bitmap || width <= 0 || height <= 0)
        return {};
    std::vector<DWORD> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    CMemoryDC dc;
    if (!::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS))
        return {};
    for (DWORD& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}

void Unite(CRgn& region, const std::vector<RECT>& rects)
{
    if (rects.empty())
        return;
    std::vector<BYTE> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    RECT bounds = rects.front();
    for (const RECT& r : rects)
    {
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    data->rdh.rcBound = bounds;
    std::copy(rects.begin(), rects.end(), reinterpret_cast<RECT*>(data->Buffer));
    CRgn batch;
    batch.Attach(::ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data));
    if (batch.IsValid())
        region.CombineRgn(region, batch, RGN_OR);
}
}
