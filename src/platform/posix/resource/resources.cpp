// Finding, loading and reading resources of a module, and loading strings from
// its string table.
#include <cstring>

#include "pal/pal.h"
#include "resource/resource_module.h"
#include "pal/utf8.h"

extern "C" HMODULE PAL_GetLibraryModule(void) { return PalLibraryModule(); }

extern "C" HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags)
{
    if (!lpLibFileName || !*lpLibFileName || hFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Only data files: this layer never runs code from a Windows module.
    if (!(dwFlags & LOAD_LIBRARY_AS_DATAFILE)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    WideString path(lpLibFileName);
    for (WCHAR& c : path)
        if (c == '\\')
            c = '/';
    PalModule* module = PalOpenDataFileModule(PalToUtf8(path.c_str()));
    if (!module)
        return nullptr;
    PalRegisterModule(module);
    return module;
}

extern "C" BOOL FreeLibrary(HMODULE hLibModule)
{
    if (!hLibModule) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    PalModule* module = PalResolveModule(hLibModule);
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    // The library and the executable stay loaded for the life of the process.
    if (module->GetKind() == PalModule::Kind::DataFile)
        PalUnregisterModule(module);
    return TRUE;
}

extern "C" HRSRC FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage)
{
    PalModule* module = PalResolveModule(hModule);
    if (!module)
        return nullptr;
    if (!lpType || !lpName) {
        SetLastError(!lpType ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const PalResource* resource =
        module->Find(PalResourceId::FromArgument(lpType), PalResourceId::FromArgument(lpName), wLanguage);
    return const_cast<PalResource*>(resource);
}

extern "C" HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType)
{
    return FindResourceExW(hModule, lpType, lpName, 0);
}

namespace {

// The resource when it belongs to the (live) module.
const PalResource* ResourceOf(HMODULE hModule, HRSRC hResInfo)
{
    PalModule* module = PalResolveModule(hModule);
    if (!module)
        return nullptr;
    if (!hResInfo || !module->Holds(hResInfo)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return hResInfo;
}

} // namespace

extern "C" HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo)
{
    const PalResource* resource = ResourceOf(hModule, hResInfo);
    return resource ? const_cast<BYTE*>(resource->data) : nullptr;
}

// A loaded resource is its bytes in the module's memory; there is nothing to
// lock or free.
extern "C" LPVOID LockResource(HGLOBAL hResData) { return hResData; }

extern "C" BOOL FreeResource(HGLOBAL) { return FALSE; }

extern "C" DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo)
{
    const PalResource* resource = ResourceOf(hModule, hResInfo);
    return resource ? resource->size : 0;
}

extern "C" int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax)
{
    if (!lpBuffer || cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WORD id = LOWORD(uID);
    HRSRC block = FindResourceW(hInstance, MAKEINTRESOURCEW((id >> 4) + 1), RT_STRING);
    if (!block)
        return 0;
    const BYTE* data = block->data;
    DWORD size = block->size;

    // Walk the counted strings of the block up to ours, never past its end.
    DWORD offset = 0;
    WORD length = 0;
    for (WORD index = 0;; ++index) {
        if (size - offset < sizeof(WORD)) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return 0;
        }
        length = static_cast<WORD>(data[offset] | (data[offset + 1] << 8));
        offset += sizeof(WORD);
        if (length > (size - offset) / sizeof(WCHAR)) {
            SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
            return 0;
        }
        if (index == (id & 15))
            break;
        offset += length * sizeof(WCHAR);
    }
    const BYTE* text = data + offset;

    if (cchBufferMax == 0) {
        // The caller gets a read-only pointer to the text in the resource.
        LPCWSTR pointer = reinterpret_cast<LPCWSTR>(text);
        std::memcpy(lpBuffer, &pointer, sizeof(pointer));
        return length;
    }
    int copied = length < cchBufferMax - 1 ? length : cchBufferMax - 1;
    std::memcpy(lpBuffer, text, static_cast<size_t>(copied) * sizeof(WCHAR));
    lpBuffer[copied] = 0;
    return copied;
}
