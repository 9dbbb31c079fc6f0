// Reference counting and QueryInterface for the project's own COM objects.
//
// An object derives from CComObject<Self, Interfaces...>, which derives from
// every listed interface and implements IUnknown once for all of them, and
// names the interfaces it answers in a table:
//
//     class CErrorInfo final : public CComObject<CErrorInfo, IErrorInfo, ICreateErrorInfo> {
//     public:
//         static const ComInterfaceEntry* InterfaceTable()
//         {
//             static const ComInterfaceEntry table[] = {
//                 ComEntry<CErrorInfo, IUnknown, IErrorInfo>(IID_IUnknown),
//                 ComEntry<CErrorInfo, IErrorInfo>(IID_IErrorInfo),
//                 ComEntry<CErrorInfo, ICreateErrorInfo>(IID_ICreateErrorInfo),
//                 ComTableEnd(),
//             };
//             return table;
//         }
//         ...
//     };
//
// ComEntry<Self, I, Via> hands out the object as I, reached through Via where
// the plain cast would be ambiguous (IUnknown and IDispatch of an object with
// several interfaces). The reference count starts at 0: whoever creates the
// object queries it for its first interface (or makes it with NewComObject,
// which adds the first reference), and the last Release deletes it.
// The count is atomic, so an object may be released on another thread than the
// one that made it.
#pragma once

#include <atomic>
#include <new>
#include <utility>

#include "pal/pal.h"

struct ComInterfaceEntry {
    const IID* iid;
    void* (*cast)(void* self);
};

template <class Self, class Interface, class Via = Interface>
void* ComCastTo(void* self)
{
    return static_cast<Interface*>(static_cast<Via*>(static_cast<Self*>(self)));
}

template <class Self, class Interface, class Via = Interface>
constexpr ComInterfaceEntry ComEntry(REFIID iid)
{
    return ComInterfaceEntry{&iid, &ComCastTo<Self, Interface, Via>};
}

constexpr ComInterfaceEntry ComTableEnd() { return ComInterfaceEntry{nullptr, nullptr}; }

// The interface of the table's entry for riid, or null when the table has none.
inline void* FindComInterface(void* self, const ComInterfaceEntry* table, REFIID riid)
{
    for (; table->iid; ++table) {
        if (IsEqualIID(*table->iid, riid))
            return table->cast(self);
    }
    return nullptr;
}

// QueryInterface over a table: the interface with one reference added, or
// E_NOINTERFACE (and null) when the table does not list riid.
inline HRESULT QueryComInterface(void* self, const ComInterfaceEntry* table, REFIID riid, void** ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = FindComInterface(self, table, riid);
    if (!*ppvObject)
        return E_NOINTERFACE;
    static_cast<IUnknown*>(*ppvObject)->AddRef();
    return S_OK;
}

template <class Self, class... Interfaces>
class CComObject : public Interfaces... {
public:
    CComObject() = default;
    CComObject(const CComObject&) = delete;
    CComObject& operator=(const CComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override
    {
        return QueryComInterface(static_cast<Self*>(this), Self::InterfaceTable(), riid, ppvObject);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG refs = --m_refs;
        if (refs == 0)
            delete static_cast<Self*>(this);
        return refs;
    }

protected:
    // Self is the most derived class: Release deletes it as Self.
    ~CComObject() = default;

private:
    std::atomic<ULONG> m_refs{0};
};

// A new object with the one reference that the caller owns, or null when
// memory runs out.
template <class Self, class... Args>
Self* NewComObject(Args&&... args)
{
    Self* object = new (std::nothrow) Self(std::forward<Args>(args)...);
    if (object)
        object->AddRef();
    return object;
}
