// Helpers of the platform layer's tests: VARIANTs that clear themselves, the
// text a value converts to, and a COM object that counts its references.
#pragma once

#include <string>

#include "pal/pal.h"

namespace test {

// A VARIANT that is cleared when it goes away. The setters clear it first.
class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&m_value); }
    ~ScopedVariant() { VariantClear(&m_value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    VARIANT* get() { return &m_value; }
    VARTYPE vt() const { return V_VT(&m_value); }

    ScopedVariant& Bstr(const WCHAR* text); // a null text gives a null BSTR
    ScopedVariant& I2(SHORT value);
    ScopedVariant& I4(LONG value);
    ScopedVariant& R4(FLOAT value);
    ScopedVariant& R8(DOUBLE value);
    ScopedVariant& Date(DATE value);
    ScopedVariant& Bool(bool value);
    ScopedVariant& Null();
    ScopedVariant& Dispatch(IDispatch* object); // takes a reference of its own
    ScopedVariant& Unknown(IUnknown* object);   // takes a reference of its own

private:
    VARIANT m_value;
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
