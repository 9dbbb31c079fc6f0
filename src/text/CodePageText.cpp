#include "text/CodePageText.h"

#include <new>

int WideToCodePage(const WCHAR* text, UINT codePage, std::unique_ptr<char[]>& out) noexcept
{
    out.reset();
    if (!text)
        return -1;
    int size = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return -1;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!buffer)
        return -1;
    if (WideCharToMultiByte(codePage, 0, text, -1, buffer.get(), size, nullptr, nullptr) != size)
        return -1;
    out = std::move(buffer);
    return size;
}

int CodePageToWide(const char* text, UINT codePage, std::unique_ptr<WCHAR[]>& out) noexcept
{
    out.reset();
    if (!text)
        return -1;
    int size = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (size <= 0)
        return -1;
    std::unique_ptr<WCHAR[]> buffer(new (std::nothrow) WCHAR[static_cast<size_t>(size)]);
    if (!buffer)
        return -1;
    if (MultiByteToWideChar(codePage, 0, text, -1, buffer.get(), size) != size)
        return -1;
    out = std::move(buffer);
    return size;
}
