// UTF-16 <-> UTF-8 for the results file, on zero-terminated texts: the
// platform layer's converter (pal/utf8.h) with its tolerant rule. The writer
// thread calls WideToUtf8 twice per record: with a null buffer to learn the
// size, then into a buffer of exactly that size.
//
// Encoding: a surrogate pair becomes one 4-byte sequence; a surrogate that is
// not part of a pair becomes U+FFFD (EF BF BD), so the output is always valid
// UTF-8. Decoding takes 1- to 4-byte sequences (a 4-byte sequence gives a
// surrogate pair) and also the 3-byte forms of single surrogates that older
// files contain, which decode to the surrogate they spell. Overlong forms
// decode to the unit they spell; anything else that is not UTF-8 (a stray
// continuation byte, a lead byte F5-FF, a missing continuation byte, a value
// above U+10FFFF) makes the whole conversion fail.
#pragma once

#include <cstddef>

#include "pal/pal.h"

// Encodes the zero-terminated text with its terminating zero. Returns the
// byte count including the zero; with a null buffer only measures. Returns 0
// for a null text, when text and buffer are the same address, and when the
// buffer is smaller than needed (then nothing is written).
size_t WideToUtf8(const WCHAR* text, char* buffer, size_t bufferBytes) noexcept;

// Decodes the zero-terminated UTF-8 text with its terminating zero. Returns
// the unit count including the zero; with a null buffer only measures.
// Returns 0 for a null text, when text and buffer are the same address, for
// invalid UTF-8, and when the buffer is smaller than needed (then nothing is
// written).
size_t Utf8ToWide(const char* text, WCHAR* buffer, size_t bufferUnits) noexcept;
