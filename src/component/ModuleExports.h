// The library's exports (ModuleExports.cpp), for callers that link the
// library code (the test programs) rather than load it.
#pragma once

#include "pal/pal.h"

STDAPI DllCanUnloadNow(void);
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
STDAPI DllRegisterServer(void);
STDAPI DllUnregisterServer(void);
