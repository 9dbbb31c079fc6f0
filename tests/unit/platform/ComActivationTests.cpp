// Activation by ProgID and through the registry: CLSIDFromProgID reads
// <ProgID>\CLSID, CoCreateInstance and CoGetClassObject ask the class table
// first and then the InprocServer32 entry of the class, whose server is loaded
// and asked through DllGetClassObject. The tests with a server of their own
// run natively (the server is a shared object the test build makes); the rest
// runs against Windows' COM too.
#include <gtest/gtest.h>

#include "pal/com_object.h"
#include "support/ClassRegistration.h"
#include "support/PlatformTestSupport.h"

using test::CountedObject;
using test::CPrivateRegistry;
using test::CScopedClass;
using test::CScopedClassesKey;
using test::ClsidText;

// The interface of the test server's objects, declared as the server declares
// it. It is implemented outside this program, so it must not be local to this
// file (the compiler would take it to have no implementation at all).
struct ITestAnswer : public IUnknown {
    STDMETHOD(GetAnswer)(LONG* value) = 0;
    STDMETHOD(GetLiveObjects)(LONG* count) = 0;
};

namespace {

// The class of the test server (ComActivationServer.cpp)
// and its interface.
const CLSID kServerClass = {0xB0E3F2A6, 0x1C57, 0x4D0A, {0x9E, 0x61, 0x3F, 0x2C, 0x8D, 0x5A, 0x7B, 0x10}};
const IID kAnswerInterface = {0xB0E3F2A6, 0x1C57, 0x4D0A, {0x9E, 0x61, 0x3F, 0x2C, 0x8D, 0x5A, 0x7B, 0x11}};

const CLSID kTableClass = {0x1D3C7A90, 0x5E2B, 0x4F61, {0xA8, 0x4C, 0x90, 0x2E, 0x61, 0x7B, 0x33, 0x01}};
const CLSID kOtherClass = {0x1D3C7A90, 0x5E2B, 0x4F61, {0xA8, 0x4C, 0x90, 0x2E, 0x61, 0x7B, 0x33, 0x02}};

// A class object whose instances are one counted object.
class Factory : public IClassFactory {
public:
    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<Factory, IUnknown, IClassFactory>(IID_IUnknown),
            ComEntry<Factory, IClassFactory>(IID_IClassFactory),
            ComTableEnd(),
        };
        return table;
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override
    {
        return QueryComInterface(this, InterfaceTable(), riid, ppvObject);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override
    {
        *ppvObject = nullptr;
        if (pUnkOuter)
            return CLASS_E_NOAGGREGATION;
        ++created;
        return instance.QueryInterface(riid, ppvObject);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    CountedObject instance;
    int created = 0;

private:
    ULONG m_refs = 1;
};

WideString ServerPath() { return test::ToWide(test::BuildPath("tests/ComActivationServer.so")); }

// The class registered with the server file as its InprocServer32.
class ScopedServerClass {
public:
    ScopedServerClass(REFCLSID clsid, const WideString& server)
        : m_key(W("CLSID\\") + ClsidText(clsid), W("InprocServer32"), server)
    {
    }
    bool Written() const { return m_key.Written(); }

private:
    CScopedClassesKey m_key;
};

HRESULT CreateAnswer(REFCLSID clsid, DWORD context, ITestAnswer** answer)
{
    *answer = reinterpret_cast<ITestAnswer*>(1);
    return CoCreateInstance(clsid, nullptr, context, kAnswerInterface, reinterpret_cast<void**>(answer));
}

} // namespace

TEST(ComActivation, ProgIdNamesItsClass)
{
    CPrivateRegistry registry;
    CScopedClassesKey progId(W("Annalist.Tests.Named"), W("CLSID"), ClsidText(kTableClass));
    ASSERT_TRUE(progId.Written());
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(W("Annalist.Tests.Named"), &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kTableClass));
    // ProgIDs are registry key names: any case finds them.
    clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(W("ANNALIST.TESTS.NAMED"), &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kTableClass));

    // Not registered, or registered with text that is no CLSID.
    clsid = kOtherClass;
    EXPECT_EQ(CLSIDFromProgID(W("Annalist.Tests.Missing"), &clsid), CO_E_CLASSSTRING);
    EXPECT_TRUE(IsEqualCLSID(clsid, GUID_NULL));
    CScopedClassesKey broken(W("Annalist.Tests.Broken"), W("CLSID"), W("not a class"));
    ASSERT_TRUE(broken.Written());
    EXPECT_EQ(CLSIDFromProgID(W("Annalist.Tests.Broken"), &clsid), CO_E_CLASSSTRING);
    // A key without the CLSID below it names no class either.
    CScopedClassesKey bare(W("Annalist.Tests.Bare"), W(""), W("A class without its CLSID"));
    ASSERT_TRUE(bare.Written());
    EXPECT_EQ(CLSIDFromProgID(W("Annalist.Tests.Bare"), &clsid), CO_E_CLASSSTRING);

    EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
    EXPECT_EQ(CLSIDFromProgID(W("Annalist.Tests.Named"), nullptr), E_INVALIDARG);
}

TEST(ComActivation, ProgIdOfARegisteredClassObjectCreatesIt)
{
    CPrivateRegistry registry;
    Factory factory;
    {
        CScopedClass creatable(W("Annalist.Tests.Creatable"), kTableClass, &factory);
        ASSERT_TRUE(creatable.Registered());
        CLSID clsid = GUID_NULL;
        ASSERT_EQ(CLSIDFromProgID(W("Annalist.Tests.Creatable"), &clsid), S_OK);
        // The contexts the logger asks with: any in-process one finds it.
        for (DWORD context : {DWORD(CLSCTX_ALL), DWORD(CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)}) {
            IUnknown* object = nullptr;
            ASSERT_EQ(CoCreateInstance(clsid, nullptr, context, IID_IUnknown, reinterpret_cast<void**>(&object)),
                      S_OK);
            EXPECT_EQ(object, static_cast<IUnknown*>(&factory.instance));
            object->Release();
        }
        EXPECT_EQ(factory.created, 2);
    }
    // Undone: neither the ProgID nor the class object is left.
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(W("Annalist.Tests.Creatable"), &clsid), CO_E_CLASSSTRING);
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kTableClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(factory.instance.References(), 1u);
}

TEST(ComActivation, ClassWithoutAnInprocServerIsNotRegistered)
{
    CPrivateRegistry registry;
    CScopedClassesKey classKey(W("CLSID\\") + ClsidText(kOtherClass), W(""), W("Annalist test class"));
    ASSERT_TRUE(classKey.Written());
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(kOtherClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoGetClassObject(kOtherClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
}

TEST(ComActivation, RegisteredServerIsLoadedAndAsked)
{
    if (!test::PosixPlatformLayer())
        GTEST_SKIP() << "the test server is a shared object of the native builds";
    CPrivateRegistry registry;
    ScopedServerClass server(kServerClass, ServerPath());
    CScopedClassesKey progId(W("Annalist.Tests.Server"), W("CLSID"), ClsidText(kServerClass));
    ASSERT_TRUE(server.Written());

    CLSID clsid = GUID_NULL;
    ASSERT_EQ(CLSIDFromProgID(W("Annalist.Tests.Server"), &clsid), S_OK);
    ITestAnswer* first = nullptr;
    ASSERT_EQ(CreateAnswer(clsid, CLSCTX_ALL, &first), S_OK);
    LONG value = 0, live = 0;
    EXPECT_EQ(first->GetAnswer(&value), S_OK);
    EXPECT_EQ(value, 42);

    // The class object itself, and a second object from the same server.
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              S_OK);
    ITestAnswer* second = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, kAnswerInterface, reinterpret_cast<void**>(&second)), S_OK);
    factory->Release();
    EXPECT_EQ(second->GetLiveObjects(&live), S_OK);
    EXPECT_EQ(live, 2);
    second->Release();
    first->GetLiveObjects(&live);
    EXPECT_EQ(live, 1);
    first->Release();

    // The server's refusals come back as they are.
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    ScopedServerClass stranger(kOtherClass, ServerPath());
    EXPECT_EQ(CoCreateInstance(kOtherClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
}

TEST(ComActivation, ServerNamesAreFoundLikeWindowsNames)
{
    if (!test::PosixPlatformLayer())
        GTEST_SKIP() << "the test server is a shared object of the native builds";
    CPrivateRegistry registry;
    // Asked before the server is loaded (when this test runs first), the
    // module is not found; once loaded it is, although the answer was known.
    GetModuleHandleW(W("ComActivationServer.so"));
    // A bare file name: beside the library (here the test program, which
    // holds the library's code).
    {
        ScopedServerClass server(kServerClass, W("ComActivationServer.so"));
        ITestAnswer* answer = nullptr;
        ASSERT_EQ(CreateAnswer(kServerClass, CLSCTX_INPROC_SERVER, &answer), S_OK);
        answer->Release();
    }
    EXPECT_NE(nullptr, GetModuleHandleW(W("ComActivationServer.so")));
    // A path written with backslashes.
    {
        WideString path = ServerPath();
        for (WCHAR& c : path)
            if (c == '/')
                c = '\\';
        ScopedServerClass server(kServerClass, path);
        ITestAnswer* answer = nullptr;
        ASSERT_EQ(CreateAnswer(kServerClass, CLSCTX_INPROC_SERVER, &answer), S_OK);
        answer->Release();
    }
}

TEST(ComActivation, ServersThatCannotServeFailAsWindowsReportsThem)
{
    if (!test::PosixPlatformLayer())
        GTEST_SKIP() << "the test server is a shared object of the native builds";
    CPrivateRegistry registry;
    test::TempFolder folder;
    ITestAnswer* answer = nullptr;

    {
        // Only in-process servers exist: other contexts find no server.
        ScopedServerClass server(kServerClass, ServerPath());
        EXPECT_EQ(CreateAnswer(kServerClass, CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER, &answer),
                  REGDB_E_CLASSNOTREG);
        EXPECT_EQ(answer, nullptr);
        EXPECT_EQ(CreateAnswer(kServerClass, CLSCTX_INPROC_HANDLER, &answer), REGDB_E_CLASSNOTREG);
    }
    {
        ScopedServerClass server(kServerClass, folder.Wide("Missing.so"));
        EXPECT_EQ(CreateAnswer(kServerClass, CLSCTX_INPROC_SERVER, &answer), CO_E_DLLNOTFOUND);
        EXPECT_EQ(answer, nullptr);
    }
    {
        ScopedServerClass server(kServerClass, W("AnnalistNoSuchServer.so"));
        EXPECT_EQ(CreateAnswer(kServerClass, CLSCTX_INPROC_SERVER, &answer), CO_E_DLLNOTFOUND);
    }
    {
        // A file that is no shared object.
        test::WriteFileBytes(folder.Path() / "Text.so", "not a server");
        ScopedServerClass server(kServerClass, folder.Wide("Text.so"));
        EXPECT_EQ(CreateAnswer(kServerClass, CLSCTX_INPROC_SERVER, &answer), CO_E_ERRORINDLL);
        EXPECT_EQ(answer, nullptr);
    }
    {
        // A shared object without DllGetClassObject (the C library's maths).
        ScopedServerClass server(kServerClass, W("libm.so.6"));
        EXPECT_EQ(CreateAnswer(kServerClass, CLSCTX_INPROC_SERVER, &answer), CO_E_ERRORINDLL);
        EXPECT_EQ(answer, nullptr);
    }
}

TEST(ComActivation, ClassTableComesBeforeTheRegistry)
{
    if (!test::PosixPlatformLayer())
        GTEST_SKIP() << "the test server is a shared object of the native builds";
    CPrivateRegistry registry;
    ScopedServerClass server(kServerClass, ServerPath());
    Factory factory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kServerClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    IUnknown* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kServerClass, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&object)),
              S_OK);
    EXPECT_EQ(object, static_cast<IUnknown*>(&factory.instance));
    object->Release();
    ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);

    // Revoked: the registry's server answers again.
    ITestAnswer* answer = nullptr;
    ASSERT_EQ(CreateAnswer(kServerClass, CLSCTX_ALL, &answer), S_OK);
    answer->Release();
}
