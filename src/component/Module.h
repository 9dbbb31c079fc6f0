// The module: instance handle, object map, class objects, termination
// functions and the standard registration loops. The lock count is the
// library's (ModuleLock.h).
//
// The library's own module is AnnalistModule(). On Windows DllMain
// initialises it at process attach and terminates it at detach. Everywhere it
// is also initialised on first use (the POSIX build has no attach
// notification; the test programs link the library code without its entry
// point), and terminated when the library is unloaded (or the program ends).
#pragma once

#include <vector>

#include "component/ObjectMap.h"

class CAnnalistModule {
public:
    CAnnalistModule() = default;
    ~CAnnalistModule() { Term(); }
    CAnnalistModule(const CAnnalistModule&) = delete;
    CAnnalistModule& operator=(const CAnnalistModule&) = delete;

    // Remembers the instance and the object map (ended by an entry with a
    // null CLSID) and runs each entry's initialisation hook.
    void Init(ObjectMapEntry* map, HINSTANCE instance);
    // Releases and forgets every class object, runs each entry's termination
    // hook and the termination functions. Nothing happens a second time.
    void Term();

    HINSTANCE Instance() const { return m_instance; }
    ObjectMapEntry* ObjectMap() const { return m_map; }

    // The class object of a class in the map, created on the first request;
    // E_POINTER, or CLASS_E_CLASSNOTAVAILABLE for a class not in the map.
    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
    // S_OK when no lock is held, else S_FALSE.
    HRESULT CanUnloadNow() const;

    // A function to run when the module terminates (last added runs first).
    void AddTermFunc(void (*function)());

    // Each entry's registration in register mode, stopping at the first
    // failure; then, when asked, the type library with the module's full path.
    HRESULT RegisterServer(bool registerTypeLib);
    // Each entry's registration in unregister mode; then, when asked, the
    // type library's unregistration.
    HRESULT UnregisterServer(bool unregisterTypeLib);

private:
    bool m_initialized = false;
    HINSTANCE m_instance = nullptr;
    ObjectMapEntry* m_map = nullptr;
    CRITICAL_SECTION m_lock;
    std::vector<void (*)()> m_termFunctions;
};

// The library's module, with the logger class in its object map.
CAnnalistModule& AnnalistModule();
