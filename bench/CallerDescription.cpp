#include "CallerDescription.h"

#include "annalist/HostObjects.h"

namespace {

// Fills `value` (empty) with the entry's value; false when out of memory.
bool MakeValue(const BenchValue& entry, VARIANT* value)
{
    switch (entry.kind) {
    case BenchValueKind::Text:
        V_VT(value) = VT_BSTR;
        V_BSTR(value) = SysAllocString(entry.text.wide);
        return V_BSTR(value) != nullptr;
    case BenchValueKind::Integer:
        V_VT(value) = VT_I4;
        V_I4(value) = static_cast<LONG>(entry.number);
        return true;
    case BenchValueKind::Flag:
        V_VT(value) = VT_BOOL;
        V_BOOL(value) = entry.number ? VARIANT_TRUE : VARIANT_FALSE;
        return true;
    case BenchValueKind::Report:
        V_VT(value) = VT_UNKNOWN;
        V_UNKNOWN(value) = static_cast<IKovCustomReport*>(NewReplayObject<CReplayCustomReport>(entry.text.wide));
        return V_UNKNOWN(value) != nullptr;
    }
    return false;
}

} // namespace

HRESULT BuildCallerDescription(const BenchEvent& event, IDictionary** description)
{
    *description = nullptr;
    IDictionary* made = nullptr;
    HRESULT hr = PAL_CreateDictionary(&made);
    if (FAILED(hr))
        return hr;
    if (!made)
        return E_UNEXPECTED;
    for (int i = 0; i < event.count && SUCCEEDED(hr); ++i) {
        VARIANT key;
        VARIANT value;
        VariantInit(&key);
        VariantInit(&value);
        V_VT(&key) = VT_BSTR;
        V_BSTR(&key) = SysAllocString(event.values[i].key.wide);
        if (!V_BSTR(&key) || !MakeValue(event.values[i], &value))
            hr = E_OUTOFMEMORY;
        else
            hr = made->Add(&key, &value);
        VariantClear(&key);
        VariantClear(&value);
    }
    if (FAILED(hr)) {
        made->Release();
        return hr;
    }
    *description = made;
    return S_OK;
}

void FreeCallerDescription(IDictionary* description)
{
    if (description)
        description->Release();
}
