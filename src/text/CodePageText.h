// Conversions between wide text and text in a Windows code page, through
// WideCharToMultiByte / MultiByteToWideChar with flags 0: characters the code
// page lacks become its default character ('?').
#pragma once

#include <memory>

#include "pal/pal.h"

// Converts the zero-terminated text into a new buffer of exactly the needed
// size (the zero included) and returns that size in bytes; -1 when the text
// is null or the conversion fails, and then `out` is empty. The buffer is
// freed by the unique_ptr (delete[]).
int WideToCodePage(const WCHAR* text, UINT codePage, std::unique_ptr<char[]>& out) noexcept;

// The same the other way: the size in units, the zero included, or -1.
int CodePageToWide(const char* text, UINT codePage, std::unique_ptr<WCHAR[]>& out) noexcept;
