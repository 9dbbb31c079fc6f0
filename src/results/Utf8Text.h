// UTF-8 as the reader hands it out: every text is valid UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace results {

// Appends the UTF-8 form of a code point; surrogates, values above U+10FFFF
// and U+0000 become U+FFFD.
void AppendCodePoint(std::string& out, uint32_t codePoint);

// Makes `text` valid UTF-8 in place: a surrogate pair written as two 3-byte
// sequences (as older logger versions wrote characters outside the Basic
// Multilingual Plane) becomes its 4-byte form; every other byte that is not
// part of a valid sequence, and a lone surrogate, becomes U+FFFD.
void MakeValidUtf8(std::string& text);

// UTF-16LE bytes (without a byte-order mark) as UTF-8; unpaired surrogates
// and an odd last byte become U+FFFD.
std::string Utf16LeToUtf8(const char* bytes, size_t size);

} // namespace results
