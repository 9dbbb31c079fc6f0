// ProgIDs: HKEY_CLASSES_ROOT\<ProgID>\CLSID holds the class's CLSID as text.
#include "pal/pal.h"
#include "com/registry_text.h"

extern "C" HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid)
{
    if (!lpszProgID || !lpclsid)
        return E_INVALIDARG;
    *lpclsid = GUID_NULL;
    if (!*lpszProgID)
        return CO_E_CLASSSTRING;
    WideString text;
    if (!PalReadClassesRootText(WideString(lpszProgID) + W("\\CLSID"), text))
        return CO_E_CLASSSTRING;
    CLSID clsid;
    if (FAILED(CLSIDFromString(text.c_str(), &clsid)))
        return CO_E_CLASSSTRING;
    *lpclsid = clsid;
    return S_OK;
}
