// UTF-16 <-> UTF-8 inside the POSIX layer (file names, environment, iconv
// input). Unpaired surrogates become U+FFFD.
#pragma once

#include <string>

#include "pal/pal.h"

std::string PalToUtf8(const WCHAR* text);
std::string PalToUtf8(const WCHAR* text, size_t length);
WideString PalFromUtf8(const char* text);
WideString PalFromUtf8(const char* text, size_t length);
