// GUIDs as text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", written in upper
// case, read in either case.
#include "pal/pal.h"

namespace {

const int kGuidTextLength = 38; // without the terminator

// Braces around 32 digits in groups of 8, 4, 4, 4 and 12, joined by dashes.
bool HasGuidShape(LPCOLESTR text)
{
    if (PAL_wcslen(text) != kGuidTextLength || text[0] != u'{' || text[37] != u'}')
        return false;
    return text[9] == u'-' && text[14] == u'-' && text[19] == u'-' && text[24] == u'-';
}

// Reads `digits` hexadecimal digits at `text`.
bool ReadHex(LPCOLESTR text, int digits, uint32_t* out)
{
    uint32_t value = 0;
    for (int i = 0; i < digits; ++i) {
        int digit = PalHexDigit(text[i]);
        if (digit < 0)
            return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    *out = value;
    return true;
}

// The GUID of well-shaped text; false when a digit is not hexadecimal. Data1
// to Data3 are written most significant digit first, Data4 byte by byte.
bool ReadGuid(LPCOLESTR text, GUID* out)
{
    static const int kByteOffsets[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    uint32_t data1, data2, data3, byte;
    if (!ReadHex(text + 1, 8, &data1) || !ReadHex(text + 10, 4, &data2) || !ReadHex(text + 15, 4, &data3))
        return false;
    GUID guid;
    guid.Data1 = data1;
    guid.Data2 = static_cast<WORD>(data2);
    guid.Data3 = static_cast<WORD>(data3);
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text + kByteOffsets[i], 2, &byte))
            return false;
        guid.Data4[i] = static_cast<BYTE>(byte);
    }
    *out = guid;
    return true;
}

void WriteHex(LPOLESTR out, uint32_t value, int digits)
{
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<WCHAR>(kDigits[value & 0xF]);
        value >>= 4;
    }
}

} // namespace

extern "C" int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax)
{
    if (!lpsz || cchMax < kGuidTextLength + 1)
        return 0;
    lpsz[0] = u'{';
    WriteHex(lpsz + 1, rguid.Data1, 8);
    lpsz[9] = u'-';
    WriteHex(lpsz + 10, rguid.Data2, 4);
    lpsz[14] = u'-';
    WriteHex(lpsz + 15, rguid.Data3, 4);
    lpsz[19] = u'-';
    WriteHex(lpsz + 20, rguid.Data4[0], 2);
    WriteHex(lpsz + 22, rguid.Data4[1], 2);
    lpsz[24] = u'-';
    for (int i = 2; i < 8; ++i)
        WriteHex(lpsz + 25 + 2 * (i - 2), rguid.Data4[i], 2);
    lpsz[37] = u'}';
    lpsz[38] = 0;
    return kGuidTextLength + 1;
}

// A null text is GUID_NULL. Text that is not a GUID in braces fails with
// CO_E_CLASSSTRING; the registry's ProgIDs are not read here.
extern "C" HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid)
{
    if (!pclsid)
        return E_INVALIDARG;
    if (!lpsz) {
        *pclsid = GUID_NULL;
        return S_OK;
    }
    if (!HasGuidShape(lpsz) || !ReadGuid(lpsz, pclsid))
        return CO_E_CLASSSTRING;
    return S_OK;
}

// As CLSIDFromString, but text of the wrong shape fails with E_INVALIDARG and
// a digit that is not hexadecimal with CO_E_IIDSTRING.
extern "C" HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid)
{
    if (!lpiid)
        return E_INVALIDARG;
    if (!lpsz) {
        *lpiid = GUID_NULL;
        return S_OK;
    }
    if (!HasGuidShape(lpsz))
        return E_INVALIDARG;
    return ReadGuid(lpsz, lpiid) ? S_OK : CO_E_IIDSTRING;
}
