#pragma once
#include <windows.h>

// Owns one kernel handle (thread, event, file, mapping ...) and closes it.
// Both NULL and INVALID_HANDLE_VALUE mean "no handle".
class CHandle
{
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) : m_h(Normalise(h)) {}
    ~CHandle() { Close(); }

    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(other.Detach()) {}
    CHandle& operator=(CHandle&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    void Attach(HANDLE h)
    {
        Close();
        m_h = Normalise(h);
    }
    HANDLE Detach()
    {
        HANDLE h = m_h;
        m_h = NULL;
        return h;
    }
    void Close()
    {
        if (m_h)
            ::CloseHandle(m_h);
        m_h = NULL;
    }

    HANDLE Get() const { return m_h; }
    bool IsValid() const { return m_h != NULL; }
    explicit operator bool() const { return IsValid(); }

private:
    static HANDLE Normalise(HANDLE h) { return h == INVALID_HANDLE_VALUE ? NULL : h; }
    HANDLE m_h = NULL;
};
