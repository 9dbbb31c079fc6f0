// Helpers of the platform layer's conformance tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pal/pal.h"
#include "support/TestSupport.h"

namespace test {

// True when the platform layer is our POSIX one, whose stand-ins (hive files,
// console message boxes, mount points) some tests check directly; false on
// Windows, where the real API runs.
inline bool PosixPlatformLayer() { return std::filesystem::path::preferred_separator == '/'; }

// A Windows-style path below a folder: the parts are joined with backslashes,
// which the POSIX layer turns into slashes.
inline WideString Join(const WideString& folder, const char* relative)
{
    WideString path = folder + W("\\");
    for (const char* c = relative; *c; ++c)
        path.push_back(*c == '/' ? WCHAR('\\') : static_cast<WCHAR>(static_cast<unsigned char>(*c)));
    return path;
}

// Sets an environment variable for the life of the object and then restores
// the value it had.
class ScopedEnvironment {
public:
    ScopedEnvironment(const WCHAR* name, const WCHAR* value) : m_name(name)
    {
        WCHAR buffer[4096];
        DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
        m_had = length > 0 && length < 4096;
        if (m_had)
            m_old.assign(buffer, length);
        SetEnvironmentVariableW(name, value);
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(m_name.c_str(), m_had ? m_old.c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    WideString m_name;
    WideString m_old;
    bool m_had = false;
};

// Bytes of UTF-16LE text (for comparing whole UTF-16 files).
inline std::string Utf16Bytes(const WideString& text)
{
    std::string bytes;
    for (WCHAR c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

} // namespace test
