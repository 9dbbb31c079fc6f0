// The library's exports: the class object, the unload test and
// self-registration. On Windows they are exported by annalist.def; in the
// POSIX shared object they are ordinary C symbols of default visibility.
#include "component/ModuleExports.h"

#include "component/Module.h"
#include "component/ModuleRegistration.h"

STDAPI DllCanUnloadNow(void) { return AnnalistModule().CanUnloadNow(); }

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    return AnnalistModule().GetClassObject(rclsid, riid, ppv);
}

STDAPI DllRegisterServer(void) { return AnnalistRegisterServer(); }

// Never reports a failure.
STDAPI DllUnregisterServer(void)
{
    AnnalistUnregisterServer();
    return S_OK;
}
