#pragma once
#include <windows.h>
#include <unknwn.h>

#include "Framework/CUniqueHandle.h"

template <class T>
struct ComReferenceTraits
{
    using Handle = T*;
    static T* Normalise(T* p) { return p; }
    static void Free(T* p) { p->Release(); }
};

// Holds one reference to a COM interface and releases it. Receive serves the
// calls that hand out a new reference (CoCreateInstance, QueryInterface).
template <class T>
class CComPtr : public CUniqueHandle<ComReferenceTraits<T>>
{
public:
    void Release() { this->Close(); }
    // Takes over one reference; a second reference to the object already held
    // is given back at once.
    void Attach(T* p)
    {
        if (p && p == this->m_h)
            p->Release();
        else
            CUniqueHandle<ComReferenceTraits<T>>::Attach(p);
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(this->Receive()); }
    template <class Q>
    HRESULT QueryInterface(REFIID iid, CComPtr<Q>& out) const
    {
        return this->m_h ? this->m_h->QueryInterface(iid, out.ReceiveVoid()) : E_POINTER;
    }
    T* operator->() const { return this->m_h; }
};
