// UTF-16 <-> UTF-8: the one converter of the project, used by the results
// file (text/Utf8.h), the POSIX layer (file names, environment, registry and
// profile files) and its code page 65001.
//
// Encoding has one rule: a surrogate pair becomes one 4-byte sequence and a
// surrogate that is not part of a pair becomes U+FFFD (EF BF BD), so the
// output is always valid UTF-8.
//
// Decoding has two rules, chosen by the caller:
// - PalUtf8Rule::Tolerant, for the project's own files and names: 1- to
//   4-byte sequences (a 4-byte sequence gives a surrogate pair), and also the
//   3-byte forms of single surrogates that older files contain (they decode to
//   the surrogate they spell) and overlong forms (they decode to the unit they
//   spell).
// - PalUtf8Rule::Windows, for MultiByteToWideChar with CP_UTF8: well-formed
//   sequences only, as Windows (and Wine) decode them; an overlong form or an
//   encoded surrogate is invalid.
// Under either rule an invalid sequence (a stray continuation byte, a lead
// byte the rule does not take, a continuation byte outside the range the lead
// allows, a sequence cut short) becomes one U+FFFD for the lead byte together
// with the continuation bytes read before the fault, and the conversion says
// that it was not clean. Callers that must refuse such input (the results
// reader) test that.
#pragma once

#include <cstddef>
#include <string>

#include "pal/pal.h"

enum class PalUtf8Rule { Tolerant, Windows };

// Bytes of the UTF-8 form of length units of text.
size_t PalUtf8Length(const WCHAR* text, size_t length) noexcept;
// Writes the UTF-8 form of length units of text to out, which holds at least
// PalUtf8Length(text, length) bytes; returns the bytes written.
size_t PalEncodeUtf8(const WCHAR* text, size_t length, char* out) noexcept;

// Decodes length bytes into out (null: only counts) and returns the units.
// clean (when not null) is set to false when an invalid sequence was replaced.
size_t PalDecodeUtf8(const char* bytes, size_t length, WCHAR* out, PalUtf8Rule rule, bool* clean) noexcept;

// The bytes of the one sequence that starts at bytes (available of them from
// there) when it is valid under rule: 1 for ASCII, up to 4; 0 for an invalid
// or cut-short sequence.
size_t PalUtf8SequenceLength(const unsigned char* bytes, size_t available, PalUtf8Rule rule) noexcept;

// The same on strings (the tolerant rule for decoding).
std::string PalToUtf8(const WCHAR* text);
std::string PalToUtf8(const WCHAR* text, size_t length);
std::string PalToUtf8(const WideString& text);
WideString PalFromUtf8(const char* text);
WideString PalFromUtf8(const char* text, size_t length);
WideString PalFromUtf8(const std::string& text);
