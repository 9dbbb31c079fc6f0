#include "support/ClassRegistration.h"

#include "support/PlatformTestSupport.h"

namespace test {

CPrivateRegistry::CPrivateRegistry()
{
    if (!PosixPlatformLayer())
        return;
    m_folder = std::make_unique<TempFolder>();
    WCHAR buffer[4096];
    DWORD length = GetEnvironmentVariableW(W("ANNALIST_REGISTRY"), buffer, 4096);
    m_hadOld = length > 0 && length < 4096;
    if (m_hadOld)
        m_old.assign(buffer, length);
    SetEnvironmentVariableW(W("ANNALIST_REGISTRY"), m_folder->Wide().c_str());
}

CPrivateRegistry::~CPrivateRegistry()
{
    if (m_folder)
        SetEnvironmentVariableW(W("ANNALIST_REGISTRY"), m_hadOld ? m_old.c_str() : nullptr);
}

CScopedClassesKey::CScopedClassesKey(const WideString& ownedKey, const WideString& subPath, const WideString& value)
    : m_ownedKey(ownedKey)
{
    // A key that was there before the test is not the test's to delete.
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, ownedKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        return;
    }
    WideString path = subPath.empty() ? ownedKey : ownedKey + W("\\") + subPath;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    m_created = true;
    DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR));
    m_written = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
                ERROR_SUCCESS;
    RegCloseKey(key);
}

CScopedClassesKey::~CScopedClassesKey()
{
    if (m_created)
        RegDeleteTreeW(HKEY_CLASSES_ROOT, m_ownedKey.c_str());
}

WideString ClsidText(REFCLSID clsid)
{
    WCHAR text[40];
    StringFromGUID2(clsid, text, 40);
    return text;
}

CScopedClass::CScopedClass(const WideString& progId, REFCLSID clsid, IUnknown* classObject)
    : m_key(progId, W("CLSID"), ClsidText(clsid))
{
    if (FAILED(CoRegisterClassObject(clsid, classObject, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie)))
        m_cookie = 0;
}

CScopedClass::~CScopedClass()
{
    if (m_cookie)
        CoRevokeClassObject(m_cookie);
}

} // namespace test
