// BSTR: the text is preceded by its length in bytes (32 bits) and followed by
// a zero unit; SysAllocStringByteLen adds one more zero byte so that an odd
// byte count stays terminated.
#include <cstdlib>
#include <cstring>

#include "pal/pal.h"

namespace {

const size_t kPrefix = sizeof(DWORD);
const size_t kMaxBytes = 0x7FFFFFF0u;

BSTR AllocBytes(const void* source, size_t bytes)
{
    if (bytes > kMaxBytes)
        return nullptr;
    // Prefix, text, a zero unit and one more zero byte, rounded to whole units.
    size_t total = kPrefix + bytes + sizeof(OLECHAR) + 1;
    total = (total + sizeof(OLECHAR) - 1) & ~(sizeof(OLECHAR) - 1);
    BYTE* block = static_cast<BYTE*>(std::malloc(total));
    if (!block)
        return nullptr;
    DWORD length = static_cast<DWORD>(bytes);
    std::memcpy(block, &length, kPrefix);
    if (source)
        std::memcpy(block + kPrefix, source, bytes);
    else
        std::memset(block + kPrefix, 0, bytes);
    std::memset(block + kPrefix + bytes, 0, total - kPrefix - bytes);
    return reinterpret_cast<BSTR>(block + kPrefix);
}

BYTE* BlockOf(BSTR text) { return reinterpret_cast<BYTE*>(text) - kPrefix; }

} // namespace

extern "C" BSTR SysAllocString(const OLECHAR* psz)
{
    if (!psz)
        return nullptr;
    return SysAllocStringLen(psz, static_cast<UINT>(PAL_wcslen(psz)));
}

extern "C" BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui)
{
    if (ui > kMaxBytes / sizeof(OLECHAR))
        return nullptr;
    return AllocBytes(strIn, static_cast<size_t>(ui) * sizeof(OLECHAR));
}

extern "C" BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) { return AllocBytes(psz, len); }

extern "C" INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz)
{
    if (!pbstr)
        return FALSE;
    return SysReAllocStringLen(pbstr, psz, psz ? static_cast<UINT>(PAL_wcslen(psz)) : 0);
}

extern "C" INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len)
{
    if (!pbstr)
        return FALSE;
    // The source may lie inside the old string, so copy before freeing.
    BSTR fresh = SysAllocStringLen(psz, len);
    if (!fresh)
        return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

extern "C" void SysFreeString(BSTR bstrString)
{
    if (bstrString)
        std::free(BlockOf(bstrString));
}

extern "C" UINT SysStringByteLen(BSTR bstr)
{
    if (!bstr)
        return 0;
    DWORD length;
    std::memcpy(&length, BlockOf(bstr), kPrefix);
    return length;
}

extern "C" UINT SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }
