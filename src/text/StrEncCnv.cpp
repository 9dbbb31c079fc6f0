#include "text/StrEncCnv.h"

#include <cstring>
#include <new>

#include "text/CodePageText.h"
#include "text/Utf8.h"

namespace {

template <typename Unit>
std::unique_ptr<Unit[]> CopyText(const Unit* text, size_t units)
{
    std::unique_ptr<Unit[]> copy(new (std::nothrow) Unit[units + 1]);
    if (copy) {
        std::memcpy(copy.get(), text, units * sizeof(Unit));
        copy[units] = 0;
    }
    return copy;
}

std::unique_ptr<char[]> Utf8FromWide(const WCHAR* wide)
{
    size_t size = WideToUtf8(wide, nullptr, 0);
    if (size == 0)
        return nullptr;
    std::unique_ptr<char[]> utf8(new (std::nothrow) char[size]);
    if (!utf8 || WideToUtf8(wide, utf8.get(), size) != size)
        return nullptr;
    return utf8;
}

std::unique_ptr<WCHAR[]> WideFromUtf8(const char* utf8)
{
    size_t size = Utf8ToWide(utf8, nullptr, 0);
    if (size == 0)
        return nullptr;
    std::unique_ptr<WCHAR[]> wide(new (std::nothrow) WCHAR[size]);
    if (!wide || Utf8ToWide(utf8, wide.get(), size) != size)
        return nullptr;
    return wide;
}

std::unique_ptr<WCHAR[]> WideFromCodePage(const char* narrow, UINT codePage)
{
    std::unique_ptr<WCHAR[]> wide;
    if (CodePageToWide(narrow, codePage, wide) < 0)
        return nullptr;
    return wide;
}

std::unique_ptr<char[]> CodePageFromWide(const WCHAR* wide, UINT codePage)
{
    std::unique_ptr<char[]> narrow;
    if (WideToCodePage(wide, codePage, narrow) < 0)
        return nullptr;
    return narrow;
}

// Keeps a converted form; false (the form left as it was) when the
// conversion failed.
template <typename Unit>
bool Keep(std::unique_ptr<Unit[]>& form, std::unique_ptr<Unit[]> converted)
{
    if (!converted)
        return false;
    form = std::move(converted);
    return true;
}

// The size of the UTF-8 character at p: the sequence length its lead byte
// gives (up to the 6-byte forms of the original definition), each further
// byte a continuation byte; 0 when malformed.
size_t Utf8CharSize(const unsigned char* p)
{
    unsigned char lead = p[0];
    size_t size = lead < 0x80             ? 1
                  : (lead & 0xE0) == 0xC0 ? 2
                  : (lead & 0xF0) == 0xE0 ? 3
                  : (lead & 0xF8) == 0xF0 ? 4
                  : (lead & 0xFC) == 0xF8 ? 5
                  : (lead & 0xFE) == 0xFC ? 6
                                          : 0;
    for (size_t i = 1; i < size; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    return size;
}

// The size of the narrow character at p: two bytes after a lead byte of the
// code page (unless the text ends there), else one.
size_t NarrowCharSize(UINT codePage, const unsigned char* p)
{
    return IsDBCSLeadByteEx(codePage, p[0]) && p[1] ? 2 : 1;
}

// Counts the characters of a zero-terminated text; false when one is
// malformed (charSize gives 0).
template <typename CharSize>
bool CountCharacters(const char* text, CharSize charSize, size_t& count)
{
    count = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++count) {
        size_t size = charSize(p);
        if (size == 0)
            return false;
        p += size;
    }
    return true;
}

// Finds the character that holds byte `offset` (known to be inside the text).
template <typename CharSize>
bool FindCharacter(const char* text, CharSize charSize, size_t offset, CStrEncCnv::CharPosition& position)
{
    const unsigned char* start = reinterpret_cast<const unsigned char*>(text);
    size_t index = 0;
    for (const unsigned char* p = start; *p; ++index) {
        size_t size = charSize(p);
        if (size == 0)
            return false;
        size_t at = static_cast<size_t>(p - start);
        if (offset < at + size) {
            position = CStrEncCnv::CharPosition{index, size, offset - at};
            return true;
        }
        p += size;
    }
    return false;
}

bool InRange(long long offset, size_t length) { return offset >= 0 && static_cast<unsigned long long>(offset) < length; }

} // namespace

CStrEncCnv::CStrEncCnv(UINT codePage) noexcept : m_codePage(codePage) {}

CStrEncCnv::CStrEncCnv(const char* narrow, UINT codePage) noexcept : m_codePage(codePage) { SetNarrow(narrow); }

CStrEncCnv::CStrEncCnv(const WCHAR* wide, UINT codePage) noexcept : m_codePage(codePage) { SetWide(wide); }

void CStrEncCnv::Clear() noexcept
{
    m_narrow.reset();
    m_utf8.reset();
    m_wide.reset();
}

bool CStrEncCnv::SetNarrow(const char* text) noexcept
{
    Clear();
    if (!text)
        return true;
    m_narrow = CopyText(text, std::strlen(text));
    return m_narrow != nullptr;
}

bool CStrEncCnv::SetUtf8(const char* text) noexcept
{
    Clear();
    if (!text)
        return true;
    m_utf8 = CopyText(text, std::strlen(text));
    return m_utf8 != nullptr;
}

bool CStrEncCnv::SetWide(const WCHAR* text) noexcept
{
    Clear();
    if (!text)
        return true;
    m_wide = CopyText(text, PAL_wcslen(text));
    return m_wide != nullptr;
}

// ---- Conversions ----

bool CStrEncCnv::FromUtf8() noexcept { return m_utf8 && Keep(m_wide, WideFromUtf8(m_utf8.get())); }

bool CStrEncCnv::FromCodePage() noexcept
{
    return m_narrow && Keep(m_wide, WideFromCodePage(m_narrow.get(), m_codePage));
}

bool CStrEncCnv::ToUtf8FromWide() noexcept { return m_wide && Keep(m_utf8, Utf8FromWide(m_wide.get())); }

bool CStrEncCnv::ToUtf8FromCodePage() noexcept
{
    if (!m_narrow)
        return false;
    std::unique_ptr<WCHAR[]> wide = WideFromCodePage(m_narrow.get(), m_codePage);
    return wide && Keep(m_utf8, Utf8FromWide(wide.get()));
}

bool CStrEncCnv::ToCodePageFromUtf8() noexcept
{
    if (!m_utf8)
        return false;
    std::unique_ptr<WCHAR[]> wide = WideFromUtf8(m_utf8.get());
    return wide && Keep(m_narrow, CodePageFromWide(wide.get(), m_codePage));
}

bool CStrEncCnv::ToCodePageFromWide() noexcept
{
    return m_wide && Keep(m_narrow, CodePageFromWide(m_wide.get(), m_codePage));
}

// ---- The forms, on demand ----

const char* CStrEncCnv::GetNarrow() noexcept
{
    if (!m_narrow) {
        if (m_wide)
            ToCodePageFromWide();
        else if (m_utf8)
            ToCodePageFromUtf8();
    }
    return m_narrow.get();
}

const char* CStrEncCnv::GetUtf8() noexcept
{
    if (!m_utf8) {
        if (m_wide)
            ToUtf8FromWide();
        else if (m_narrow)
            ToUtf8FromCodePage();
    }
    return m_utf8.get();
}

const WCHAR* CStrEncCnv::GetWide() noexcept
{
    if (!m_wide) {
        if (m_utf8)
            FromUtf8();
        else if (m_narrow)
            FromCodePage();
    }
    return m_wide.get();
}

// ---- Counts and lengths ----

size_t CStrEncCnv::NarrowCharCount() noexcept
{
    const char* text = GetNarrow();
    size_t count = 0;
    UINT codePage = m_codePage;
    if (text)
        CountCharacters(text, [codePage](const unsigned char* p) { return NarrowCharSize(codePage, p); }, count);
    return count;
}

size_t CStrEncCnv::Utf8CharCount() noexcept
{
    const char* text = GetUtf8();
    size_t count = 0;
    if (!text || !CountCharacters(text, Utf8CharSize, count))
        return 0;
    return count;
}

size_t CStrEncCnv::WideCharCount() noexcept { return PAL_wcslen(GetWide()); }

size_t CStrEncCnv::NarrowByteLength(bool withZero) noexcept
{
    const char* text = GetNarrow();
    return text ? std::strlen(text) + (withZero ? 1 : 0) : 0;
}

size_t CStrEncCnv::Utf8ByteLength(bool withZero) noexcept
{
    const char* text = GetUtf8();
    return text ? std::strlen(text) + (withZero ? 1 : 0) : 0;
}

size_t CStrEncCnv::WideByteLength(bool withZero) noexcept
{
    const WCHAR* text = GetWide();
    return text ? (PAL_wcslen(text) + (withZero ? 1 : 0)) * sizeof(WCHAR) : 0;
}

// ---- Positions ----

bool CStrEncCnv::NarrowPosition(long long byteOffset, CharPosition& position) noexcept
{
    const char* text = GetNarrow();
    if (!text || !InRange(byteOffset, std::strlen(text)))
        return false;
    UINT codePage = m_codePage;
    return FindCharacter(
        text, [codePage](const unsigned char* p) { return NarrowCharSize(codePage, p); },
        static_cast<size_t>(byteOffset), position);
}

bool CStrEncCnv::Utf8Position(long long byteOffset, CharPosition& position) noexcept
{
    const char* text = GetUtf8();
    if (!text || !InRange(byteOffset, std::strlen(text)))
        return false;
    return FindCharacter(text, Utf8CharSize, static_cast<size_t>(byteOffset), position);
}

bool CStrEncCnv::WidePosition(long long byteOffset, CharPosition& position) noexcept
{
    const WCHAR* text = GetWide();
    if (!text || !InRange(byteOffset, PAL_wcslen(text) * sizeof(WCHAR)))
        return false;
    size_t offset = static_cast<size_t>(byteOffset);
    position = CharPosition{offset / sizeof(WCHAR), sizeof(WCHAR), offset % sizeof(WCHAR)};
    return true;
}
