// Module names and handles, and the string lengths of the kernel.
#include <cstring>

#include "pal/pal.h"
#include "kernel/dynamic_symbols.h"
#include "resource/resource_module.h"
#include "pal/utf8.h"

extern "C" DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize)
{
    PalModule* module = PalResolveModule(hModule);
    std::string path;
    if (!module || !module->FilePath(path)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (nSize == 0 || !lpFilename) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    WideString name = PalFromUtf8(path.c_str());
    if (name.size() >= nSize) {
        // Cut to the buffer, terminator included.
        std::memcpy(lpFilename, name.data(), (nSize - 1) * sizeof(WCHAR));
        lpFilename[nSize - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(name.size());
}

namespace {

// The file name of a path, in upper case.
WideString BaseNameUpper(const WideString& path)
{
    size_t slash = path.find_last_of(W("/\\"));
    WideString name = slash == WideString::npos ? path : path.substr(slash + 1);
    for (WCHAR& c : name)
        c = PAL_towupper(c);
    return name;
}

// The upper-case file name of a module of the process (its file does not
// change while the process runs); empty when it has none.
WideString ModuleNameUpper(PalModule* module)
{
    std::string path;
    if (!module || !module->FilePath(path))
        return WideString();
    return BaseNameUpper(PalFromUtf8(path.c_str()));
}

// Whether the file name of `wanted` (a path or a name, any case) names the
// module whose upper-case file name is `own`: the same name, or the name
// without the ".SO" of a shared library.
bool IsModuleName(const WCHAR* wanted, const WideString& own)
{
    if (own.empty())
        return false;
    const WCHAR* name = wanted;
    const WCHAR* end = wanted;
    for (; *end; ++end)
        if (*end == '/' || *end == '\\')
            name = end + 1;
    size_t length = static_cast<size_t>(end - name);
    if (length != own.size() && !(length + 3 == own.size() && own.compare(length, 3, W(".SO")) == 0))
        return false;
    for (size_t i = 0; i < length; ++i)
        if (PAL_towupper(name[i]) != own[i])
            return false;
    return true;
}

} // namespace

extern "C" HMODULE GetModuleHandleW(LPCWSTR lpModuleName)
{
    if (!lpModuleName)
        return PalExecutableModule();
    // The library and the executable are known by their file names.
    static const WideString libraryName = ModuleNameUpper(PalLibraryModule());
    static const WideString executableName = ModuleNameUpper(PalExecutableModule());
    if (IsModuleName(lpModuleName, libraryName))
        return PalLibraryModule();
    if (IsModuleName(lpModuleName, executableName))
        return PalExecutableModule();
    return PalFindLoadedSharedObject(lpModuleName);
}

// There are no per-thread notifications to turn off.
extern "C" BOOL DisableThreadLibraryCalls(HMODULE) { return TRUE; }

extern "C" int lstrlenA(LPCSTR lpString) { return lpString ? static_cast<int>(std::strlen(lpString)) : 0; }

extern "C" int lstrlenW(LPCWSTR lpString) { return static_cast<int>(PAL_wcslen(lpString)); }
