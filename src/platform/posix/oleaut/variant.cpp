// VARIANT lifetime and copies: VariantInit, VariantClear, VariantCopy and
// VariantCopyInd. A VARIANT owns its BSTR and its object reference; one with
// VT_BYREF owns nothing.
#include <cstring>

#include "oleaut/variant_types.h"

namespace {

bool OwnsArray(VARTYPE vt) { return (vt & VT_ARRAY) && !(vt & VT_BYREF); }

HRESULT CopyBstr(BSTR source, BSTR* out)
{
    *out = nullptr;
    if (!source)
        return S_OK;
    // By byte length, so that an odd byte count survives the copy.
    *out = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source), SysStringByteLen(source));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// A copy of a value that is not a reference (a reference is copied as the
// pointer). `out` is scratch space and receives the copy only on success.
HRESULT CopyValue(VARIANT* out, const VARIANT* src)
{
    VARTYPE vt = V_VT(src);
    if (OwnsArray(vt))
        return DISP_E_BADVARTYPE;
    VARIANT copy = *src;
    switch (vt) {
    case VT_BSTR: {
        HRESULT hr = CopyBstr(V_BSTR(src), &V_BSTR(&copy));
        if (FAILED(hr))
            return hr;
        break;
    }
    case VT_DISPATCH:
        if (V_DISPATCH(&copy))
            V_DISPATCH(&copy)->AddRef();
        break;
    case VT_UNKNOWN:
        if (V_UNKNOWN(&copy))
            V_UNKNOWN(&copy)->AddRef();
        break;
    default:
        break;
    }
    *out = copy;
    return S_OK;
}

// The value a reference points at, as a VARIANT of its own. A reference to a
// VARIANT is followed once more when that VARIANT is itself a reference to a
// plain value; a reference to a reference to a VARIANT is refused.
HRESULT ReadThroughReference(VARIANT* out, const VARIANT* src)
{
    VARTYPE base = static_cast<VARTYPE>(V_VT(src) & ~VT_BYREF);
    if (base & VT_ARRAY)
        return DISP_E_BADVARTYPE;
    if (!V_BYREF(src))
        return E_INVALIDARG;
    if (base == VT_VARIANT) {
        const VARIANT* inner = V_VARIANTREF(src);
        if (V_VT(inner) == (VT_BYREF | VT_VARIANT))
            return E_INVALIDARG;
        if (!PalIsValidVarType(V_VT(inner)))
            return DISP_E_BADVARTYPE;
        if (V_VT(inner) & VT_BYREF)
            return ReadThroughReference(out, inner);
        return CopyValue(out, inner);
    }

    VARIANT value;
    VariantInit(&value);
    void* target = V_BYREF(src);
    switch (base) {
    case VT_I1:
        V_I1(&value) = *static_cast<CHAR*>(target);
        break;
    case VT_UI1:
        V_UI1(&value) = *static_cast<BYTE*>(target);
        break;
    case VT_I2:
        V_I2(&value) = *static_cast<SHORT*>(target);
        break;
    case VT_UI2:
        V_UI2(&value) = *static_cast<USHORT*>(target);
        break;
    case VT_BOOL:
        V_BOOL(&value) = *static_cast<VARIANT_BOOL*>(target);
        break;
    case VT_I4:
        V_I4(&value) = *static_cast<LONG*>(target);
        break;
    case VT_UI4:
        V_UI4(&value) = *static_cast<ULONG*>(target);
        break;
    case VT_INT:
        V_INT(&value) = *static_cast<INT*>(target);
        break;
    case VT_UINT:
        V_UINT(&value) = *static_cast<UINT*>(target);
        break;
    case VT_ERROR:
        V_ERROR(&value) = *static_cast<SCODE*>(target);
        break;
    case VT_R4:
        V_R4(&value) = *static_cast<FLOAT*>(target);
        break;
    case VT_I8:
        V_I8(&value) = *static_cast<LONGLONG*>(target);
        break;
    case VT_UI8:
        V_UI8(&value) = *static_cast<ULONGLONG*>(target);
        break;
    case VT_R8:
        V_R8(&value) = *static_cast<DOUBLE*>(target);
        break;
    case VT_DATE:
        V_DATE(&value) = *static_cast<DATE*>(target);
        break;
    case VT_CY:
        V_CY(&value) = *static_cast<CY*>(target);
        break;
    case VT_DECIMAL:
        // A DECIMAL fills the first 16 bytes of a VARIANT; its first, reserved
        // word is the type.
        std::memcpy(&value, target, 16);
        break;
    case VT_BSTR: {
        HRESULT hr = CopyBstr(*static_cast<BSTR*>(target), &V_BSTR(&value));
        if (FAILED(hr))
            return hr;
        break;
    }
    case VT_DISPATCH:
        V_DISPATCH(&value) = *static_cast<IDispatch**>(target);
        if (V_DISPATCH(&value))
            V_DISPATCH(&value)->AddRef();
        break;
    case VT_UNKNOWN:
        V_UNKNOWN(&value) = *static_cast<IUnknown**>(target);
        if (V_UNKNOWN(&value))
            V_UNKNOWN(&value)->AddRef();
        break;
    default:
        return DISP_E_BADVARTYPE;
    }
    V_VT(&value) = base;
    *out = value;
    return S_OK;
}

// Puts a finished copy into the destination, releasing what it held.
HRESULT Replace(VARIANTARG* dest, VARIANT* copy)
{
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(copy);
        return hr;
    }
    *dest = *copy;
    return S_OK;
}

} // namespace

bool PalIsValidVarType(VARTYPE vt)
{
    // The plain types (VT_EMPTY to VT_UINT) are all known but 15.
    if (vt <= VT_UINT)
        return vt != 15;
    VARTYPE base = vt & VT_TYPEMASK;
    VARTYPE modifiers = static_cast<VARTYPE>(vt & ~VT_TYPEMASK);
    if (modifiers & ~(VT_BYREF | VT_ARRAY))
        return false;
    if (base == VT_EMPTY || base == VT_NULL)
        return false; // only alone
    return base <= VT_UINT && base != 15;
}

bool PalIsNumberType(VARTYPE vt)
{
    switch (vt) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_CY:
        return true;
    default:
        return false;
    }
}

extern "C" void VariantInit(VARIANTARG* pvarg)
{
    if (pvarg)
        std::memset(pvarg, 0, sizeof(*pvarg));
}

extern "C" HRESULT VariantClear(VARIANTARG* pvarg)
{
    if (!pvarg)
        return E_INVALIDARG;
    VARTYPE vt = V_VT(pvarg);
    if (!PalIsValidVarType(vt) || OwnsArray(vt))
        return DISP_E_BADVARTYPE;
    // Emptied first: a Release below may reach code that looks at it again.
    VARIANT old = *pvarg;
    VariantInit(pvarg);
    switch (vt) {
    case VT_BSTR:
        SysFreeString(V_BSTR(&old));
        break;
    case VT_DISPATCH:
        if (V_DISPATCH(&old))
            V_DISPATCH(&old)->Release();
        break;
    case VT_UNKNOWN:
        if (V_UNKNOWN(&old))
            V_UNKNOWN(&old)->Release();
        break;
    default:
        break;
    }
    return S_OK;
}

extern "C" HRESULT VariantCopy(VARIANTARG* pvargDest, VARIANTARG* pvargSrc)
{
    if (!pvargDest || !pvargSrc)
        return E_INVALIDARG;
    if (!PalIsValidVarType(V_VT(pvargSrc)) || !PalIsValidVarType(V_VT(pvargDest)))
        return DISP_E_BADVARTYPE;
    if (pvargDest == pvargSrc)
        return S_OK;
    VARIANT copy;
    HRESULT hr = CopyValue(&copy, pvargSrc);
    if (FAILED(hr))
        return hr;
    return Replace(pvargDest, &copy);
}

extern "C" HRESULT VariantCopyInd(VARIANT* pvarDest, VARIANTARG* pvargSrc)
{
    if (!pvarDest || !pvargSrc)
        return E_INVALIDARG;
    if (!PalIsValidVarType(V_VT(pvargSrc)) || !PalIsValidVarType(V_VT(pvarDest)))
        return DISP_E_BADVARTYPE;
    // The copy is taken before the destination is cleared: the two may be one.
    VARIANT copy;
    HRESULT hr = (V_VT(pvargSrc) & VT_BYREF) ? ReadThroughReference(&copy, pvargSrc) : CopyValue(&copy, pvargSrc);
    if (FAILED(hr))
        return hr;
    return Replace(pvarDest, &copy);
}
