// Text forms of numbers and dates as OLE Automation reads and writes them in
// the en-US locale: the pieces of VariantChangeType that deal with VT_BSTR.
#pragma once

#include <cstdint>

#include "pal/pal.h"

// A number read from text: either an "&H"/"&O" literal (its bits, which the
// target type interprets) or a decimal value.
struct PalOleNumber {
    bool isRadixLiteral;
    uint32_t bits;
    double value;
};

// Decimal numbers: blanks around the number; a sign before or after it, or
// parentheses around it for a negative one; a "$" before or after it; thousands
// separators (",") after the first digit; a decimal point; an exponent
// ("1E+20"). Hexadecimal "&H1F" and octal "&O17" up to 32 bits.
// DISP_E_TYPEMISMATCH when the text is not a number, DISP_E_OVERFLOW when it
// is too large for a double (or for 32 bits, for a literal).
HRESULT PalParseOleNumber(const WCHAR* text, size_t length, PalOleNumber* out);

// A double with at most `significantDigits` digits (15 for VT_R8, 7 for VT_R4),
// in plain notation unless the exponent is below -4 or reaches the digit
// count, in which case it is written "1.5E+20" / "1E-05".
WideString PalFormatOleDouble(double value, int significantDigits);

// en-US date and time texts: "1/2/2024", "1/2/2024 15:04:05",
// "1/2/2024 3:04:05 PM", "2024-01-02 15:04:05", "3:04 PM", "15:04", "1/2"
// (this year); a comma may stand between date and time. DISP_E_TYPEMISMATCH
// for anything else or an invalid date.
HRESULT PalParseOleDate(const WCHAR* text, size_t length, DATE* out);

// The text of a date: "M/d/yyyy h:mm:ss tt"; a whole-number date prints the
// date only, a date whose whole part is 0 the time only. E_INVALIDARG when the
// value is not a valid date.
HRESULT PalFormatOleDate(DATE value, WideString* out);
