#pragma once
#include "Framework/CUniqueHandle.h"

// One GDI object (bitmap, font, brush, pen, region), deleted by DeleteObject.
// Detach hands the object to someone else, for instance to a window that
// takes a region over with SetWindowRgn.
template <class H>
class CGdiObject : public CUniqueHandle<FreedBy<H, &::DeleteObject>>
{
public:
    using CUniqueHandle<FreedBy<H, &::DeleteObject>>::CUniqueHandle;
    void DeleteObject() { this->Close(); }
    operator H() const { return this->m_h; }
};
