// The library entry point: the module is set up at process attach (thread
// notifications are turned off) and terminated at process detach.
#include "component/Module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        AnnalistModule();
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        AnnalistModule().Term();
    }
    return TRUE;
}
