// In-process servers named by the registry: a class that is not in the
// process's class table is looked up under
// HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32, whose default value names the
// shared object that serves it. The object is loaded once and stays loaded for
// the life of the process; its DllGetClassObject export gives the class
// object.
#pragma once

#include "pal/pal.h"

// The class object of a registered in-process server:
// - REGDB_E_CLASSNOTREG when the context has no CLSCTX_INPROC_SERVER (only
//   in-process servers exist here) or the class has no InprocServer32 entry;
// - CO_E_DLLNOTFOUND when the named shared object cannot be found;
// - CO_E_ERRORINDLL when it cannot be loaded or has no DllGetClassObject;
// - otherwise what DllGetClassObject answers.
// A bare file name is looked for in the folder of the file that holds this
// library, then along the loader's search path; a name with a folder (either
// slash) is taken as it is.
HRESULT PalGetInprocClassObject(REFCLSID rclsid, DWORD context, REFIID riid, void** ppv);
