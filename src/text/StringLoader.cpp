#include "text/StringLoader.h"

#include <cstring>
#include <new>

#include "text/ResourceStrings.h"

namespace {

HMODULE ModuleOrDefault(HMODULE module) { return module ? module : GetResourceModule(); }

WORD ReadWord(const BYTE* at)
{
    WORD value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

CStringLoader::CStringLoader(UINT id, HMODULE module) noexcept { Load(id, GetSystemDefaultLangID(), module); }

CStringLoader::CStringLoader(UINT id, LANGID language, HMODULE module) noexcept { Load(id, language, module); }

bool CStringLoader::SetText(const void* units, size_t length) noexcept
{
    m_text.reset();
    m_length = 0;
    if (length == 0)
        return true;
    m_text.reset(new (std::nothrow) WCHAR[length + 1]);
    if (!m_text)
        return false;
    std::memcpy(m_text.get(), units, length * sizeof(WCHAR));
    m_text[length] = 0;
    m_length = length;
    return true;
}

bool CStringLoader::Load(UINT id, LANGID language, HMODULE module) noexcept
{
    SetText(nullptr, 0);
    if (id > 0xFFFF)
        return false;
    module = ModuleOrDefault(module);
    HRSRC info = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), language);
    if (!info)
        return false;
    DWORD size = SizeofResource(module, info);
    HGLOBAL handle = size ? LoadResource(module, info) : nullptr;
    const BYTE* block = handle ? static_cast<const BYTE*>(LockResource(handle)) : nullptr;
    if (!block)
        return false;

    // The block holds 16 counted strings: a 16-bit length, then the units.
    // `skipped` sums the bytes of the strings passed over (not their length
    // words); `at` is where the next length word really is, so no read
    // leaves the block even when it is malformed.
    size_t skipped = 0;
    size_t at = 0;
    for (UINT i = 0; i < (id & 15) && skipped < size; ++i) {
        if (at + sizeof(WORD) > size)
            return false;
        size_t bytes = ReadWord(block + at) * sizeof(WCHAR);
        skipped += bytes;
        at += sizeof(WORD) + bytes;
    }
    if (skipped >= size || at + sizeof(WORD) > size)
        return false;
    size_t length = ReadWord(block + at);
    size_t bytes = length * sizeof(WCHAR);
    if (length == 0 || skipped + bytes > size || at + sizeof(WORD) + bytes > size)
        return false;

    return SetText(block + at + sizeof(WORD), length);
}

bool CStringLoader::LoadByUser(UINT id, HMODULE module) noexcept
{
    SetText(nullptr, 0);
    module = ModuleOrDefault(module);
    const int kStep = 256;
    for (int size = kStep;; size += kStep) {
        std::unique_ptr<WCHAR[]> buffer(new (std::nothrow) WCHAR[static_cast<size_t>(size)]);
        if (!buffer)
            return false;
        int copied = LoadStringW(module, id, buffer.get(), size);
        if (copied <= 0)
            return false;
        if (size - copied >= 2)
            return SetText(buffer.get(), static_cast<size_t>(copied));
        if (size > 0x7FFFFFFF - kStep)
            return false;
    }
}
