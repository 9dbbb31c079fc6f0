// CBstrString: everything but the string-resource operations, which live in
// BstrStringResources.cpp.
#include "text/BstrString.h"

#include <cstring>

#include "text/WideFormatter.h"

namespace {

// The longest text a BSTR holds: its byte count must fit in 31 bits.
const UINT kMaxLength = 0x3FFFFFF0u;

const WCHAR kEmptyText[] = {0};

void CopyUnits(WCHAR* to, const WCHAR* from, size_t count)
{
    if (count)
        std::memcpy(to, from, count * sizeof(WCHAR));
}

bool InSet(const WCHAR* set, WCHAR unit)
{
    for (; *set; ++set)
        if (*set == unit)
            return true;
    return false;
}

int ToInt(UINT value) { return static_cast<int>(value); }

} // namespace

// ---- Construction and ownership ----

CBstrString::CBstrString(const WCHAR* text) noexcept : m_str(SysAllocString(text)) {}

CBstrString::CBstrString(const WCHAR* text, UINT length) noexcept
    : m_str(text ? SysAllocStringLen(text, length) : nullptr)
{
}

CBstrString::CBstrString(const CBstrString& other) noexcept : m_str(other.Copy()) {}

CBstrString::CBstrString(CBstrString&& other) noexcept : m_str(other.m_str) { other.m_str = nullptr; }

CBstrString::~CBstrString()
{
    if (m_str)
        SysFreeString(m_str);
}

CBstrString& CBstrString::operator=(const CBstrString& other) noexcept
{
    if (this != &other)
        Reset(other.Copy());
    return *this;
}

CBstrString& CBstrString::operator=(CBstrString&& other) noexcept
{
    if (this != &other) {
        Reset(other.m_str);
        other.m_str = nullptr;
    }
    return *this;
}

CBstrString& CBstrString::operator=(const WCHAR* text) noexcept
{
    // Copy first: text may lie inside the current BSTR.
    Reset(SysAllocString(text));
    return *this;
}

CBstrString CBstrString::FromBstr(BSTR text) noexcept { return CBstrString(text, SysStringLen(text)); }

const WCHAR* CBstrString::c_str() const noexcept { return m_str ? m_str : kEmptyText; }

bool CBstrString::IsWellFormed() const noexcept
{
    UINT length = Length();
    return length == 0 || m_str[length] == 0;
}

void CBstrString::Attach(BSTR text) noexcept
{
    if (text != m_str)
        Reset(text);
}

BSTR CBstrString::Detach() noexcept
{
    BSTR text = m_str;
    m_str = nullptr;
    return text;
}

BSTR CBstrString::Copy() const noexcept { return m_str ? SysAllocStringLen(m_str, Length()) : nullptr; }

void CBstrString::Empty() noexcept { Reset(nullptr); }

BSTR* CBstrString::Out() noexcept
{
    Empty();
    return &m_str;
}

HRESULT CBstrString::Assign(const WCHAR* text, UINT length) noexcept
{
    if (!text && length)
        return E_INVALIDARG;
    BSTR fresh = SysAllocStringLen(text, length);
    if (!fresh)
        return E_OUTOFMEMORY;
    Reset(fresh);
    return S_OK;
}

void CBstrString::Reset(BSTR text) noexcept
{
    SysFreeString(m_str);
    m_str = text;
}

void CBstrString::Keep(UINT first, UINT count) noexcept
{
    if (first == 0 && count == Length())
        return;
    if (count == 0) {
        Empty();
        return;
    }
    BSTR fresh = SysAllocStringLen(m_str + first, count);
    if (fresh)
        Reset(fresh);
}

// ---- Comparison ----

bool CBstrString::operator==(const CBstrString& other) const noexcept
{
    UINT length = Length();
    return length == other.Length() && (length == 0 || std::memcmp(m_str, other.m_str, length * sizeof(WCHAR)) == 0);
}

bool CBstrString::operator==(const WCHAR* text) const noexcept
{
    UINT length = Length();
    if (length != PAL_wcslen(text))
        return false;
    return length == 0 || std::memcmp(m_str, text, length * sizeof(WCHAR)) == 0;
}

// ---- Formatting ----

HRESULT CBstrString::Format(const WCHAR* format, ...) noexcept
{
    va_list args;
    va_start(args, format);
    HRESULT hr = FormatV(format, args);
    va_end(args);
    return hr;
}

HRESULT CBstrString::FormatV(const WCHAR* format, va_list args) noexcept
{
    if (!format)
        return E_INVALIDARG;
    // Measure, then format into a BSTR of exactly that length.
    va_list measure;
    va_copy(measure, args);
    size_t length = WideFormatV(nullptr, 0, format, measure);
    va_end(measure);
    if (length == kWideFormatFailed || length > kMaxLength)
        return E_OUTOFMEMORY;
    BSTR fresh = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!fresh)
        return E_OUTOFMEMORY;
    size_t written = WideFormatV(fresh, length + 1, format, args);
    if (written != length) {
        SysFreeString(fresh);
        return E_OUTOFMEMORY;
    }
    Reset(fresh);
    return S_OK;
}

// ---- Appending ----

HRESULT CBstrString::Append(const WCHAR* text, UINT count) noexcept
{
    if (!text || (m_str && count == 0))
        return S_OK;
    UINT length = Length();
    if (count > kMaxLength - length)
        return E_OUTOFMEMORY;
    BSTR fresh = SysAllocStringLen(nullptr, length + count);
    if (!fresh)
        return E_OUTOFMEMORY;
    // text may lie inside the current BSTR: copy before freeing it.
    CopyUnits(fresh, m_str, length);
    CopyUnits(fresh + length, text, count);
    Reset(fresh);
    return S_OK;
}

HRESULT CBstrString::Append(const WCHAR* text) noexcept
{
    if (!text)
        return S_OK;
    size_t count = PAL_wcslen(text);
    if (count > kMaxLength)
        return E_OUTOFMEMORY;
    return Append(text, static_cast<UINT>(count));
}

HRESULT CBstrString::Append(const CBstrString& other) noexcept { return AppendBstr(other.m_str); }

HRESULT CBstrString::Append(WCHAR unit) noexcept { return Append(&unit, 1); }

HRESULT CBstrString::AppendBstr(BSTR text) noexcept { return Append(text, SysStringLen(text)); }

CBstrString& CBstrString::operator+=(const WCHAR* text) noexcept
{
    Append(text);
    return *this;
}

CBstrString& CBstrString::operator+=(const CBstrString& other) noexcept
{
    Append(other);
    return *this;
}

CBstrString& CBstrString::operator+=(WCHAR unit) noexcept
{
    Append(unit);
    return *this;
}

// ---- Searching and editing ----

int CBstrString::Find(WCHAR unit, int start) const noexcept
{
    UINT length = Length();
    if (start < 0 || static_cast<UINT>(start) >= length || !IsWellFormed())
        return -1;
    for (UINT i = static_cast<UINT>(start); i < length; ++i)
        if (m_str[i] == unit)
            return ToInt(i);
    return -1;
}

int CBstrString::Remove(WCHAR unit) noexcept
{
    UINT length = Length();
    UINT count = 0;
    for (UINT i = 0; i < length; ++i)
        if (m_str[i] == unit)
            ++count;
    if (count == 0)
        return 0;
    BSTR fresh = SysAllocStringLen(nullptr, length - count);
    if (!fresh)
        return -1;
    UINT out = 0;
    for (UINT i = 0; i < length; ++i)
        if (m_str[i] != unit)
            fresh[out++] = m_str[i];
    Reset(fresh);
    return ToInt(count);
}

int CBstrString::Replace(WCHAR oldUnit, WCHAR newUnit) noexcept
{
    if (newUnit == 0)
        return Remove(oldUnit);
    if (oldUnit == newUnit)
        return 0;
    UINT length = Length();
    int count = 0;
    for (UINT i = 0; i < length; ++i)
        if (m_str[i] == oldUnit) {
            m_str[i] = newUnit;
            ++count;
        }
    return count;
}

int CBstrString::Replace(const WCHAR* oldText, const WCHAR* newText) noexcept
{
    size_t oldLength = PAL_wcslen(oldText);
    if (oldLength == 0)
        return 0;
    size_t newLength = PAL_wcslen(newText);
    UINT length = Length();

    // The old text has no zero unit, so an occurrence never spans a zero unit
    // of this: each zero-separated segment is searched on its own.
    auto matchesAt = [&](UINT i) {
        return length - i >= oldLength && m_str[i] == oldText[0] &&
               std::memcmp(m_str + i, oldText, oldLength * sizeof(WCHAR)) == 0;
    };
    size_t count = 0;
    for (UINT i = 0; i < length;) {
        if (matchesAt(i)) {
            ++count;
            i += static_cast<UINT>(oldLength);
        } else {
            ++i;
        }
    }
    if (count == 0)
        return 0;

    unsigned long long resultLength =
        static_cast<unsigned long long>(length) - count * oldLength + static_cast<unsigned long long>(count) * newLength;
    if (resultLength > kMaxLength)
        return -1;
    BSTR fresh = SysAllocStringLen(nullptr, static_cast<UINT>(resultLength));
    if (!fresh)
        return -1;
    WCHAR* out = fresh;
    for (UINT i = 0; i < length;) {
        if (matchesAt(i)) {
            CopyUnits(out, newText, newLength);
            out += newLength;
            i += static_cast<UINT>(oldLength);
        } else {
            *out++ = m_str[i++];
        }
    }
    Reset(fresh);
    return static_cast<int>(count);
}

int CBstrString::Insert(int position, WCHAR unit) noexcept
{
    if (unit == 0)
        return -1;
    const WCHAR text[] = {unit, 0};
    return Insert(position, text);
}

int CBstrString::Insert(int position, const WCHAR* text) noexcept
{
    UINT length = Length();
    size_t count = PAL_wcslen(text);
    if (count == 0)
        return ToInt(length);
    if (count > kMaxLength - length)
        return -1;
    UINT at = position < 0 ? 0 : (static_cast<UINT>(position) > length ? length : static_cast<UINT>(position));
    BSTR fresh = SysAllocStringLen(nullptr, length + static_cast<UINT>(count));
    if (!fresh)
        return -1;
    CopyUnits(fresh, m_str, at);
    CopyUnits(fresh + at, text, count);
    CopyUnits(fresh + at + count, m_str + at, length - at);
    Reset(fresh);
    return ToInt(length + static_cast<UINT>(count));
}

// ---- Cutting ----

CBstrString CBstrString::Mid(int first, int count) const noexcept
{
    UINT length = Length();
    UINT from = first < 0 ? 0 : static_cast<UINT>(first);
    UINT wanted = count < 0 ? 0 : static_cast<UINT>(count);
    if (from >= length || wanted == 0)
        return CBstrString();
    if (wanted > length - from)
        wanted = length - from;
    return CBstrString(m_str + from, wanted);
}

CBstrString CBstrString::Mid(int first) const noexcept
{
    UINT length = Length();
    UINT from = first < 0 ? 0 : static_cast<UINT>(first);
    if (from >= length)
        return CBstrString();
    return CBstrString(m_str + from, length - from);
}

CBstrString CBstrString::Left(int count) const noexcept { return Mid(0, count); }

CBstrString CBstrString::Right(int count) const noexcept
{
    UINT length = Length();
    UINT wanted = count < 0 ? 0 : static_cast<UINT>(count);
    if (wanted > length)
        wanted = length;
    return Mid(ToInt(length - wanted), ToInt(wanted));
}

// ---- Trimming ----

namespace {

template <typename Trims>
UINT LeadingRun(const WCHAR* units, UINT length, Trims trims)
{
    UINT first = 0;
    while (first < length && trims(units[first]))
        ++first;
    return first;
}

template <typename Trims>
UINT EndBeforeTrailingRun(const WCHAR* units, UINT length, Trims trims)
{
    UINT end = length;
    while (end > 0 && trims(units[end - 1]))
        --end;
    return end;
}

bool IsSpace(WCHAR unit) { return PAL_iswspace(unit); }

} // namespace

void CBstrString::TrimLeft() noexcept
{
    if (IsEmpty() || !IsWellFormed())
        return;
    UINT first = LeadingRun(m_str, Length(), IsSpace);
    Keep(first, Length() - first);
}

void CBstrString::TrimLeft(WCHAR unit) noexcept
{
    if (IsEmpty() || !IsWellFormed())
        return;
    UINT first = LeadingRun(m_str, Length(), [unit](WCHAR u) { return u == unit; });
    Keep(first, Length() - first);
}

void CBstrString::TrimLeft(const WCHAR* set) noexcept
{
    if (!set || IsEmpty() || !IsWellFormed())
        return;
    UINT first = LeadingRun(m_str, Length(), [set](WCHAR u) { return InSet(set, u); });
    Keep(first, Length() - first);
}

void CBstrString::TrimRight() noexcept
{
    if (IsEmpty() || !IsWellFormed())
        return;
    Keep(0, EndBeforeTrailingRun(m_str, Length(), IsSpace));
}

void CBstrString::TrimRight(WCHAR unit) noexcept
{
    if (IsEmpty() || !IsWellFormed())
        return;
    Keep(0, EndBeforeTrailingRun(m_str, Length(), [unit](WCHAR u) { return u == unit; }));
}

void CBstrString::TrimRight(const WCHAR* set) noexcept
{
    if (!set || IsEmpty() || !IsWellFormed())
        return;
    Keep(0, EndBeforeTrailingRun(m_str, Length(), [set](WCHAR u) { return InSet(set, u); }));
}

HRESULT CBstrString::SetWithout(const WCHAR* set, const WCHAR* source) noexcept
{
    if (!source)
        return E_INVALIDARG;
    if (!set)
        set = kEmptyText;
    size_t count = 0;
    for (const WCHAR* p = source; *p; ++p)
        if (!InSet(set, *p))
            ++count;
    if (count > kMaxLength)
        return E_OUTOFMEMORY;
    BSTR fresh = SysAllocStringLen(nullptr, static_cast<UINT>(count));
    if (!fresh)
        return E_OUTOFMEMORY;
    WCHAR* out = fresh;
    for (const WCHAR* p = source; *p; ++p)
        if (!InSet(set, *p))
            *out++ = *p;
    // source may be this text: it is freed only now.
    Reset(fresh);
    return S_OK;
}
