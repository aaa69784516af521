#pragma once
#include <windows.h>

// Owns one GDI object (bitmap, font, brush, pen, region) and deletes it.
// Detach hands the object to someone else, for instance to a window that
// takes a region over with SetWindowRgn.
template <class H>
class CGdiObject
{
public:
    CGdiObject() = default;
    explicit CGdiObject(H handle) : m_h(handle) {}
    ~CGdiObject() { DeleteObject(); }

    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept : m_h(other.Detach()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    void Attach(H handle)
    {
        DeleteObject();
        m_h = handle;
    }
    H Detach()
    {
        H handle = m_h;
        m_h = nullptr;
        return handle;
    }
    void DeleteObject()
    {
        if (m_h)
            ::DeleteObject(m_h);
        m_h = nullptr;
    }

    H Get() const { return m_h; }
    operator H() const { return m_h; }
    bool IsValid() const { return m_h != nullptr; }

protected:
    H m_h = nullptr;
};
