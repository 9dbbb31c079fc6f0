// CStringLoader: loads one string of a module's string table in a chosen
// language, reading the RT_STRING block itself, or as LoadStringW chooses.
// The text is never null: empty after construction and after a failed load.
#pragma once

#include <cstddef>
#include <memory>

#include "pal/pal.h"

class CStringLoader {
public:
    CStringLoader() noexcept = default;
    // Loads string id of the module in the system's default language
    // (GetSystemDefaultLangID). A null module is the library's resource module.
    CStringLoader(UINT id, HMODULE module) noexcept;
    CStringLoader(UINT id, LANGID language, HMODULE module) noexcept;

    // Loads string id in exactly that language (FindResourceExW on the
    // string's block). True when a non-empty string was found; the text is
    // empty otherwise.
    bool Load(UINT id, LANGID language, HMODULE module) noexcept;
    // Loads string id through LoadStringW (the system's own choice of
    // language). True when a non-empty string was loaded.
    bool LoadByUser(UINT id, HMODULE module) noexcept;

    const WCHAR* Text() const noexcept { return m_text ? m_text.get() : kEmpty; }
    size_t Length() const noexcept { return m_length; }

private:
    // Copies length units from units (which need not be aligned).
    bool SetText(const void* units, size_t length) noexcept;

    static constexpr WCHAR kEmpty[1] = {0};
    std::unique_ptr<WCHAR[]> m_text;
    size_t m_length = 0;
};
