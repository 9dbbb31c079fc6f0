// Profile (INI) files with the Windows rules (see pal/posix/profile.h).
#include <cstring>
#include <mutex>

#include "file/path.h"
#include "file/profile_document.h"

namespace {

// The profile functions of the process run one at a time, so that an edit
// never works on a file that another edit is rewriting.
std::mutex& ProfileLock()
{
    static std::mutex lock;
    return lock;
}

// Copies a text into the caller's buffer, cut to fit: the number of characters
// copied, the terminator not counted.
DWORD CopyText(const WideString& text, LPWSTR buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    DWORD count = static_cast<DWORD>(text.size()) < size - 1 ? static_cast<DWORD>(text.size()) : size - 1;
    std::memcpy(buffer, text.data(), count * sizeof(WCHAR));
    buffer[count] = 0;
    return count;
}

// Copies a list of names, each followed by a zero and the whole by one more.
// When it does not fit, the list is cut and ends with two zeros, and the
// result is size - 2.
DWORD CopyList(const std::vector<WideString>& names, LPWSTR buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    if (size == 1) {
        buffer[0] = 0;
        return 0;
    }
    WideString all;
    for (const WideString& name : names) {
        all += name;
        all.push_back(0);
    }
    if (all.size() + 1 <= size) {
        std::memcpy(buffer, all.data(), all.size() * sizeof(WCHAR));
        buffer[all.size()] = 0;
        if (all.empty() && size > 1)
            buffer[1] = 0;
        return static_cast<DWORD>(all.size());
    }
    std::memcpy(buffer, all.data(), (size - 2) * sizeof(WCHAR));
    buffer[size - 2] = 0;
    buffer[size - 1] = 0;
    return size - 2;
}

// A value as the reading functions give it: a pair of matching quotes around
// it is dropped.
WideString Unquoted(const WideString& value)
{
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

// The default text without its trailing blanks.
WideString DefaultText(LPCWSTR text)
{
    WideString out = text ? WideString(text) : WideString();
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t'))
        out.pop_back();
    return out;
}

} // namespace

extern "C" DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                          LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0)
        return 0;
    std::lock_guard<std::mutex> guard(ProfileLock());
    ProfileDocument document;
    if (!lpFileName || !document.Load(PalPosixPath(lpFileName)))
        return CopyText(DefaultText(lpDefault), lpReturnedString, nSize);
    if (!lpAppName)
        return CopyList(document.SectionNames(), lpReturnedString, nSize);
    if (!lpKeyName) {
        if (!document.HasSection(lpAppName))
            return CopyText(DefaultText(lpDefault), lpReturnedString, nSize);
        return CopyList(document.KeyNames(lpAppName), lpReturnedString, nSize);
    }
    WideString value;
    if (!document.FindValue(lpAppName, lpKeyName, value))
        return CopyText(DefaultText(lpDefault), lpReturnedString, nSize);
    return CopyText(Unquoted(value), lpReturnedString, nSize);
}

extern "C" UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName)
{
    if (!lpAppName || !lpKeyName || !lpFileName)
        return static_cast<UINT>(nDefault);
    WideString value;
    {
        std::lock_guard<std::mutex> guard(ProfileLock());
        ProfileDocument document;
        if (!document.Load(PalPosixPath(lpFileName)) || !document.FindValue(lpAppName, lpKeyName, value))
            return static_cast<UINT>(nDefault);
    }
    value = Unquoted(value);
    if (value.empty())
        return static_cast<UINT>(nDefault);
    // A sign, then decimal digits or "0x" and hex digits, up to the first
    // other character; the number wraps around as a 32-bit one.
    size_t at = 0;
    bool negative = false;
    if (value[at] == '-' || value[at] == '+')
        negative = value[at++] == '-';
    UINT base = 10;
    if (at + 1 < value.size() && value[at] == '0' && (value[at + 1] == 'x' || value[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    UINT number = 0;
    for (; at < value.size(); ++at) {
        int digit = PalHexDigit(value[at]);
        if (digit < 0 || static_cast<UINT>(digit) >= base)
            break;
        number = number * base + static_cast<UINT>(digit);
    }
    return negative ? 0u - number : number;
}

extern "C" BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName)
{
    if (!lpAppName) {
        // All three null asks to flush the cache; there is none, and Windows
        // answers FALSE then too.
        SetLastError(lpKeyName || lpString ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS);
        return FALSE;
    }
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(ProfileLock());
    std::string path = PalPosixPath(lpFileName);
    ProfileDocument document;
    if (!document.Load(path))
        return FALSE;
    if (!lpKeyName)
        document.RemoveSection(lpAppName);
    else if (!lpString)
        document.RemoveKey(lpAppName, lpKeyName);
    else
        document.SetValue(lpAppName, lpKeyName, lpString);
    if (!document.Changed())
        return TRUE;
    return document.Save(path) ? TRUE : FALSE;
}
