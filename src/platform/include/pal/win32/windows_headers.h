// The real Windows headers, and the few declarations the library needs that
// the headers name differently or leave out.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>
#include <shlwapi.h>
#include <io.h>
#include <share.h>
#include <stdio.h>
#include <time.h>

// Generic names that collide with members of the library's own classes.
#undef LoadString
#undef FormatMessage
#undef GetObject

#ifndef CTL_E_ELEMENT_NOT_FOUND
#define CTL_E_ELEMENT_NOT_FOUND ((HRESULT)0x800A802BL)
#endif
#ifndef CTL_E_KEY_ALREADY_EXISTS
#define CTL_E_KEY_ALREADY_EXISTS ((HRESULT)0x800A01C9L)
#endif

// The module that holds the library's own resources: the DLL when the code
// runs inside it, the executable when the code is linked into one.
extern "C" HMODULE PAL_GetLibraryModule(void);
