// Conversions between the tool's UTF-8 texts (arguments, JSON, console) and
// the library's UTF-16 texts, and the few text helpers the tool's messages use.
#pragma once

#include <string>

#include "pal/pal.h"

// UTF-8 to UTF-16; zero characters inside the text are kept. False (and
// `wide` unchanged) when the text is not UTF-8.
bool WideFromUtf8(const std::string& text, WideString& wide);
// As above; text that is not UTF-8 is taken byte by byte (Latin-1), so that a
// file name can still be shown and tried.
WideString WideFromUtf8Lenient(const std::string& text);
// A BSTR of the UTF-8 text (zero characters kept); null when the text is
// not UTF-8 (`notUtf8` set) or when memory runs out.
BSTR BstrFromUtf8(const std::string& text, bool& notUtf8);
// UTF-16 to UTF-8 (a lone surrogate becomes U+FFFD); zero characters inside
// the text are kept.
std::string Utf8FromWide(const WCHAR* text, size_t length);
std::string Utf8FromWide(const WideString& text);
std::string Utf8FromBstr(BSTR text);

// True when the bytes are well-formed UTF-8 as Windows takes it: no
// encoded surrogate, no overlong form (so that a name means the same text
// on every platform).
bool IsStrictUtf8(const std::string& text);
// The bytes for display: as they are when IsStrictUtf8, else with every byte
// above 0x7F shown as "\xED", so that a message stays UTF-8.
std::string ShownBytes(const std::string& text);
// True when the text holds a surrogate that is not part of a pair (no file
// name on POSIX can hold one).
bool HasLoneSurrogate(const WideString& text);

// "0x80004005".
std::string HresultText(HRESULT hr);
// The number of characters (code points) of UTF-8 text, for aligning columns.
size_t Utf8Width(const std::string& text);
