#include "text/Utf8.h"

#include <cstdint>

namespace {

const uint32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Bytes of the UTF-8 form of the text, without the terminating zero.
size_t EncodedLength(const WCHAR* text)
{
    size_t bytes = 0;
    for (const WCHAR* p = text; *p; ++p) {
        uint32_t unit = *p;
        if (unit < 0x80)
            bytes += 1;
        else if (unit < 0x800)
            bytes += 2;
        else if (IsHighSurrogate(unit) && IsLowSurrogate(p[1])) {
            bytes += 4;
            ++p;
        } else
            bytes += 3; // other units, and a lone surrogate as U+FFFD
    }
    return bytes;
}

// Encodes the text and its zero; the buffer is known to be large enough.
void Encode(const WCHAR* text, unsigned char* out)
{
    for (const WCHAR* p = text; *p; ++p) {
        uint32_t unit = *p;
        if (unit < 0x80) {
            *out++ = static_cast<unsigned char>(unit);
        } else if (unit < 0x800) {
            *out++ = static_cast<unsigned char>(0xC0 | (unit >> 6));
            *out++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        } else if (IsHighSurrogate(unit) && IsLowSurrogate(p[1])) {
            uint32_t code = 0x10000 + ((unit - 0xD800) << 10) + (static_cast<uint32_t>(p[1]) - 0xDC00);
            ++p;
            *out++ = static_cast<unsigned char>(0xF0 | (code >> 18));
            *out++ = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
            *out++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
            *out++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
        } else {
            if (IsHighSurrogate(unit) || IsLowSurrogate(unit))
                unit = kReplacement;
            *out++ = static_cast<unsigned char>(0xE0 | (unit >> 12));
            *out++ = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
            *out++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        }
    }
    *out = 0;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes the text (into out when it is not null). Returns the units without
// the terminating zero, or false for invalid UTF-8.
bool Decode(const unsigned char* text, WCHAR* out, size_t& units)
{
    size_t count = 0;
    const unsigned char* p = text;
    while (*p) {
        uint32_t lead = *p;
        uint32_t code;
        if (lead < 0x80) {
            code = lead;
            p += 1;
        } else if (lead >= 0xC0 && lead <= 0xDF) {
            if (!IsContinuation(p[1]))
                return false;
            code = (lead & 0x1F) << 6 | (p[1] & 0x3F);
            p += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            if (!IsContinuation(p[1]) || !IsContinuation(p[2]))
                return false;
            code = (lead & 0x0F) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3F);
            p += 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            if (!IsContinuation(p[1]) || !IsContinuation(p[2]) || !IsContinuation(p[3]))
                return false;
            code = (lead & 0x07) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3F);
            if (code > 0x10FFFF)
                return false;
            p += 4;
        } else {
            return false; // a stray continuation byte, or F5-FF
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
    if (out)
        out[count] = 0;
    units = count;
    return true;
}

} // namespace

size_t WideToUtf8(const WCHAR* text, char* buffer, size_t bufferBytes) noexcept
{
    if (!text || static_cast<const void*>(text) == static_cast<const void*>(buffer))
        return 0;
    size_t needed = EncodedLength(text) + 1;
    if (!buffer)
        return needed;
    if (bufferBytes < needed)
        return 0;
    Encode(text, reinterpret_cast<unsigned char*>(buffer));
    return needed;
}

size_t Utf8ToWide(const char* text, WCHAR* buffer, size_t bufferUnits) noexcept
{
    if (!text || static_cast<const void*>(text) == static_cast<const void*>(buffer))
        return 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t units = 0;
    if (!Decode(bytes, nullptr, units))
        return 0;
    size_t needed = units + 1;
    if (!buffer)
        return needed;
    if (bufferUnits < needed)
        return 0;
    Decode(bytes, buffer, units);
    return needed;
}
