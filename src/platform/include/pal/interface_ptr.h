// CInterfacePtr: owns one reference to a COM interface. Null is allowed
// everywhere; every operation releases what it replaces. The one smart pointer
// for interfaces of the whole project, above the platform layer as in it.
#pragma once

#include "pal/pal.h"

template <class T>
class CInterfacePtr {
public:
    CInterfacePtr() noexcept = default;
    // Takes a reference of its own on p.
    explicit CInterfacePtr(T* p) noexcept : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    CInterfacePtr(const CInterfacePtr& other) noexcept : CInterfacePtr(other.m_p) {}
    CInterfacePtr(CInterfacePtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ~CInterfacePtr() { Release(); }

    CInterfacePtr& operator=(const CInterfacePtr& other) noexcept
    {
        if (other.m_p)
            other.m_p->AddRef();
        Release();
        m_p = other.m_p;
        return *this;
    }
    CInterfacePtr& operator=(CInterfacePtr&& other) noexcept
    {
        if (this != &other) {
            Release();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }

    T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // Releases the interface and gives the address of the pointer, for an
    // [out] argument that fills it.
    T** Out() noexcept
    {
        Release();
        return &m_p;
    }
    // The same as an untyped [out] argument (QueryInterface, CoCreateInstance).
    void** OutVoid() noexcept { return reinterpret_cast<void**>(Out()); }

    // Gives the reference to the caller (an [out] argument of our own); this
    // is null afterwards.
    T* Detach() noexcept
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }

    void Release() noexcept
    {
        if (m_p) {
            T* p = m_p;
            m_p = nullptr;
            p->Release();
        }
    }

    // Asks object for the interface iid (which must be T's); a null object or
    // a failed query leaves this null.
    HRESULT QueryFrom(IUnknown* object, REFIID iid) noexcept
    {
        Release();
        if (!object)
            return E_POINTER;
        HRESULT hr = object->QueryInterface(iid, reinterpret_cast<void**>(&m_p));
        if (FAILED(hr))
            m_p = nullptr;
        return hr;
    }

private:
    T* m_p = nullptr;
};
