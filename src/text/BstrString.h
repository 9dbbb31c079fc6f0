// CBstrString: the owning wrapper of one BSTR in which the library builds its
// texts. A null BSTR is the empty text. Positions and counts are UTF-16 units.
// No operation throws: where memory runs out an operation returns
// E_OUTOFMEMORY (or -1 / false, as its comment says) and leaves the text
// unchanged, or, for the operations that cannot report, leaves it unchanged
// or empty.
//
// A text is "well-formed" when it is null, empty, or has a zero unit at its
// length; Find and the Trim operations do nothing on a text that is not.
#pragma once

#include <cstdarg>

#include "pal/pal.h"

class CBstrString {
public:
    CBstrString() noexcept = default;
    // Copies a zero-terminated text (null gives the empty text).
    CBstrString(const WCHAR* text) noexcept;
    // Copies length units; they may include zero units. A null text gives
    // the empty text.
    CBstrString(const WCHAR* text, UINT length) noexcept;
    CBstrString(const CBstrString& other) noexcept;
    CBstrString(CBstrString&& other) noexcept;
    ~CBstrString();

    CBstrString& operator=(const CBstrString& other) noexcept;
    CBstrString& operator=(CBstrString&& other) noexcept;
    CBstrString& operator=(const WCHAR* text) noexcept;

    // A copy of a BSTR, all its units (zero units included).
    static CBstrString FromBstr(BSTR text) noexcept;

    // ---- Access ----
    // The BSTR itself (null for a text never set); it stays owned by this.
    BSTR Get() const noexcept { return m_str; }
    // Never null: an empty text when the BSTR is null.
    const WCHAR* c_str() const noexcept;
    UINT Length() const noexcept { return SysStringLen(m_str); }
    bool IsEmpty() const noexcept { return !m_str || Length() == 0; }
    bool IsWellFormed() const noexcept;

    // ---- Ownership ----
    // Takes ownership of text, freeing the current one.
    void Attach(BSTR text) noexcept;
    // Gives up ownership: the caller frees the result with SysFreeString.
    BSTR Detach() noexcept;
    // A new BSTR with the same units (null for a null text or when memory
    // runs out); the caller frees it.
    BSTR Copy() const noexcept;
    // Frees the text.
    void Empty() noexcept;
    // Frees the text and gives the address of the BSTR, for an [out] BSTR*
    // argument that fills it.
    BSTR* Out() noexcept;
    // Replaces the text with length units of text (a copy). S_OK;
    // E_INVALIDARG for a null text with a length; E_OUTOFMEMORY.
    HRESULT Assign(const WCHAR* text, UINT length) noexcept;

    // ---- Comparison: exact, unit by unit; null and empty are equal ----
    bool operator==(const CBstrString& other) const noexcept;
    bool operator==(const WCHAR* text) const noexcept;
    bool operator!=(const CBstrString& other) const noexcept { return !(*this == other); }
    bool operator!=(const WCHAR* text) const noexcept { return !(*this == text); }

    // ---- Formatting (see text/WideFormatter.h for the conversions) ----
    // this = the formatted text. S_OK; E_INVALIDARG for a null template;
    // E_OUTOFMEMORY when the text cannot be built (this unchanged).
    HRESULT Format(const WCHAR* format, ...) noexcept;
    HRESULT FormatV(const WCHAR* format, va_list args) noexcept;
    // Formats with string `id` of the library's resource module as the
    // template; false (this unchanged) when the string cannot be loaded or
    // the text cannot be built.
    bool FormatResource(UINT id, ...) noexcept;
    // The same from the given module (null: the library's resource module).
    bool FormatResourceFrom(UINT id, HMODULE module, ...) noexcept;
    // this = string `id` of the module; true when a non-empty string was
    // loaded. A missing string makes this empty; a failure while loading a
    // long string leaves it unchanged. Strings of any length are loaded whole.
    bool LoadString(HMODULE module, UINT id) noexcept;

    // ---- Appending: S_OK, or E_OUTOFMEMORY when the new length overflows
    // or memory runs out (this unchanged) ----
    // count units of text; a null text does nothing, a count of 0 does
    // nothing to a non-empty text (and makes a null text empty, not null).
    HRESULT Append(const WCHAR* text, UINT count) noexcept;
    HRESULT Append(const WCHAR* text) noexcept;
    HRESULT Append(const CBstrString& other) noexcept;
    HRESULT Append(WCHAR unit) noexcept;
    // All units of a BSTR (zero units included).
    HRESULT AppendBstr(BSTR text) noexcept;
    // As Append; a failure leaves this unchanged.
    CBstrString& operator+=(const WCHAR* text) noexcept;
    CBstrString& operator+=(const CBstrString& other) noexcept;
    CBstrString& operator+=(WCHAR unit) noexcept;

    // ---- Searching and editing ----
    // Index of the first `unit` at or after start; -1 when there is none,
    // when start is negative or not below the length, or when this is not
    // well-formed.
    int Find(WCHAR unit, int start = 0) const noexcept;
    // Removes every `unit`; the number removed (-1 when memory runs out).
    int Remove(WCHAR unit) noexcept;
    // Replaces every oldUnit by newUnit in place; the count. A newUnit of 0
    // removes (as Remove); oldUnit == newUnit gives 0.
    int Replace(WCHAR oldUnit, WCHAR newUnit) noexcept;
    // Replaces every non-overlapping oldText, left to right, by newText (null:
    // empty); the count. A null or empty oldText gives 0; -1 when memory runs
    // out or the result would be too long (this unchanged).
    int Replace(const WCHAR* oldText, const WCHAR* newText) noexcept;
    // Inserts before position (negative: 0; at or beyond the length:
    // appends); the new length. A unit 0 gives -1 and no change; -1 too when
    // memory runs out.
    int Insert(int position, WCHAR unit) noexcept;
    int Insert(int position, const WCHAR* text) noexcept;

    // ---- Cutting (new objects; this is unchanged) ----
    // At most count units from first (negative first or count: 0), clipped.
    CBstrString Mid(int first, int count) const noexcept;
    CBstrString Mid(int first) const noexcept;
    CBstrString Left(int count) const noexcept;
    CBstrString Right(int count) const noexcept;

    // ---- Trimming the leading / trailing run of white space (PAL_iswspace),
    // of one unit, or of any unit of a set ----
    void TrimLeft() noexcept;
    void TrimLeft(WCHAR unit) noexcept;
    void TrimLeft(const WCHAR* set) noexcept;
    void TrimRight() noexcept;
    void TrimRight(WCHAR unit) noexcept;
    void TrimRight(const WCHAR* set) noexcept;

    // this = source without any unit that occurs in set (null set: nothing
    // removed). E_INVALIDARG for a null source; an empty source gives an empty,
    // non-null text; E_OUTOFMEMORY leaves this unchanged.
    HRESULT SetWithout(const WCHAR* set, const WCHAR* source) noexcept;

private:
    void Reset(BSTR text) noexcept;
    // Keeps units [first, first + count) of the current text.
    void Keep(UINT first, UINT count) noexcept;

    BSTR m_str = nullptr;
};
