// Event descriptions on Windows are the real Scripting.Dictionary.
#include "pal/pal.h"

extern "C" HRESULT PAL_CreateDictionary(IDictionary** ppDictionary)
{
    if (!ppDictionary)
        return E_POINTER;
    *ppDictionary = nullptr;
    return CoCreateInstance(CLSID_Dictionary, nullptr, CLSCTX_INPROC_SERVER, IID_IDictionary,
                            reinterpret_cast<void**>(ppDictionary));
}

// The real Scripting.Dictionary is used through IDictionary alone.
extern "C" PalDictionary* PAL_OwnDictionary(IDictionary*) { return nullptr; }

extern "C" const VARIANT* PAL_DictionaryItem(PalDictionary*, const WCHAR*, UINT) { return nullptr; }
