#pragma once
#include "Framework/CGdiObject.h"

// A bitmap: loaded from the program's resources or a file, or made to match
// a device context.
class CBitmap : public CGdiObject<HBITMAP>
{
public:
    CBitmap() = default;
    explicit CBitmap(HBITMAP bitmap) : CGdiObject(bitmap) {}

    bool LoadBitmap(UINT resourceId);
    bool LoadBitmap(const char* resourceName);
    // A device-independent section of the file's natural size.
    bool LoadFromFile(const char* path);
    bool CreateCompatibleBitmap(HDC dc, int width, int height);

    // Width and height in pixels; 0 x 0 without a bitmap.
    SIZE GetSize() const;
};
