// The module's type library, loaded from the module file's TYPELIB resource.
#include "component/ModuleTypeLib.h"

HRESULT LoadModuleTypeLib(HMODULE module, ITypeLib** typeLib)
{
    if (!typeLib)
        return E_POINTER;
    *typeLib = nullptr;
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return E_FAIL;
    return LoadTypeLibEx(path, REGKIND_NONE, typeLib);
}
