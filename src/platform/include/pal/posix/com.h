// The COM subset: IUnknown, IClassFactory, activation through the per-process
// class table and the registry, and GUID text forms.
#pragma once

#include "pal/posix/errors.h"
#include "pal/posix/types.h"

// IUnknown and the STDMETHOD macros are those of annalist/com_types.h.
struct IClassFactory : public IUnknown {
    STDMETHOD(CreateInstance)(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) PURE;
    STDMETHOD(LockServer)(BOOL fLock) PURE;
};
typedef IClassFactory* LPCLASSFACTORY;

extern "C" const IID IID_IUnknown;
extern "C" const IID IID_IClassFactory;

enum tagCLSCTX {
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_REMOTE_SERVER = 0x10,
    CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER
};
typedef DWORD CLSCTX;

enum tagREGCLS { REGCLS_SINGLEUSE = 0, REGCLS_MULTIPLEUSE = 1, REGCLS_MULTI_SEPARATE = 2 };
enum tagCOINIT { COINIT_MULTITHREADED = 0, COINIT_APARTMENTTHREADED = 2 };

extern "C" {
HRESULT CoInitialize(LPVOID pvReserved);
HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
void CoUninitialize(void);

// Class objects registered here are found by CoGetClassObject and
// CoCreateInstance before the registry is consulted.
HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags, LPDWORD lpdwRegister);
HRESULT CoRevokeClassObject(DWORD dwRegister);

// Without a registered class object the class is looked up in the registry:
// HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 names a shared object that is
// loaded and asked through its DllGetClassObject export. Only in-process
// servers exist here: a context without CLSCTX_INPROC_SERVER finds none
// (REGDB_E_CLASSNOTREG). A server that cannot be found gives CO_E_DLLNOTFOUND,
// one that does not load or has no DllGetClassObject CO_E_ERRORINDLL. A bare
// file name is looked for beside this library, then along the loader's path.
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid, LPVOID* ppv);
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);

// The CLSID in HKEY_CLASSES_ROOT\<ProgID>\CLSID; CO_E_CLASSSTRING (and
// CLSID_NULL) when the ProgID is not registered or its CLSID is not a GUID.
HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);
HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);
HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid);
int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);

LPVOID CoTaskMemAlloc(SIZE_T cb);
void CoTaskMemFree(LPVOID pv);
}
