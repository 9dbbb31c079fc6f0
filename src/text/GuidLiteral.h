// GUIDs written in their text form ("322D175C-53D1-485B-BAF6-69BC95E033FC",
// without braces) and made at compile time, so that an identifier is spelled
// once, as the type library and the registry spell it. A text that is not a
// GUID does not compile.
#pragma once

#include "pal/pal.h"

namespace guid_literal {

constexpr unsigned HexDigit(char c)
{
    return PalHexDigit(c) >= 0 ? static_cast<unsigned>(PalHexDigit(c)) : throw "not a hexadecimal digit";
}

// The number written by `count` hex digits from `first` on.
constexpr unsigned long HexNumber(const char* text, int first, int count)
{
    unsigned long value = 0;
    for (int i = first; i < first + count; ++i)
        value = value * 16 + HexDigit(text[i]);
    return value;
}

} // namespace guid_literal

// The GUID of a 36-character text in the registry's form.
constexpr GUID GuidFromText(const char (&text)[37])
{
    using guid_literal::HexNumber;
    return text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-'
               ? throw "not a GUID"
               : GUID{static_cast<DWORD>(HexNumber(text, 0, 8)),
                      static_cast<WORD>(HexNumber(text, 9, 4)),
                      static_cast<WORD>(HexNumber(text, 14, 4)),
                      {static_cast<BYTE>(HexNumber(text, 19, 2)), static_cast<BYTE>(HexNumber(text, 21, 2)),
                       static_cast<BYTE>(HexNumber(text, 24, 2)), static_cast<BYTE>(HexNumber(text, 26, 2)),
                       static_cast<BYTE>(HexNumber(text, 28, 2)), static_cast<BYTE>(HexNumber(text, 30, 2)),
                       static_cast<BYTE>(HexNumber(text, 32, 2)), static_cast<BYTE>(HexNumber(text, 34, 2))}};
}
