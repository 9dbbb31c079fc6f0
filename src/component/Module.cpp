// The module (see Module.h).
#include "component/Module.h"

#include <mutex>

#include "component/AnnalistCreator.h"

#include "component/ClassFactory.h"
#include "component/LoggerDispatch.h"
#include "component/ModuleLock.h"
#include "component/ModuleRegistration.h"
#include "core/LoggerInterfaces.h"

void CAnnalistModule::Init(ObjectMapEntry* map, HINSTANCE instance)
{
    if (m_initialized)
        return;
    InitializeCriticalSection(&m_lock);
    m_instance = instance;
    m_map = map;
    m_initialized = true;
    for (ObjectMapEntry* entry = m_map; entry && entry->clsid; ++entry)
        if (entry->objectMain)
            entry->objectMain(true);
}

void CAnnalistModule::Term()
{
    if (!m_initialized)
        return;
    for (ObjectMapEntry* entry = m_map; entry && entry->clsid; ++entry) {
        if (entry->classObject) {
            entry->classObject->Release();
            entry->classObject = nullptr;
        }
        if (entry->objectMain)
            entry->objectMain(false);
    }
    while (!m_termFunctions.empty()) {
        void (*function)() = m_termFunctions.back();
        m_termFunctions.pop_back();
        function();
    }
    m_initialized = false;
    DeleteCriticalSection(&m_lock);
}

HRESULT CAnnalistModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!m_initialized)
        return CLASS_E_CLASSNOTAVAILABLE;
    for (ObjectMapEntry* entry = m_map; entry && entry->clsid; ++entry) {
        if (!IsEqualCLSID(*entry->clsid, rclsid))
            continue;
        if (!entry->classObject) {
            EnterCriticalSection(&m_lock);
            HRESULT hr = S_OK;
            // Another thread may have created it meanwhile.
            if (!entry->classObject)
                hr = CAnnalistClassFactory::Create(entry->createInstance, &entry->classObject);
            LeaveCriticalSection(&m_lock);
            if (FAILED(hr))
                return hr;
        }
        return entry->classObject->QueryInterface(riid, ppv);
    }
    // The framework's own class table is empty.
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CAnnalistModule::CanUnloadNow() const { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

void CAnnalistModule::AddTermFunc(void (*function)()) { m_termFunctions.push_back(function); }

HRESULT CAnnalistModule::RegisterServer(bool registerTypeLib)
{
    HRESULT hr = S_OK;
    for (ObjectMapEntry* entry = m_map; entry && entry->clsid; ++entry) {
        hr = entry->updateRegistry(TRUE);
        if (FAILED(hr))
            return hr;
    }
    if (registerTypeLib)
        hr = RegisterModuleTypeLibAtFullPath(m_instance);
    return hr;
}

HRESULT CAnnalistModule::UnregisterServer(bool unregisterTypeLib)
{
    HRESULT hr = S_OK;
    for (ObjectMapEntry* entry = m_map; entry && entry->clsid; ++entry)
        hr = entry->updateRegistry(FALSE);
    if (unregisterTypeLib)
        hr = UnregisterModuleTypeLib(m_instance);
    return hr;
}

namespace {

void EmptyObjectMain(bool) {}

ObjectMapEntry g_objectMap[] = {
    {&CLSID_Annalist, UpdateLoggerClassRegistry, CreateAnnalistInstance, EmptyObjectMain, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

// Destroyed, and so terminated, when the library is unloaded.
CAnnalistModule g_module;
std::once_flag g_moduleInitialized;

} // namespace

CAnnalistModule& AnnalistModule()
{
    std::call_once(g_moduleInitialized, [] {
        g_module.Init(g_objectMap, PAL_GetLibraryModule());
        g_module.AddTermFunc(&CLoggerDispatch::Release);
    });
    return g_module;
}
