// The type library of a module: resource TYPELIB 1. On Windows it is loaded
// from the module file with the system's type-library loader; on POSIX the
// platform layer makes one from the library's description
// (TypeLibDescription.h). Either way the result answers GetLibAttr and can be
// given to RegisterTypeLib.
#pragma once

#include "pal/pal.h"

HRESULT LoadModuleTypeLib(HMODULE module, ITypeLib** typeLib);
