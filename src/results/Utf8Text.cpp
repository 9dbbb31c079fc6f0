#include "results/Utf8Text.h"

namespace results {

namespace {

const uint32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes one sequence at `at` (at < size); 0 when it is not valid UTF-8.
// 3-byte surrogate forms are decoded (the caller pairs them).
size_t DecodeOne(const std::string& text, size_t at, uint32_t& codePoint)
{
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const size_t size = text.size();
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    size_t length = 0;
    uint32_t value = 0, minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > size)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        unsigned char byte = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(byte))
            return 0;
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF)
        return 0;
    codePoint = value;
    return length;
}

bool NeedsRepair(const std::string& text)
{
    for (unsigned char c : text)
        if (c >= 0x80)
            return true;
    return false;
}

} // namespace

void AppendCodePoint(std::string& out, uint32_t codePoint)
{
    if (codePoint == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        codePoint = kReplacement;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

void MakeValidUtf8(std::string& text)
{
    if (!NeedsRepair(text))
        return;
    // A quick pass: most texts are valid already.
    bool valid = true;
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint = 0;
        size_t length = DecodeOne(text, at, codePoint);
        if (length == 0 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            valid = false;
            break;
        }
        at += length;
    }
    if (valid)
        return;
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint = 0;
        size_t length = DecodeOne(text, at, codePoint);
        if (length == 0) {
            AppendCodePoint(out, kReplacement);
            ++at;
            continue;
        }
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
            uint32_t low = 0;
            size_t next = at + length < text.size() ? DecodeOne(text, at + length, low) : 0;
            if (next != 0 && low >= 0xDC00 && low <= 0xDFFF) {
                AppendCodePoint(out, 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00));
                at += length + next;
                continue;
            }
            codePoint = kReplacement;
        } else if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) {
            codePoint = kReplacement;
        }
        if (codePoint == 0)
            out += '\0';
        else
            AppendCodePoint(out, codePoint);
        at += length;
    }
    text.swap(out);
}

std::string Utf16LeToUtf8(const char* bytes, size_t size)
{
    std::string out;
    out.reserve(size);
    auto unit = [bytes](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at]) |
                                     (static_cast<unsigned char>(bytes[at + 1]) << 8));
    };
    size_t at = 0;
    for (; at + 1 < size; at += 2) {
        uint32_t value = unit(at);
        if (value >= 0xD800 && value <= 0xDBFF && at + 3 < size) {
            uint32_t low = unit(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendCodePoint(out, 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00));
                at += 2;
                continue;
            }
        }
        if (value == 0)
            out += '\0';
        else
            AppendCodePoint(out, value);
    }
    if (at < size)
        AppendCodePoint(out, kReplacement);
    return out;
}

} // namespace results
