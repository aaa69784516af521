#pragma once
#include "Framework/CDC.h"

// A memory device context compatible with another (NULL = the screen).
// Whatever was selected into it is put back before it is deleted, so the
// objects selected stay the caller's and are never deleted while selected.
class CMemoryDC : public CDC
{
public:
    explicit CMemoryDC(HDC compatibleWith = NULL);
    ~CMemoryDC() override;

    // Selects a bitmap (or other object) and remembers the first object it
    // replaced, which the destructor puts back.
    HGDIOBJ Select(HGDIOBJ object);
    void RestoreSelection();

private:
    HGDIOBJ m_firstBitmap = nullptr;
    HGDIOBJ m_firstFont = nullptr;
    HGDIOBJ m_firstBrush = nullptr;
    HGDIOBJ m_firstPen = nullptr;
};
