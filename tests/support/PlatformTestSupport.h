// Helpers of the platform layer's conformance tests: the platform in use,
// Windows-style paths, scoped environment variables, UTF-16 file bytes,
// VARIANTs that clear themselves, the text a value converts to, and a COM
// object that counts its references.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pal/pal.h"
#include "pal/variant_holder.h"
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


// A VARIANT that is cleared when it goes away (the layer's CVariantValue),
// with the short setter names the platform tests use. The setters clear it
// first and chain.
class ScopedVariant : public CVariantValue {
public:
    VARIANT* get() { return Get(); }
    VARTYPE vt() const { return Type(); }

    ScopedVariant& Bstr(const WCHAR* text) { return Set(SetText(text)); } // a null text gives a null BSTR
    ScopedVariant& I2(SHORT value) { return Set(SetI2(value)); }
    ScopedVariant& I4(LONG value) { return Set(SetI4(value)); }
    ScopedVariant& R4(FLOAT value) { return Set(SetR4(value)); }
    ScopedVariant& R8(DOUBLE value) { return Set(SetR8(value)); }
    ScopedVariant& Date(DATE value) { return Set(SetDate(value)); }
    ScopedVariant& Bool(bool value) { return Set(SetBool(value)); }
    ScopedVariant& Null() { return Set(SetNull()); }
    ScopedVariant& Dispatch(IDispatch* object) { return Set(SetDispatch(object)); } // takes a reference of its own
    ScopedVariant& Unknown(IUnknown* object) { return Set(SetUnknown(object)); }    // takes a reference of its own

private:
    ScopedVariant& Set(CVariantValue&) { return *this; }
};

// A BSTR's text as UTF-8, for readable comparisons.
std::string Narrow(BSTR text);

// "0x80020005" and the like.
std::string HrText(HRESULT hr);

// The text VariantChangeType gives for the value, or "failed 0x..." when the
// conversion fails.
std::string TextOf(VARIANT* value, USHORT flags = 0);

// The result of VariantChangeType of a text to `vt`.
HRESULT ConvertText(const WCHAR* text, VARTYPE vt, ScopedVariant* out);

// An object that answers IUnknown only and counts its references. It lives
// on the test's stack: the count reaching zero does not delete it.
class CountedObject : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    ULONG References() const { return m_refs; }

private:
    ULONG m_refs = 1;
};

} // namespace test
