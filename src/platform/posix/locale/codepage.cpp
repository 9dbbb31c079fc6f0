// Code-page conversions. The process ANSI (and OEM) code page is UTF-8, which
// this file converts itself; every other code page goes through iconv.
// - Wide to narrow: a character the code page lacks, and a lone surrogate,
//   become the default character ('?' or the caller's) and set
//   *lpUsedDefaultChar. No "best fit" replacements are made.
// - Narrow to wide: an invalid UTF-8 sequence becomes U+FFFD; an invalid byte
//   of another code page becomes that code page's default character (U+30FB
//   for 932, '?' otherwise) and makes MB_ERR_INVALID_CHARS fail with
//   ERROR_NO_UNICODE_TRANSLATION. The unassigned bytes 0x80-0x9F of a
//   single-byte code page are the C1 controls of the same value, as the
//   Windows tables map them.
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <string>

#include "pal/pal.h"
#include "pal/utf8.h"

namespace {

constexpr UINT kUtf8 = CP_UTF8;

// CP_ACP, CP_OEMCP and CP_THREAD_ACP are the process code page.
UINT ResolveCodePage(UINT codePage)
{
    return (codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP) ? kUtf8 : codePage;
}

// The iconv name of a Windows code page, or empty when there is none.
std::string IconvName(UINT codePage)
{
    switch (codePage) {
    case 1200: // UTF-16: not a narrow code page
    case 1201:
    case 12000:
    case 12001:
        return std::string();
    case 20127:
        return "ASCII";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 20932:
    case 51932:
        return "EUC-JP";
    case 50220:
    case 50221:
    case 50222:
        return "ISO-2022-JP";
    case 54936:
        return "GB18030";
    case CP_UTF7:
        return "UTF-7";
    case 10000:
        return "MACINTOSH";
    default:
        break;
    }
    if (codePage >= 28591 && codePage <= 28599)
        return "ISO-8859-" + std::to_string(codePage - 28590);
    if (codePage == 28603 || codePage == 28605)
        return "ISO-8859-" + std::to_string(codePage - 28590);
    if (codePage == 0 || codePage > 0xFFFF)
        return std::string();
    return "CP" + std::to_string(codePage);
}

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
const char* const kNativeUtf16 = "UTF-16LE";
#else
const char* const kNativeUtf16 = "UTF-16BE";
#endif

// An open iconv conversion, closed with the object.
class IconvConverter {
public:
    IconvConverter(const std::string& to, const std::string& from)
        : m_cd(to.empty() || from.empty() ? reinterpret_cast<iconv_t>(-1) : iconv_open(to.c_str(), from.c_str()))
    {
    }
    ~IconvConverter()
    {
        if (IsOpen())
            iconv_close(m_cd);
    }
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

bool IsKnownCodePage(UINT codePage)
{
    if (codePage == kUtf8)
        return true;
    IconvConverter probe("UTF-8", IconvName(codePage));
    return probe.IsOpen();
}

// Lead bytes of the double-byte code pages.
bool IsLeadByte(UINT codePage, BYTE b)
{
    switch (codePage) {
    case 932:
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
        return b >= 0x81 && b <= 0xFE;
    case 1361:
        return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
    default:
        return false;
    }
}

bool IsDoubleByteCodePage(UINT codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

bool HasLoneSurrogate(const WCHAR* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        else if (text[i] >= 0xD800 && text[i] <= 0xDFFF)
            return true;
    }
    return false;
}

// Wide to a code page through iconv, one character at a time so that a
// character the code page lacks can be replaced. False when the code page is
// unknown.
bool EncodeWithIconv(UINT codePage, const WCHAR* text, size_t length, const std::string& defaultChar,
                     std::string& out, bool& usedDefault)
{
    IconvConverter converter(IconvName(codePage), "UTF-8");
    if (!converter.IsOpen())
        return false;
    for (size_t i = 0; i < length; ++i) {
        size_t units = 1;
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            units = 2;
        bool lone = units == 1 && text[i] >= 0xD800 && text[i] <= 0xDFFF;
        bool converted = false;
        if (!lone) {
            std::string utf8 = PalToUtf8(text + i, units);
            char* in = &utf8[0];
            size_t inLeft = utf8.size();
            char buffer[32];
            char* outPtr = buffer;
            size_t outLeft = sizeof(buffer);
            if (iconv(converter.Get(), &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) {
                out.append(buffer, sizeof(buffer) - outLeft);
                converted = true;
            }
        }
        if (!converted) {
            // Each unit of a character the code page lacks is replaced.
            for (size_t k = 0; k < units; ++k)
                out += defaultChar;
            usedDefault = true;
        }
        i += units - 1;
    }
    // A stateful encoding returns to its initial state at the end.
    char buffer[32];
    char* outPtr = buffer;
    size_t outLeft = sizeof(buffer);
    if (iconv(converter.Get(), nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1))
        out.append(buffer, sizeof(buffer) - outLeft);
    return true;
}

// A code page to wide through iconv. Returns false when the code page is
// unknown; clean is false when an invalid byte was replaced.
bool DecodeWithIconv(UINT codePage, const BYTE* text, size_t length, WideString& out, bool& clean)
{
    IconvConverter converter(kNativeUtf16, IconvName(codePage));
    if (!converter.IsOpen())
        return false;
    clean = true;
    char* in = reinterpret_cast<char*>(const_cast<BYTE*>(text));
    size_t inLeft = length;
    while (inLeft > 0) {
        WCHAR buffer[256];
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof(buffer);
        size_t result = iconv(converter.Get(), &in, &inLeft, &outPtr, &outLeft);
        int error = result == static_cast<size_t>(-1) ? errno : 0;
        out.append(buffer, (sizeof(buffer) - outLeft) / sizeof(WCHAR));
        if (error == 0 || error == E2BIG)
            continue;
        // An invalid byte, or a sequence cut short by the end of the text.
        // Some converters hold a character back (to combine it with marks
        // that may follow); it comes before the replacement.
        outPtr = reinterpret_cast<char*>(buffer);
        outLeft = sizeof(buffer);
        if (iconv(converter.Get(), nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1))
            out.append(buffer, (sizeof(buffer) - outLeft) / sizeof(WCHAR));
        BYTE b = static_cast<BYTE>(*in);
        size_t skip = 1;
        if (IsDoubleByteCodePage(codePage)) {
            if (IsLeadByte(codePage, b) && inLeft >= 2)
                skip = 2;
            out.push_back(codePage == 932 ? 0x30FB : '?');
            clean = false;
        } else if (b >= 0x80 && b <= 0x9F) {
            // The unassigned positions of the Windows single-byte tables.
            out.push_back(b);
        } else {
            out.push_back('?');
            clean = false;
        }
        in += skip;
        inLeft -= skip;
    }
    // Whatever the converter still holds.
    WCHAR buffer[16];
    char* outPtr = reinterpret_cast<char*>(buffer);
    size_t outLeft = sizeof(buffer);
    if (iconv(converter.Get(), nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1))
        out.append(buffer, (sizeof(buffer) - outLeft) / sizeof(WCHAR));
    return true;
}

} // namespace

extern "C" UINT GetACP(void) { return kUtf8; }

extern "C" UINT GetOEMCP(void) { return kUtf8; }

extern "C" int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                   LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                   BOOL* lpUsedDefaultChar)
{
    if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 || (cbMultiByte > 0 && !lpMultiByteStr) ||
        (lpMultiByteStr && static_cast<const void*>(lpWideCharStr) == static_cast<const void*>(lpMultiByteStr))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    UINT codePage = ResolveCodePage(CodePage);
    // A negative count means a zero-terminated text, terminator included.
    size_t length = cchWideChar < 0 ? PAL_wcslen(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);

    std::string out;
    bool usedDefault = false;
    if (codePage == kUtf8) {
        // Every character has a UTF-8 form: a lone surrogate becomes U+FFFD
        // unless the caller asks for invalid input to fail.
        if ((dwFlags & WC_ERR_INVALID_CHARS) && HasLoneSurrogate(lpWideCharStr, length)) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
        out = PalToUtf8(lpWideCharStr, length);
    } else {
        std::string defaultChar = "?";
        if (lpDefaultChar && lpDefaultChar[0]) {
            defaultChar.assign(1, lpDefaultChar[0]);
            if (IsLeadByte(codePage, static_cast<BYTE>(lpDefaultChar[0])) && lpDefaultChar[1])
                defaultChar += lpDefaultChar[1];
        }
        if (!EncodeWithIconv(codePage, lpWideCharStr, length, defaultChar, out, usedDefault)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    }
    if (lpUsedDefaultChar)
        *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    if (out.size() > static_cast<size_t>(INT32_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (cbMultiByte == 0)
        return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(cbMultiByte)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpMultiByteStr, out.data(), out.size());
    return static_cast<int>(out.size());
}

extern "C" int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                   LPWSTR lpWideCharStr, int cchWideChar)
{
    if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 || (cchWideChar > 0 && !lpWideCharStr) ||
        (lpWideCharStr && static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const DWORD knownFlags = MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
    if ((dwFlags & ~knownFlags) || ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE))) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    UINT codePage = ResolveCodePage(CodePage);
    const BYTE* text = reinterpret_cast<const BYTE*>(lpMultiByteStr);
    // A negative count means a zero-terminated text, terminator included.
    size_t length = cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);

    WideString out;
    bool clean = true;
    if (codePage == kUtf8) {
        // Windows' rule: well-formed sequences only (pal/utf8.h).
        out.resize(PalDecodeUtf8(lpMultiByteStr, length, nullptr, PalUtf8Rule::Windows, &clean));
        if (!out.empty())
            PalDecodeUtf8(lpMultiByteStr, length, &out[0], PalUtf8Rule::Windows, nullptr);
    } else if (!DecodeWithIconv(codePage, text, length, out, clean)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!clean && (dwFlags & MB_ERR_INVALID_CHARS)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (out.size() > static_cast<size_t>(INT32_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (cchWideChar == 0)
        return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(cchWideChar)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpWideCharStr, out.data(), out.size() * sizeof(WCHAR));
    return static_cast<int>(out.size());
}

extern "C" BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar)
{
    UINT codePage = ResolveCodePage(CodePage);
    if (!IsKnownCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return IsLeadByte(codePage, TestChar) ? TRUE : FALSE;
}
