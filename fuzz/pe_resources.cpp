// Windows modules opened as data: the PE reader and the resource lookup on
// any bytes, and the icon groups read from them as the logger reads icons.
#include "FuzzSupport.h"
#include "fs/IconFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WideString path = fuzz::WriteScratchFile("module.dll", data, size);
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return 0;
    const LPCWSTR types[] = {RT_GROUP_ICON, RT_ICON, RT_STRING, W("REGISTRY")};
    unsigned sum = 0;
    for (LPCWSTR type : types) {
        for (WORD id = 1; id <= 8; ++id) {
            for (WORD language : {0x0000, 0x0409, 0x0407}) {
                HRSRC resource = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
                if (!resource)
                    continue;
                DWORD bytes = SizeofResource(module, resource);
                const BYTE* at = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
                for (DWORD i = 0; at && i < bytes; i += 61)
                    sum += at[i];
            }
        }
    }
    WCHAR text[64];
    LoadStringW(module, 1, text, 64);
    FreeLibrary(module);
    for (LONG group = 1; group <= 4; ++group)
        FreeIconSet(LoadIconGroup(path.c_str(), group));
    return static_cast<int>(sum & 0);
}
