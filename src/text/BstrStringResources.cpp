// CBstrString: the operations on string resources.
#include <memory>
#include <new>

#include "text/BstrString.h"
#include "text/ResourceStrings.h"

bool CBstrString::LoadString(HMODULE module, UINT id) noexcept
{
    // Most strings fit in 511 units; a longer one may have been cut, so it is
    // loaded again into larger buffers until two units are left over.
    const int kFirstSize = 512;
    WCHAR local[kFirstSize];
    int copied = LoadStringW(module, id, local, kFirstSize);
    if (copied < kFirstSize - 1) {
        if (copied <= 0) {
            Empty();
            return false;
        }
        return SUCCEEDED(Assign(local, static_cast<UINT>(copied)));
    }
    for (int size = 2 * kFirstSize;; size += kFirstSize) {
        std::unique_ptr<WCHAR[]> buffer(new (std::nothrow) WCHAR[static_cast<size_t>(size)]);
        if (!buffer)
            return false;
        copied = LoadStringW(module, id, buffer.get(), size);
        if (copied <= 0)
            return false;
        if (size - copied >= 2)
            return SUCCEEDED(Assign(buffer.get(), static_cast<UINT>(copied)));
        if (size > 0x7FFFFFFF - kFirstSize)
            return false;
    }
}

namespace {

// text = string id of the module (null: the library's) used as the template.
bool FormatWithString(CBstrString& text, HMODULE module, UINT id, va_list args) noexcept
{
    CBstrString format;
    if (!format.LoadString(module ? module : GetResourceModule(), id))
        return false;
    return SUCCEEDED(text.FormatV(format.c_str(), args));
}

} // namespace

bool CBstrString::FormatResource(UINT id, ...) noexcept
{
    va_list args;
    va_start(args, id);
    bool formatted = FormatWithString(*this, nullptr, id, args);
    va_end(args);
    return formatted;
}

bool CBstrString::FormatResourceFrom(UINT id, HMODULE module, ...) noexcept
{
    va_list args;
    va_start(args, module);
    bool formatted = FormatWithString(*this, module, id, args);
    va_end(args);
    return formatted;
}
