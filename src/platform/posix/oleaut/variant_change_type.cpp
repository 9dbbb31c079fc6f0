// VariantChangeType and VariantChangeTypeEx: conversions between VT_EMPTY,
// VT_NULL, the integer and real types, VT_BOOL, VT_DATE, VT_BSTR and the object
// types, with the rules of OLE Automation in the en-US locale (the locale
// argument is not consulted: en-US is the one locale the layer knows).
//
// Numbers become integers by rounding half to even; a value outside the
// target's range fails with DISP_E_OVERFLOW, text that does not convert with
// DISP_E_TYPEMISMATCH. VT_NULL converts to nothing but VT_NULL. The real OLE
// reads an object's default property to convert it to a value; this layer
// fails that with DISP_E_TYPEMISMATCH and converts objects only between
// VT_DISPATCH and VT_UNKNOWN (by QueryInterface).
#include <cfloat>
#include <cmath>
#include <string>

#include "oleaut/ole_date.h"
#include "oleaut/variant_text.h"
#include "oleaut/variant_types.h"

namespace {

// A value on its way to a number, a flag or a date.
struct Numeric {
    bool isInteger;
    int64_t integer; // when isInteger
    double real;     // always (the integer too)
};

Numeric MakeInteger(int64_t value) { return Numeric{true, value, static_cast<double>(value)}; }
Numeric MakeReal(double value) { return Numeric{false, 0, value}; }

HRESULT ReadNumeric(const VARIANT* v, Numeric* out)
{
    switch (V_VT(v)) {
    case VT_EMPTY:
        *out = MakeInteger(0);
        return S_OK;
    case VT_I1:
        *out = MakeInteger(V_I1(v));
        return S_OK;
    case VT_UI1:
        *out = MakeInteger(V_UI1(v));
        return S_OK;
    case VT_I2:
        *out = MakeInteger(V_I2(v));
        return S_OK;
    case VT_UI2:
        *out = MakeInteger(V_UI2(v));
        return S_OK;
    case VT_BOOL:
        *out = MakeInteger(V_BOOL(v));
        return S_OK;
    case VT_I4:
        *out = MakeInteger(V_I4(v));
        return S_OK;
    case VT_UI4:
        *out = MakeInteger(V_UI4(v));
        return S_OK;
    case VT_INT:
        *out = MakeInteger(V_INT(v));
        return S_OK;
    case VT_UINT:
        *out = MakeInteger(V_UINT(v));
        return S_OK;
    case VT_I8:
        *out = MakeInteger(V_I8(v));
        return S_OK;
    case VT_UI8:
        if (V_UI8(v) > static_cast<ULONGLONG>(INT64_MAX))
            *out = MakeReal(static_cast<double>(V_UI8(v)));
        else
            *out = MakeInteger(static_cast<int64_t>(V_UI8(v)));
        return S_OK;
    case VT_R4:
        *out = MakeReal(V_R4(v));
        return S_OK;
    case VT_R8:
        *out = MakeReal(V_R8(v));
        return S_OK;
    case VT_DATE:
        *out = MakeReal(V_DATE(v));
        return S_OK;
    case VT_CY:
        *out = MakeReal(static_cast<double>(V_CY(v).int64) / 10000.0);
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

// Text read as a number for the target type. An "&H"/"&O" literal gives its
// bits to the target: a 16-bit target reads 16 bits as signed ("&HFFFF" is -1
// as VT_I2) while wider targets see up to 16 bits as positive ("&HFFFF" is
// 65535 as VT_I4) and 32 bits as signed ("&HFFFFFFFF" is -1).
HRESULT ParseNumeric(BSTR text, VARTYPE target, Numeric* out)
{
    PalOleNumber number;
    HRESULT hr = PalParseOleNumber(text, SysStringLen(text), &number);
    if (FAILED(hr))
        return hr;
    if (!number.isRadixLiteral) {
        *out = MakeReal(number.value);
        return S_OK;
    }
    int64_t bits = number.bits;
    switch (target) {
    case VT_I1:
    case VT_UI1:
        if (bits > 0xFF)
            return DISP_E_OVERFLOW;
        *out = MakeInteger(target == VT_I1 && bits >= 0x80 ? bits - 0x100 : bits);
        return S_OK;
    case VT_I2:
    case VT_UI2:
        if (bits > 0xFFFF)
            return DISP_E_OVERFLOW;
        *out = MakeInteger(target == VT_I2 && bits >= 0x8000 ? bits - 0x10000 : bits);
        return S_OK;
    case VT_UI4:
    case VT_UINT:
        *out = MakeInteger(bits);
        return S_OK;
    default:
        *out = MakeInteger(bits >= 0x80000000 ? bits - 0x100000000LL : bits);
        return S_OK;
    }
}

double RoundHalfToEven(double value)
{
    double floor = std::floor(value);
    double difference = value - floor;
    if (difference > 0.5 || (difference == 0.5 && std::fmod(floor, 2.0) != 0))
        floor += 1.0;
    return floor;
}

HRESULT ToInteger(const Numeric& n, int64_t low, int64_t high, int64_t* out)
{
    if (n.isInteger) {
        if (n.integer < low || n.integer > high)
            return DISP_E_OVERFLOW;
        *out = n.integer;
        return S_OK;
    }
    double rounded = RoundHalfToEven(n.real);
    // Written so that NaN fails too; 2^63 is the first double past INT64_MAX.
    if (!(rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high)) ||
        rounded >= 9223372036854775808.0)
        return DISP_E_OVERFLOW;
    *out = static_cast<int64_t>(rounded);
    return S_OK;
}

// An integer field of the result, when the number fits between low and high.
template <class Field>
HRESULT StoreInteger(const Numeric& n, int64_t low, int64_t high, Field& field)
{
    int64_t value = 0;
    HRESULT hr = ToInteger(n, low, high, &value);
    field = static_cast<Field>(value);
    return hr;
}

HRESULT StoreNumeric(const Numeric& n, VARTYPE vt, VARIANT* out)
{
    HRESULT hr = S_OK;
    switch (vt) {
    case VT_I1:
        hr = StoreInteger(n, INT8_MIN, INT8_MAX, V_I1(out));
        break;
    case VT_UI1:
        hr = StoreInteger(n, 0, UINT8_MAX, V_UI1(out));
        break;
    case VT_I2:
        hr = StoreInteger(n, INT16_MIN, INT16_MAX, V_I2(out));
        break;
    case VT_UI2:
        hr = StoreInteger(n, 0, UINT16_MAX, V_UI2(out));
        break;
    case VT_I4:
        hr = StoreInteger(n, INT32_MIN, INT32_MAX, V_I4(out));
        break;
    case VT_INT:
        hr = StoreInteger(n, INT32_MIN, INT32_MAX, V_INT(out));
        break;
    case VT_UI4:
        hr = StoreInteger(n, 0, UINT32_MAX, V_UI4(out));
        break;
    case VT_UINT:
        hr = StoreInteger(n, 0, UINT32_MAX, V_UINT(out));
        break;
    case VT_I8:
        hr = StoreInteger(n, INT64_MIN, INT64_MAX, V_I8(out));
        break;
    case VT_R4:
        if (!std::isnan(n.real) && !(std::fabs(n.real) <= FLT_MAX))
            return DISP_E_OVERFLOW;
        V_R4(out) = static_cast<FLOAT>(n.real);
        break;
    case VT_R8:
        V_R8(out) = n.real;
        break;
    case VT_DATE:
        if (!PalOleDateIsValid(n.real))
            return DISP_E_OVERFLOW;
        V_DATE(out) = n.real;
        break;
    case VT_BOOL:
        V_BOOL(out) = (n.isInteger ? n.integer != 0 : n.real != 0) ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    default:
        return DISP_E_TYPEMISMATCH;
    }
    if (FAILED(hr))
        return hr;
    V_VT(out) = vt;
    return S_OK;
}

bool EqualsIgnoringCase(BSTR text, const WCHAR* word)
{
    size_t length = SysStringLen(text);
    return length == PAL_wcslen(word) && (length == 0 || PAL_wcsicmp(text, word) == 0);
}

// "True" and "False" in any case (without blanks around them), else a number.
HRESULT TextToBool(BSTR text, VARIANT* out)
{
    if (EqualsIgnoringCase(text, u"True") || EqualsIgnoringCase(text, u"False")) {
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = EqualsIgnoringCase(text, u"True") ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    Numeric n;
    HRESULT hr = ParseNumeric(text, VT_BOOL, &n);
    if (FAILED(hr))
        return hr;
    return StoreNumeric(n, VT_BOOL, out);
}

WideString Decimal(int64_t value)
{
    std::string digits = std::to_string(value);
    return WideString(digits.begin(), digits.end());
}

HRESULT ToText(const VARIANT* v, USHORT flags, WideString* out)
{
    switch (V_VT(v)) {
    case VT_EMPTY:
        out->clear();
        return S_OK;
    case VT_BOOL:
        if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
            *out = V_BOOL(v) ? u"True" : u"False";
        else
            *out = Decimal(V_BOOL(v));
        return S_OK;
    case VT_R4:
        *out = PalFormatOleDouble(V_R4(v), 7);
        return S_OK;
    case VT_R8:
        *out = PalFormatOleDouble(V_R8(v), 15);
        return S_OK;
    case VT_CY:
        *out = PalFormatOleDouble(static_cast<double>(V_CY(v).int64) / 10000.0, 15);
        return S_OK;
    case VT_DATE:
        return PalFormatOleDate(V_DATE(v), out);
    case VT_UI8:
        if (V_UI8(v) > static_cast<ULONGLONG>(INT64_MAX)) {
            std::string digits = std::to_string(V_UI8(v));
            *out = WideString(digits.begin(), digits.end());
            return S_OK;
        }
        break;
    default:
        break;
    }
    Numeric n;
    HRESULT hr = ReadNumeric(v, &n);
    if (FAILED(hr) || !n.isInteger)
        return DISP_E_TYPEMISMATCH;
    *out = Decimal(n.integer);
    return S_OK;
}

HRESULT StoreText(const WideString& text, VARIANT* out)
{
    BSTR bstr = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!bstr)
        return E_OUTOFMEMORY;
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = bstr;
    return S_OK;
}

HRESULT ToObject(const VARIANT* src, VARTYPE vt, VARIANT* out)
{
    IUnknown* object;
    if (V_VT(src) == VT_DISPATCH)
        object = V_DISPATCH(src);
    else if (V_VT(src) == VT_UNKNOWN)
        object = V_UNKNOWN(src);
    else
        return DISP_E_TYPEMISMATCH;
    void* result = nullptr;
    if (object) {
        HRESULT hr = object->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &result);
        if (FAILED(hr))
            return hr;
    }
    V_VT(out) = vt;
    if (vt == VT_DISPATCH)
        V_DISPATCH(out) = static_cast<IDispatch*>(result);
    else
        V_UNKNOWN(out) = static_cast<IUnknown*>(result);
    return S_OK;
}

// The types whose value is its bits alone (no text, object or date check).
bool IsPlainScalar(VARTYPE vt) { return PalIsNumberType(vt) || vt == VT_BOOL; }

// `src` holds no reference; `out` is empty and receives the result.
HRESULT Convert(const VARIANT* src, USHORT flags, VARTYPE vt, VARIANT* out)
{
    VARTYPE from = V_VT(src);
    if (vt == VT_EMPTY)
        return from == VT_NULL ? DISP_E_TYPEMISMATCH : S_OK;
    if (vt == VT_NULL) {
        V_VT(out) = VT_NULL;
        return S_OK;
    }
    if (from == VT_NULL)
        return DISP_E_TYPEMISMATCH;
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN)
        return ToObject(src, vt, out);
    if (from == VT_DISPATCH || from == VT_UNKNOWN)
        return DISP_E_TYPEMISMATCH;

    if (vt == VT_BSTR) {
        if (from == VT_BSTR) {
            // A copy (a null BSTR becomes an empty one).
            BSTR text = V_BSTR(src);
            BSTR copy = text ? SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text))
                             : SysAllocStringLen(nullptr, 0);
            if (!copy)
                return E_OUTOFMEMORY;
            V_VT(out) = VT_BSTR;
            V_BSTR(out) = copy;
            return S_OK;
        }
        WideString text;
        HRESULT hr = ToText(src, flags, &text);
        if (FAILED(hr))
            return hr;
        return StoreText(text, out);
    }

    Numeric n;
    if (from == VT_BSTR) {
        if (vt == VT_BOOL)
            return TextToBool(V_BSTR(src), out);
        if (vt == VT_DATE) {
            DATE date;
            HRESULT hr = PalParseOleDate(V_BSTR(src), SysStringLen(V_BSTR(src)), &date);
            if (FAILED(hr))
                return hr;
            V_VT(out) = VT_DATE;
            V_DATE(out) = date;
            return S_OK;
        }
        HRESULT hr = ParseNumeric(V_BSTR(src), vt, &n);
        if (FAILED(hr))
            return hr;
    } else {
        HRESULT hr = ReadNumeric(src, &n);
        if (FAILED(hr))
            return hr;
    }
    return StoreNumeric(n, vt, out);
}

} // namespace

extern "C" HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, VARIANTARG* pvarSrc, LCID, USHORT wFlags,
                                       VARTYPE vt)
{
    if (!pvargDest || !pvarSrc)
        return E_INVALIDARG;
    if (!PalIsValidVarType(V_VT(pvarSrc)) || !PalIsValidVarType(vt))
        return DISP_E_BADVARTYPE;
    if ((vt & (VT_BYREF | VT_ARRAY)) || vt == VT_VARIANT)
        return DISP_E_TYPEMISMATCH;

    // A value of the wanted plain type is taken as it is (a flag in its
    // canonical form).
    VARTYPE from = V_VT(pvarSrc);
    if (from == vt && IsPlainScalar(vt)) {
        VARIANT same = *pvarSrc;
        if (vt == VT_BOOL)
            V_BOOL(&same) = V_BOOL(&same) ? VARIANT_TRUE : VARIANT_FALSE;
        if (pvargDest != pvarSrc) {
            HRESULT cleared = VariantClear(pvargDest);
            if (FAILED(cleared))
                return cleared;
        }
        *pvargDest = same;
        return S_OK;
    }

    // A reference is read before the destination is touched, so the two may
    // be the same VARIANT; on failure the destination keeps what it held. A
    // plain value is converted where it is (the result never shares its
    // text or object with it).
    VARIANT value;
    VariantInit(&value);
    const VARIANT* source = pvarSrc;
    if ((from & VT_BYREF) || (from & VT_ARRAY)) {
        HRESULT hr = VariantCopyInd(&value, pvarSrc);
        if (FAILED(hr))
            return hr;
        source = &value;
    }
    VARIANT result;
    VariantInit(&result);
    HRESULT hr;
    try {
        hr = Convert(source, wFlags, vt, &result);
    } catch (...) {
        hr = E_OUTOFMEMORY;
    }
    VariantClear(&value);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *pvargDest = result;
    return S_OK;
}

extern "C" HRESULT VariantChangeType(VARIANTARG* pvargDest, VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt)
{
    return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}
