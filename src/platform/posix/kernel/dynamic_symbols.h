// Shared objects that the process has loaded, as modules of the POSIX layer:
// GetModuleHandleW finds them by name and GetProcAddress finds their exports.
#pragma once

#include "pal/pal.h"
#include "resource/resource_module.h"

// The module of a shared object already loaded in the process under the
// name: "Name" and "Name.dll" stand for "libName.so"; a name that ends in
// ".so" or holds a version (".so.1") is taken as it is. The same module is
// returned for the same object every time. Null (with ERROR_MOD_NOT_FOUND)
// when no such object is loaded; the object is never loaded by this call.
PalModule* PalFindLoadedSharedObject(const WCHAR* name);
