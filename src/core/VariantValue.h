// CVariantValue: a VARIANT that clears itself.
#pragma once

#include "pal/pal.h"

class CVariantValue {
public:
    CVariantValue() noexcept { VariantInit(&m_value); }
    ~CVariantValue() { VariantClear(&m_value); }
    CVariantValue(const CVariantValue&) = delete;
    CVariantValue& operator=(const CVariantValue&) = delete;

    VARIANT* Get() noexcept { return &m_value; }
    const VARIANT* Get() const noexcept { return &m_value; }
    VARTYPE Type() const noexcept { return V_VT(&m_value); }
    void Clear() noexcept { VariantClear(&m_value); }

private:
    VARIANT m_value;
};
