// Self-registration (see ModuleRegistration.h).
#include "component/ModuleRegistration.h"

#include <string>

#include "component/Module.h"
#include "component/ModuleTypeLib.h"
#include "component/Registrar.h"
#include "core/LoggerInterfaces.h"
#include "pal/interface_ptr.h"

namespace {

constexpr UINT kRegistryScriptId = 101;
constexpr DWORD kTypeLibRetryDelay = 172;
const WCHAR kRefCount[] = W("RefCount");

WideString GuidText(REFGUID guid)
{
    WCHAR text[64];
    if (StringFromGUID2(guid, text, 64) == 0)
        return WideString();
    return text;
}

// RegisterTypeLib with a path and an empty help folder (the API takes
// writable texts).
HRESULT RegisterTypeLibAt(ITypeLib* library, WideString path)
{
    WCHAR noHelpFolder[1] = {0};
    return RegisterTypeLib(library, &path[0], noHelpFolder);
}

WideString Decimal(unsigned value) { return PAL_AsciiToWide(std::to_string(value).c_str()); }

// "TypeLib\{LIBID}\<major>.<minor>\<lcid>\Win32" (decimal numbers); the
// system part follows the library's system ("Win64" for a 64-bit one).
WideString TypeLibCounterKey(const TLIBATTR& attributes)
{
    return W("TypeLib\\") + GuidText(attributes.guid) + W("\\") + Decimal(attributes.wMajorVerNum) + W(".") +
           Decimal(attributes.wMinorVerNum) + W("\\") + Decimal(attributes.lcid) +
           (attributes.syskind == SYS_WIN64 ? W("\\Win64") : W("\\Win32"));
}

// The counter key of the module's type library; false when the library or
// its attributes cannot be had (hr tells why).
bool ReadTypeLibCounterKey(ITypeLib* library, WideString& key, HRESULT& hr)
{
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr))
        return false;
    key = TypeLibCounterKey(*attributes);
    library->ReleaseTLibAttr(attributes);
    return true;
}

HRESULT RunRegistryScript(bool registering, const WideString& bareName)
{
    CAnnalistModule& module = AnnalistModule();
    WCHAR fullPath[MAX_PATH + 1] = {0};
    GetModuleFileNameW(module.Instance(), fullPath, MAX_PATH);
    CRegistrar registrar;
    registrar.AddReplacement(W("MODULE"), fullPath);
    registrar.AddReplacement(W("APPID"), W(""));
    registrar.AddReplacement(W("RELATIVE_PATH"), bareName.c_str());
    if (registering)
        return registrar.ResourceRegister(module.Instance(), kRegistryScriptId, W("REGISTRY"));
    return registrar.ResourceUnregister(module.Instance(), kRegistryScriptId, W("REGISTRY"));
}

} // namespace

WideString ModuleBareFileName(HMODULE module)
{
    WCHAR path[MAX_PATH + 1] = {0};
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0)
        return WideString();
    path[MAX_PATH] = 0;
    WideString name(path);
    size_t separator = name.find_last_of(W("\\/"));
    if (separator != WideString::npos)
        name.erase(0, separator + 1);
    if (name.size() > MAX_PATH)
        name.resize(MAX_PATH);
    return name;
}

DWORD UpdateRegistrationCount(HKEY key, bool registering)
{
    DWORD count = 0, type = 0, size = sizeof(count);
    if (RegQueryValueExW(key, kRefCount, nullptr, &type, reinterpret_cast<BYTE*>(&count), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(count))
        count = 0;
    if (registering) {
        ++count;
        RegSetValueExW(key, kRefCount, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof(count));
    } else if (count >= 2) {
        --count;
        RegSetValueExW(key, kRefCount, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof(count));
    } else if (count == 1) {
        count = 0;
        RegDeleteValueW(key, kRefCount);
    }
    return count;
}

HRESULT UpdateLoggerClassRegistry(BOOL registering)
{
    WideString bareName = ModuleBareFileName(AnnalistModule().Instance());
    HRESULT hr = S_OK;
    if (registering) {
        hr = RunRegistryScript(true, bareName);
        if (FAILED(hr))
            return hr;
    }
    WideString serverKey = W("CLSID\\") + GuidText(CLSID_Annalist) + W("\\InprocServer32");
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, serverKey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return E_FAIL;
    DWORD count = UpdateRegistrationCount(key, registering != FALSE);
    // The script removes the key, so it is closed first.
    RegCloseKey(key);
    if (!registering && count == 0)
        RunRegistryScript(false, bareName);
    return registering ? hr : S_OK;
}

HRESULT RegisterModuleTypeLibAtFullPath(HMODULE module)
{
    WCHAR path[MAX_PATH + 1] = {0};
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return E_FAIL;
    CInterfacePtr<ITypeLib> library;
    HRESULT hr = LoadModuleTypeLib(module, library.Out());
    if (FAILED(hr))
        return hr;
    // The library has no help file, so no help folder is registered.
    return RegisterTypeLib(library.Get(), path, nullptr);
}

HRESULT UnregisterModuleTypeLib(HMODULE module)
{
    CInterfacePtr<ITypeLib> library;
    HRESULT hr = LoadModuleTypeLib(module, library.Out());
    if (FAILED(hr))
        return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (SUCCEEDED(hr)) {
        hr = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                               attributes->syskind);
        library->ReleaseTLibAttr(attributes);
    }
    return hr;
}

HRESULT AnnalistRegisterServer()
{
    CAnnalistModule& module = AnnalistModule();
    HRESULT hr = module.RegisterServer(true);
    if (FAILED(hr))
        return hr;

    CInterfacePtr<ITypeLib> library;
    hr = LoadModuleTypeLib(module.Instance(), library.Out());
    if (FAILED(hr))
        return hr;
    // The type library under the bare file name replaces the full path just
    // written; one retry after a short pause, whose result is not reported.
    WideString bareName = ModuleBareFileName(module.Instance());
    if (FAILED(RegisterTypeLibAt(library.Get(), bareName))) {
        Sleep(kTypeLibRetryDelay);
        RegisterTypeLibAt(library.Get(), bareName);
    }

    WideString counterKey;
    bool haveKey = ReadTypeLibCounterKey(library.Get(), counterKey, hr);
    library.Release();
    if (!haveKey)
        return hr;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, counterKey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return E_FAIL;
    UpdateRegistrationCount(key, true);
    RegCloseKey(key);
    return hr;
}

HRESULT AnnalistUnregisterServer()
{
    CAnnalistModule& module = AnnalistModule();
    CInterfacePtr<ITypeLib> library;
    if (FAILED(LoadModuleTypeLib(module.Instance(), library.Out())))
        return S_OK;
    WideString counterKey;
    HRESULT hr = S_OK;
    HKEY key = nullptr;
    if (!ReadTypeLibCounterKey(library.Get(), counterKey, hr) ||
        RegOpenKeyExW(HKEY_CLASSES_ROOT, counterKey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return S_OK;
    DWORD count = UpdateRegistrationCount(key, false);
    module.UnregisterServer(false);
    if (count != 0) {
        // Other registrations remain: the type library stays registered
        // under the bare file name.
        WideString bareName = ModuleBareFileName(module.Instance());
        RegisterTypeLibAt(library.Get(), bareName);
    } else {
        UnregisterModuleTypeLib(module.Instance());
    }
    RegCloseKey(key);
    return S_OK;
}
