// Helpers of the component tests: a private registry for the native build,
// and reading keys and values back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pal/pal.h"
#include "support/TestSupport.h"
#include "support/PlatformTestSupport.h"

namespace test {

// Natively, points the registry at a temporary folder for the life of the
// object; under Wine the real registry of the test prefix is used.
class ScopedTestRegistry {
public:
    ScopedTestRegistry()
        : m_folder(std::make_unique<TempFolder>()),
          m_environment(W("ANNALIST_REGISTRY"), m_folder->Wide().c_str())
    {
    }

private:
    std::unique_ptr<TempFolder> m_folder;
    ScopedEnvironment m_environment;
};

inline bool KeyExists(HKEY root, const WideString& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The value's bytes when it has the type; "<missing>" or "<type N>" otherwise.
inline std::string ReadRaw(HKEY root, const WideString& path, const WCHAR* name, DWORD wantedType)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    BYTE buffer[4096];
    DWORD type = 0, size = sizeof(buffer);
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return "<missing>";
    if (type != wantedType)
        return "<type " + std::to_string(type) + ">";
    return std::string(reinterpret_cast<const char*>(buffer), size);
}

// A REG_SZ value as UTF-8.
inline std::string ReadString(HKEY root, const WideString& path, const WCHAR* name)
{
    std::string raw = ReadRaw(root, path, name, REG_SZ);
    if (raw.empty() || raw[0] == '<')
        return raw;
    WideString text;
    for (size_t i = 0; i + 1 < raw.size(); i += 2)
        text.push_back(static_cast<WCHAR>(static_cast<unsigned char>(raw[i]) |
                                          (static_cast<unsigned char>(raw[i + 1]) << 8)));
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    return Utf16ToUtf8(text);
}

// A REG_DWORD value; ~0 - 1 when missing or of another type.
inline DWORD ReadDword(HKEY root, const WideString& path, const WCHAR* name)
{
    std::string raw = ReadRaw(root, path, name, REG_DWORD);
    if (raw.size() != 4)
        return 0xFFFFFFFEu;
    return static_cast<DWORD>(static_cast<unsigned char>(raw[0])) |
           (static_cast<DWORD>(static_cast<unsigned char>(raw[1])) << 8) |
           (static_cast<DWORD>(static_cast<unsigned char>(raw[2])) << 16) |
           (static_cast<DWORD>(static_cast<unsigned char>(raw[3])) << 24);
}

inline WideString GuidText(REFGUID guid)
{
    WCHAR text[64];
    StringFromGUID2(guid, text, 64);
    return text;
}

} // namespace test
