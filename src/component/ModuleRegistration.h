// Self-registration of the library, with counted registrations.
//
// The server path under InprocServer32 is the library's bare file name, and
// the type library is registered under the same bare name. A REG_DWORD
// "RefCount" in the class's InprocServer32 key and another in the type
// library's TypeLib\{LIBID}\1.0\0\Win32 key count the registrations, so that
// several installations can each unregister the library: the entries go with
// the last unregistration only. A missing "RefCount", one that cannot be read
// or one of another type counts as 0.
#pragma once

#include "pal/pal.h"

// The module's file name without its folder (everything after the last
// backslash, or slash on POSIX; the whole name when there is none; empty when
// the name cannot be had), at most MAX_PATH characters.
WideString ModuleBareFileName(HMODULE module);

// Reads "RefCount" of the key, adds 1 (registering) or takes 1 away
// (unregistering: the value is deleted when it reaches 0, nothing is written
// when it is 0 already), and returns the new count. Write failures are not
// reported.
DWORD UpdateRegistrationCount(HKEY key, bool registering);

// The logger class's registration routine: runs the registry script (resource
// REGISTRY 101, with RELATIVE_PATH = the bare file name) and counts the
// registration in InprocServer32. E_FAIL when that key cannot be opened;
// when unregistering, the script runs in unregister mode only with the last
// count, and the result is S_OK.
HRESULT UpdateLoggerClassRegistry(BOOL registering);

// The type library registered with the module's full path (the framework's
// standard type-library registration), and its unregistration.
HRESULT RegisterModuleTypeLibAtFullPath(HMODULE module);
HRESULT UnregisterModuleTypeLib(HMODULE module);

// The bodies of DllRegisterServer and DllUnregisterServer.
HRESULT AnnalistRegisterServer();
HRESULT AnnalistUnregisterServer();
