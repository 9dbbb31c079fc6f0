#include "text/Utf8.h"

#include <cstring>

#include "pal/utf8.h"

size_t WideToUtf8(const WCHAR* text, char* buffer, size_t bufferBytes) noexcept
{
    if (!text || static_cast<const void*>(text) == static_cast<const void*>(buffer))
        return 0;
    size_t length = PAL_wcslen(text);
    size_t needed = PalUtf8Length(text, length) + 1;
    if (!buffer)
        return needed;
    if (bufferBytes < needed)
        return 0;
    buffer[PalEncodeUtf8(text, length, buffer)] = 0;
    return needed;
}

size_t Utf8ToWide(const char* text, WCHAR* buffer, size_t bufferUnits) noexcept
{
    if (!text || static_cast<const void*>(text) == static_cast<const void*>(buffer))
        return 0;
    size_t length = std::strlen(text);
    bool clean = true;
    size_t needed = PalDecodeUtf8(text, length, nullptr, PalUtf8Rule::Tolerant, &clean) + 1;
    if (!clean)
        return 0;
    if (!buffer)
        return needed;
    if (bufferUnits < needed)
        return 0;
    buffer[PalDecodeUtf8(text, length, buffer, PalUtf8Rule::Tolerant, nullptr)] = 0;
    return needed;
}
