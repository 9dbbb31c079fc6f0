#include "pal/utf8.h"

#include <cstdint>
#include <cstring>

namespace {

const uint32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The character that starts at text[i] (a pair counts as one), and the units
// it takes. A lone surrogate is U+FFFD.
uint32_t NextCharacter(const WCHAR* text, size_t length, size_t i, size_t& units)
{
    uint32_t unit = static_cast<uint16_t>(text[i]);
    units = 1;
    if (IsHighSurrogate(unit) && i + 1 < length && IsLowSurrogate(static_cast<uint16_t>(text[i + 1]))) {
        units = 2;
        return 0x10000 + ((unit - 0xD800) << 10) + (static_cast<uint16_t>(text[i + 1]) - 0xDC00u);
    }
    return IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit;
}

size_t EncodedSize(uint32_t code) { return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4; }

// What a lead byte starts: the continuation bytes it needs and the range its
// first continuation byte must lie in. False for a byte that starts nothing.
bool ReadLead(unsigned char lead, PalUtf8Rule rule, size_t& needed, uint32_t& code, unsigned char& low,
              unsigned char& high)
{
    const bool windows = rule == PalUtf8Rule::Windows;
    low = 0x80;
    high = 0xBF;
    if (lead >= (windows ? 0xC2 : 0xC0) && lead <= 0xDF) {
        needed = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        needed = 2;
        code = lead & 0x0F;
        if (windows && lead == 0xE0)
            low = 0xA0; // overlong
        else if (windows && lead == 0xED)
            high = 0x9F; // a surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        needed = 3;
        code = lead & 0x07;
        if (windows && lead == 0xF0)
            low = 0x90; // overlong
        else if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return false;
    }
    return true;
}

} // namespace

size_t PalUtf8Length(const WCHAR* text, size_t length) noexcept
{
    size_t bytes = 0;
    size_t i = 0;
    while (i < length) {
        // A run of ASCII (most text) counts one byte a unit.
        if (static_cast<uint16_t>(text[i]) < 0x80) {
            ++bytes;
            ++i;
            continue;
        }
        size_t units = 0;
        bytes += EncodedSize(NextCharacter(text, length, i, units));
        i += units;
    }
    return bytes;
}

size_t PalEncodeUtf8(const WCHAR* text, size_t length, char* out) noexcept
{
    unsigned char* p = reinterpret_cast<unsigned char*>(out);
    size_t i = 0;
    while (i < length) {
        uint32_t unit = static_cast<uint16_t>(text[i]);
        if (unit < 0x80) {
            *p++ = static_cast<unsigned char>(unit);
            ++i;
            continue;
        }
        size_t units = 0;
        uint32_t code = NextCharacter(text, length, i, units);
        i += units;
        switch (EncodedSize(code)) {
        case 2:
            *p++ = static_cast<unsigned char>(0xC0 | (code >> 6));
            *p++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
            break;
        case 3:
            *p++ = static_cast<unsigned char>(0xE0 | (code >> 12));
            *p++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
            *p++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
            break;
        default:
            *p++ = static_cast<unsigned char>(0xF0 | (code >> 18));
            *p++ = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
            *p++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
            *p++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
            break;
        }
    }
    return static_cast<size_t>(p - reinterpret_cast<unsigned char*>(out));
}

size_t PalDecodeUtf8(const char* bytes, size_t length, WCHAR* out, PalUtf8Rule rule, bool* clean) noexcept
{
    const unsigned char* text = reinterpret_cast<const unsigned char*>(bytes);
    size_t count = 0;
    bool allValid = true;
    size_t i = 0;
    while (i < length) {
        unsigned char lead = text[i];
        if (lead < 0x80) {
            // ASCII stands for itself.
            if (out)
                out[count] = static_cast<WCHAR>(lead);
            ++count;
            ++i;
            continue;
        }
        uint32_t code = lead;
        size_t used = 1;
        bool valid = lead < 0x80;
        size_t needed = 0;
        unsigned char low = 0, high = 0;
        if (!valid && ReadLead(lead, rule, needed, code, low, high)) {
            valid = true;
            for (size_t k = 1; k <= needed; ++k) {
                if (i + k >= length || !IsContinuation(text[i + k])) {
                    valid = false;
                    break;
                }
                ++used;
                if (k == 1 && (text[i + 1] < low || text[i + 1] > high)) {
                    valid = false;
                    break;
                }
                code = (code << 6) | (text[i + k] & 0x3F);
            }
        }
        i += used;
        if (!valid) {
            code = kReplacement;
            allValid = false;
        }
        if (code >= 0x10000) {
            if (out) {
                out[count] = static_cast<WCHAR>(0xD800 + ((code - 0x10000) >> 10));
                out[count + 1] = static_cast<WCHAR>(0xDC00 + ((code - 0x10000) & 0x3FF));
            }
            count += 2;
        } else {
            if (out)
                out[count] = static_cast<WCHAR>(code);
            count += 1;
        }
    }
    if (clean)
        *clean = allValid;
    return count;
}

size_t PalUtf8SequenceLength(const unsigned char* bytes, size_t available, PalUtf8Rule rule) noexcept
{
    if (available == 0)
        return 0;
    if (bytes[0] < 0x80)
        return 1;
    size_t needed = 0;
    uint32_t code = 0;
    unsigned char low = 0, high = 0;
    if (!ReadLead(bytes[0], rule, needed, code, low, high) || available <= needed || bytes[1] < low ||
        bytes[1] > high)
        return 0;
    for (size_t k = 2; k <= needed; ++k)
        if (!IsContinuation(bytes[k]))
            return 0;
    return needed + 1;
}

std::string PalToUtf8(const WCHAR* text) { return PalToUtf8(text, PAL_wcslen(text)); }

std::string PalToUtf8(const WideString& text) { return PalToUtf8(text.data(), text.size()); }

std::string PalToUtf8(const WCHAR* text, size_t length)
{
    std::string out(PalUtf8Length(text, length), '\0');
    if (!out.empty())
        PalEncodeUtf8(text, length, &out[0]);
    return out;
}

WideString PalFromUtf8(const char* text) { return PalFromUtf8(text, text ? std::strlen(text) : 0); }

WideString PalFromUtf8(const std::string& text) { return PalFromUtf8(text.data(), text.size()); }

WideString PalFromUtf8(const char* text, size_t length)
{
    WideString out(PalDecodeUtf8(text, length, nullptr, PalUtf8Rule::Tolerant, nullptr), WCHAR(0));
    if (!out.empty())
        PalDecodeUtf8(text, length, &out[0], PalUtf8Rule::Tolerant, nullptr);
    return out;
}
