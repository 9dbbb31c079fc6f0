// The Scripting Runtime's dictionary interface, the type of every event
// description. On Windows the real Scripting.Dictionary answers it; on POSIX
// our own stand-in does (same IID, same method order).
#pragma once

enum CompareMethod { BinaryCompare = 0, TextCompare = 1, DatabaseCompare = 2 };

struct IDictionary : public IDispatch {
    STDMETHOD(putref_Item)(VARIANT* Key, VARIANT* pRetItem) = 0;
    STDMETHOD(put_Item)(VARIANT* Key, VARIANT* pRetItem) = 0;
    STDMETHOD(get_Item)(VARIANT* Key, VARIANT* pRetItem) = 0;
    STDMETHOD(Add)(VARIANT* Key, VARIANT* Item) = 0;
    STDMETHOD(get_Count)(LONG* pCount) = 0;
    STDMETHOD(Exists)(VARIANT* Key, VARIANT_BOOL* pExists) = 0;
    STDMETHOD(Items)(VARIANT* pItemsArray) = 0;
    STDMETHOD(put_Key)(VARIANT* Key, VARIANT* rhs) = 0;
    STDMETHOD(Keys)(VARIANT* pKeysArray) = 0;
    STDMETHOD(Remove)(VARIANT* Key) = 0;
    STDMETHOD(RemoveAll)() = 0;
    STDMETHOD(put_CompareMode)(CompareMethod pcomp) = 0;
    STDMETHOD(get_CompareMode)(CompareMethod* pcomp) = 0;
    STDMETHOD(_NewEnum)(IUnknown** ppunk) = 0;
    STDMETHOD(get_HashVal)(VARIANT* Key, VARIANT* HashVal) = 0;
};

extern "C" const IID IID_IDictionary;    // {42C642C1-97E1-11CF-978F-00A02463E06F}
extern "C" const CLSID CLSID_Dictionary; // {EE09B103-97E0-11CF-978F-00A02463E06F}

// A new, empty dictionary: the real Scripting.Dictionary on Windows (COM must
// be initialised on the calling thread), the stand-in on POSIX.
extern "C" HRESULT PAL_CreateDictionary(IDictionary** ppDictionary);
