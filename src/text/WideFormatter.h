// The library's printf-style formatter for wide text. Both builds format with
// it, so a template gives the same UTF-16 text on every platform.
//
// Conventions (those of the Windows wide printf functions):
//   %s %ls %ws      wide text (const WCHAR*)        %S %hs %hS   narrow text (const char*)
//   %c %lc %wc      wide character (passed as int)  %C %hc       narrow character (passed as int)
//   %d %i %u %o %x %X   integers; %p a pointer (upper-case hex, 8 or 16 digits)
//   %n              stores the number of units produced so far (int*, or by size prefix)
//   %e %E %f %g %G %a %A   doubles, C99 style ("1.5e+00", "inf", "nan")
//   %%              a percent sign
// Size prefixes: h (short), hh (char), l (32 bits: the Windows long), ll and I64
// (64 bits), I32 (32 bits), I, z, t, j (pointer-sized / 64 bits); F, N and L are
// accepted and ignored (so "%F" is a prefix waiting for its conversion, not a
// double; L does not make a double a long double).
// Flags - + blank # 0, width and precision, either of them '*' (an int
// argument; a negative width left-justifies, a negative precision is none).
// As on Windows, the 0 flag pads texts and characters with zeros too.
// A null text argument prints "(null)". Narrow texts and characters are
// widened byte by byte (each byte becomes the unit of the same value).
// An unknown conversion character is written as itself; a conversion cut off
// by the end of the template writes nothing.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "pal/pal.h"

// The result of a formatting that ran out of memory (a double with a huge
// precision) or whose length does not fit in a size_t.
constexpr size_t kWideFormatFailed = static_cast<size_t>(-1);

// Formats into buffer like vsnprintf: writes at most capacity - 1 units and a
// terminating zero (nothing when capacity is 0 or buffer is null) and returns
// the length of the whole text in units, without the terminating zero, so a
// call with a null buffer measures. A null template formats as an empty text.
size_t WideFormatV(WCHAR* buffer, size_t capacity, const WCHAR* format, va_list args) noexcept;
size_t WideFormat(WCHAR* buffer, size_t capacity, const WCHAR* format, ...) noexcept;
