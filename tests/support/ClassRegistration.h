// Classes made creatable for a test, the way a host's installation makes its
// objects creatable: a ProgID that names a CLSID in the registry, and a class
// object for that CLSID in the process's class table. Everything is undone
// when the objects go away.
//
// The keys are written to HKEY_CLASSES_ROOT: on the POSIX layer in the
// registry ANNALIST_REGISTRY names (see CPrivateRegistry), on Windows in the
// machine's classes (Wine's COM does not look into the user's classes). They
// are deleted afterwards; a key that existed before is neither changed nor
// deleted.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pal/pal.h"
#include "support/TestSupport.h"

namespace test {

// On the POSIX layer, a registry of its own in a temporary folder for the
// life of the object (ANNALIST_REGISTRY is restored afterwards). Nothing on
// Windows. Create it before the keys that should live in it.
class CPrivateRegistry {
public:
    CPrivateRegistry();
    ~CPrivateRegistry();
    CPrivateRegistry(const CPrivateRegistry&) = delete;
    CPrivateRegistry& operator=(const CPrivateRegistry&) = delete;

private:
    std::unique_ptr<TempFolder> m_folder;
    WideString m_old;
    bool m_hadOld = false;
};

// A key of the classes root (ownedKey\subPath, subPath may be empty) whose
// default value is `value`; ownedKey is deleted with its subtree afterwards.
// Nothing is written when ownedKey exists already (Written() is false).
class CScopedClassesKey {
public:
    CScopedClassesKey(const WideString& ownedKey, const WideString& subPath, const WideString& value);
    ~CScopedClassesKey();
    CScopedClassesKey(const CScopedClassesKey&) = delete;
    CScopedClassesKey& operator=(const CScopedClassesKey&) = delete;

    bool Written() const { return m_written; }

private:
    WideString m_ownedKey;
    bool m_created = false;
    bool m_written = false;
};

// The CLSID as registry text ("{...}").
WideString ClsidText(REFCLSID clsid);

// A class creatable under a ProgID: <ProgID>\CLSID in the registry and the
// class object in the class table (CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE).
class CScopedClass {
public:
    CScopedClass(const WideString& progId, REFCLSID clsid, IUnknown* classObject);
    ~CScopedClass();
    CScopedClass(const CScopedClass&) = delete;
    CScopedClass& operator=(const CScopedClass&) = delete;

    bool Registered() const { return m_key.Written() && m_cookie != 0; }

private:
    CScopedClassesKey m_key;
    DWORD m_cookie = 0;
};

} // namespace test
