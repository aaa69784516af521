#pragma once
#include <windows.h>
#include <unknwn.h>

// Holds one reference to a COM interface and releases it.
template <class T>
class CComPtr
{
public:
    CComPtr() = default;
    ~CComPtr() { Release(); }

    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    CComPtr(CComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        if (this != &other)
        {
            Release();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }

    void Release()
    {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }

    // For calls that hand out a new reference (CoCreateInstance, QueryInterface).
    T** Receive()
    {
        Release();
        return &m_p;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    template <class Q>
    HRESULT QueryInterface(REFIID iid, CComPtr<Q>& out) const
    {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(iid, out.ReceiveVoid());
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};
