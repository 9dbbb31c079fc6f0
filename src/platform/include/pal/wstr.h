// UTF-16 helpers that behave the same on every platform. The C library's
// wide-character functions work on 32-bit units on Linux, so the library never
// calls them; it uses these instead.
#pragma once

#include <string>

typedef std::basic_string<WCHAR> WideString;

// The value of a hexadecimal digit (either case), or -1 for any other
// character (of any width).
constexpr int PalHexDigit(long c)
{
    return c >= '0' && c <= '9'   ? static_cast<int>(c - '0')
           : c >= 'a' && c <= 'f' ? static_cast<int>(c - 'a' + 10)
           : c >= 'A' && c <= 'F' ? static_cast<int>(c - 'A' + 10)
                                  : -1;
}

inline size_t PAL_wcslen(const WCHAR* s)
{
    size_t n = 0;
    if (s)
        while (s[n])
            ++n;
    return n;
}

inline int PAL_wcscmp(const WCHAR* a, const WCHAR* b)
{
    for (;; ++a, ++b) {
        if (*a != *b)
            return (unsigned)*a < (unsigned)*b ? -1 : 1;
        if (!*a)
            return 0;
    }
}

inline int PAL_wcsncmp(const WCHAR* a, const WCHAR* b, size_t n)
{
    for (; n; --n, ++a, ++b) {
        if (*a != *b)
            return (unsigned)*a < (unsigned)*b ? -1 : 1;
        if (!*a)
            return 0;
    }
    return 0;
}

inline const WCHAR* PAL_wcschr(const WCHAR* s, WCHAR c)
{
    for (;; ++s) {
        if (*s == c)
            return s;
        if (!*s)
            return nullptr;
    }
}

inline const WCHAR* PAL_wcsrchr(const WCHAR* s, WCHAR c)
{
    const WCHAR* found = nullptr;
    for (;; ++s) {
        if (*s == c)
            found = s;
        if (!*s)
            return found;
    }
}

// White space as the Windows C runtime classifies it (C1_SPACE).
inline bool PAL_iswspace(WCHAR c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

inline WCHAR PAL_towlower(WCHAR c)
{
    if (c >= 'A' && c <= 'Z')
        return (WCHAR)(c + ('a' - 'A'));
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return (WCHAR)(c + 0x20);
    return c;
}

inline WCHAR PAL_towupper(WCHAR c)
{
    if (c >= 'a' && c <= 'z')
        return (WCHAR)(c - ('a' - 'A'));
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return (WCHAR)(c - 0x20);
    return c;
}

// Case-insensitive comparison (ASCII and Latin-1 letters).
inline int PAL_wcsicmp(const WCHAR* a, const WCHAR* b)
{
    for (;; ++a, ++b) {
        WCHAR x = PAL_towlower(*a), y = PAL_towlower(*b);
        if (x != y)
            return (unsigned)x < (unsigned)y ? -1 : 1;
        if (!x)
            return 0;
    }
}

// ASCII text to UTF-16 (for file names, environment values and the like that
// are known to be ASCII, and for tests).
inline WideString PAL_AsciiToWide(const char* s)
{
    WideString out;
    for (; s && *s; ++s)
        out.push_back((WCHAR)(unsigned char)*s);
    return out;
}
