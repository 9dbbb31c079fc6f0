#include "annalist/TextConversion.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "pal/utf8.h"
#include "text/Utf8.h"

namespace {

// One stretch of text without zero characters.
bool DecodePiece(const std::string& piece, WideString& out)
{
    if (piece.empty())
        return true;
    size_t units = Utf8ToWide(piece.c_str(), nullptr, 0);
    if (units == 0)
        return false;
    std::vector<WCHAR> buffer(units);
    if (Utf8ToWide(piece.c_str(), buffer.data(), units) != units)
        return false;
    out.append(buffer.data(), units - 1);
    return true;
}

void EncodePiece(const WCHAR* text, std::string& out)
{
    size_t bytes = WideToUtf8(text, nullptr, 0);
    if (bytes == 0)
        return;
    std::vector<char> buffer(bytes);
    if (WideToUtf8(text, buffer.data(), bytes) == bytes)
        out.append(buffer.data(), bytes - 1);
}

bool IsAscii(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

bool WideFromUtf8(const std::string& text, WideString& wide)
{
    if (IsAscii(text)) { // most texts: each byte is its character
        wide.assign(text.begin(), text.end());
        return true;
    }
    WideString out;
    size_t start = 0;
    for (;;) {
        size_t zero = text.find('\0', start);
        if (!DecodePiece(text.substr(start, zero == std::string::npos ? std::string::npos : zero - start), out))
            return false;
        if (zero == std::string::npos)
            break;
        out.push_back(0);
        start = zero + 1;
    }
    wide.swap(out);
    return true;
}

BSTR BstrFromUtf8(const std::string& text, bool& notUtf8)
{
    notUtf8 = false;
    if (IsAscii(text)) {
        BSTR made = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
        if (made)
            std::copy(text.begin(), text.end(), made);
        return made;
    }
    WideString wide;
    if (!WideFromUtf8(text, wide)) {
        notUtf8 = true;
        return nullptr;
    }
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

WideString WideFromUtf8Lenient(const std::string& text)
{
    WideString wide;
    if (WideFromUtf8(text, wide))
        return wide;
    for (unsigned char c : text)
        wide.push_back(static_cast<WCHAR>(c));
    return wide;
}

std::string Utf8FromWide(const WCHAR* text, size_t length)
{
    std::string out;
    if (!text)
        return out;
    WideString piece;
    for (size_t i = 0; i <= length; ++i) {
        if (i == length || text[i] == 0) {
            EncodePiece(piece.c_str(), out);
            piece.clear();
            if (i < length)
                out.push_back('\0');
        } else {
            piece.push_back(text[i]);
        }
    }
    return out;
}

std::string Utf8FromWide(const WideString& text) { return Utf8FromWide(text.data(), text.size()); }

std::string Utf8FromBstr(BSTR text) { return Utf8FromWide(text, SysStringLen(text)); }

std::string HresultText(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "0x%08lX", static_cast<unsigned long>(static_cast<ULONG>(hr)));
    return buffer;
}

size_t Utf8Width(const std::string& text)
{
    size_t width = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++width;
    return width;
}

bool IsStrictUtf8(const std::string& text)
{
    bool clean = true;
    PalDecodeUtf8(text.data(), text.size(), nullptr, PalUtf8Rule::Windows, &clean);
    return clean;
}

std::string ShownBytes(const std::string& text)
{
    if (IsStrictUtf8(text))
        return text;
    std::string shown;
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            shown += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", byte);
            shown += escaped;
        }
    }
    return shown;
}

bool HasLoneSurrogate(const WideString& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        WCHAR c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            ++i; // a pair
        else if (c >= 0xD800 && c <= 0xDFFF)
            return true;
    }
    return false;
}
