#pragma once
#include <windows.h>

// Owns one handle and frees it the way its kind is freed. Every holder of the
// framework is this template with a traits type:
//   using Handle = ...;                 the handle's type
//   static Handle Normalise(Handle);    folds every "no handle" value to Handle()
//   static void Free(Handle);           frees a handle that is not Handle()
template <class Traits>
class CUniqueHandle
{
public:
    using Handle = typename Traits::Handle;

    CUniqueHandle() = default;
    explicit CUniqueHandle(Handle h) : m_h(Traits::Normalise(h)) {}
    ~CUniqueHandle() { Close(); }

    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Detach()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    // Takes h over; the handle held before is freed (unless it is h itself).
    void Attach(Handle h)
    {
        h = Traits::Normalise(h);
        if (h != m_h)
            Close();
        m_h = h;
    }
    // Hands the handle to the caller, who frees it from now on.
    Handle Detach()
    {
        const Handle h = m_h;
        m_h = Handle();
        return h;
    }
    void Close()
    {
        if (m_h != Handle())
            Traits::Free(m_h);
        m_h = Handle();
    }
    // For calls that hand out a new handle through a pointer.
    Handle* Receive()
    {
        Close();
        return &m_h;
    }

    Handle Get() const { return m_h; }
    bool IsValid() const { return m_h != Handle(); }
    explicit operator bool() const { return IsValid(); }

protected:
    Handle m_h = Handle();
};

// Traits of a handle kind whose only "no handle" value is Handle() and that
// one function frees.
template <class H, auto FreeFunction>
struct FreedBy
{
    using Handle = H;
    static H Normalise(H h) { return h; }
    static void Free(H h) { FreeFunction(h); }
};

// Traits of a handle kind that also uses INVALID_HANDLE_VALUE for "none"
// (CreateFile, FindFirstFile, CreateToolhelp32Snapshot ...).
template <auto FreeFunction>
struct FreedByOrInvalid
{
    using Handle = HANDLE;
    static HANDLE Normalise(HANDLE h) { return h == INVALID_HANDLE_VALUE ? NULL : h; }
    static void Free(HANDLE h) { FreeFunction(h); }
};
