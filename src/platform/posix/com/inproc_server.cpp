#include "com/inproc_server.h"

#include <dlfcn.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <string>

#include "file/path.h"
#include "com/registry_text.h"
#include "resource/resource_module.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* DllGetClassObjectFunction)(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

// Servers loaded so far, by the file name that was loaded; they stay loaded.
struct LoadedServers {
    std::mutex mutex;
    std::map<std::string, void*> handles;
};

LoadedServers& Servers()
{
    static LoadedServers* servers = new LoadedServers();
    return *servers;
}

bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Loads the server; CO_E_DLLNOTFOUND or CO_E_ERRORINDLL when it cannot.
HRESULT LoadServer(const std::string& name, void** handle)
{
    std::string file = name;
    bool found = true;
    if (name.find('/') == std::string::npos) {
        // A bare name: the folder of this library first, then the loader.
        std::string library;
        std::string besideLibrary;
        if (PalLibraryFilePath(library))
            besideLibrary = PalParentPath(library) + "/" + name;
        if (!besideLibrary.empty() && FileExists(besideLibrary))
            file = besideLibrary;
    } else {
        found = FileExists(name);
    }
    if (!found)
        return CO_E_DLLNOTFOUND;

    LoadedServers& servers = Servers();
    std::lock_guard<std::mutex> lock(servers.mutex);
    auto known = servers.handles.find(file);
    if (known != servers.handles.end()) {
        *handle = known->second;
        return S_OK;
    }
    void* loaded = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!loaded) {
        // A name the loader searched for may simply not be there; a file that
        // exists but does not load is a broken server.
        return file.find('/') == std::string::npos ? CO_E_DLLNOTFOUND : CO_E_ERRORINDLL;
    }
    servers.handles.emplace(file, loaded);
    *handle = loaded;
    return S_OK;
}

} // namespace

HRESULT PalGetInprocClassObject(REFCLSID rclsid, DWORD context, REFIID riid, void** ppv)
{
    *ppv = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;

    WCHAR clsidText[40];
    if (!StringFromGUID2(rclsid, clsidText, 40))
        return REGDB_E_CLASSNOTREG;
    WideString serverName;
    if (!PalReadClassesRootText(WideString(W("CLSID\\")) + clsidText + W("\\InprocServer32"), serverName) ||
        serverName.empty())
        return REGDB_E_CLASSNOTREG;

    void* handle = nullptr;
    HRESULT hr = LoadServer(PalPosixPath(serverName.c_str()), &handle);
    if (FAILED(hr))
        return hr;
    void* symbol = dlsym(handle, "DllGetClassObject");
    if (!symbol)
        return CO_E_ERRORINDLL;
    auto getClassObject = reinterpret_cast<DllGetClassObjectFunction>(symbol);
    hr = getClassObject(rclsid, riid, ppv);
    if (FAILED(hr))
        *ppv = nullptr;
    return hr;
}
