// CStrEncCnv: one text kept in up to three forms (narrow text in the object's
// code page, UTF-8, wide) that are derived from each other on demand. Setting
// a form discards all three and keeps a copy of the new one; a form derived
// later is kept too. Nothing throws: a conversion that fails or runs out of
// memory gives false or null.
#pragma once

#include <cstddef>
#include <memory>

#include "pal/pal.h"

class CStrEncCnv {
public:
    // A character of one of the forms: its index, its size in bytes, and the
    // offset of a byte inside it.
    struct CharPosition {
        size_t index;
        size_t size;
        size_t offset;
    };

    // codePage 0 (CP_ACP) is the system's ANSI code page.
    explicit CStrEncCnv(UINT codePage = CP_ACP) noexcept;
    explicit CStrEncCnv(const char* narrow, UINT codePage = CP_ACP) noexcept;
    explicit CStrEncCnv(const WCHAR* wide, UINT codePage = CP_ACP) noexcept;
    CStrEncCnv(CStrEncCnv&&) noexcept = default;
    CStrEncCnv& operator=(CStrEncCnv&&) noexcept = default;
    CStrEncCnv(const CStrEncCnv&) = delete;
    CStrEncCnv& operator=(const CStrEncCnv&) = delete;

    UINT CodePage() const noexcept { return m_codePage; }

    // Each keeps a copy of the text (null: no text) and discards the other
    // forms; false when memory runs out (then no text is set).
    bool SetNarrow(const char* text) noexcept;
    bool SetUtf8(const char* text) noexcept;
    bool SetWide(const WCHAR* text) noexcept;

    // Explicit conversions between the forms that are set; each replaces its
    // target form and returns true on success (false: source form missing,
    // invalid UTF-8, a failed code-page conversion, or no memory).
    bool FromUtf8() noexcept;           // wide = the UTF-8 text decoded
    bool FromCodePage() noexcept;       // wide = the narrow text converted
    bool ToUtf8FromWide() noexcept;     // UTF-8 = the wide text encoded
    bool ToUtf8FromCodePage() noexcept; // UTF-8 = narrow -> wide -> UTF-8
    bool ToCodePageFromUtf8() noexcept; // narrow = UTF-8 -> wide -> narrow
    bool ToCodePageFromWide() noexcept; // narrow = the wide text converted

    // The forms, converted on demand; null when no text is set or the
    // conversion fails. The pointers stay valid until the text is set again.
    const char* GetNarrow() noexcept;
    const char* GetUtf8() noexcept;
    const WCHAR* GetWide() noexcept;

    // Characters of each form: narrow, one per byte or per two bytes when the
    // first is a lead byte of the code page; UTF-8, one per sequence (0 when
    // a sequence is malformed); wide, one per unit. 0 when there is no text.
    size_t NarrowCharCount() noexcept;
    size_t Utf8CharCount() noexcept;
    size_t WideCharCount() noexcept;

    // Lengths in bytes, with or without the terminating zero (one unit for
    // the wide form); 0 when there is no text.
    size_t NarrowByteLength(bool withZero = false) noexcept;
    size_t Utf8ByteLength(bool withZero = false) noexcept;
    size_t WideByteLength(bool withZero = false) noexcept;

    // The character that holds byte `byteOffset` of a form; false ("none")
    // for a negative offset, an offset at or beyond the length without the
    // zero, no text, or a malformed UTF-8 sequence before the offset.
    bool NarrowPosition(long long byteOffset, CharPosition& position) noexcept;
    bool Utf8Position(long long byteOffset, CharPosition& position) noexcept;
    bool WidePosition(long long byteOffset, CharPosition& position) noexcept;

private:
    void Clear() noexcept;

    std::unique_ptr<char[]> m_narrow;
    std::unique_ptr<char[]> m_utf8;
    std::unique_ptr<WCHAR[]> m_wide;
    UINT m_codePage;
};
