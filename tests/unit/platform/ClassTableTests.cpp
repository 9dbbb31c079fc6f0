// The process's class table: class objects registered with
// CoRegisterClassObject answer CoGetClassObject and CoCreateInstance.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "pal/com_object.h"
#include "support/PlatformTestSupport.h"

using test::CountedObject;

namespace {

const CLSID kTestClass = {0x6A1E0C55, 0x3B1D, 0x4C0E, {0x9A, 0x51, 0x2F, 0x7D, 0x10, 0x42, 0xC3, 0x01}};
const CLSID kUnknownClass = {0x6A1E0C55, 0x3B1D, 0x4C0E, {0x9A, 0x51, 0x2F, 0x7D, 0x10, 0x42, 0xC3, 0xFF}};

// A class object whose instances are one counted object.
class TestFactory : public IClassFactory {
public:
    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<TestFactory, IUnknown, IClassFactory>(IID_IUnknown),
            ComEntry<TestFactory, IClassFactory>(IID_IClassFactory),
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

    ULONG References() const { return m_refs; }
    CountedObject instance;
    std::atomic<int> created{0};

private:
    std::atomic<ULONG> m_refs{1};
};

} // namespace

TEST(ClassTable, RegisteredClassIsCreated)
{
    TestFactory factory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kTestClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);

    IUnknown* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    EXPECT_EQ(object, static_cast<IUnknown*>(&factory.instance));
    EXPECT_EQ(factory.created, 1);
    object->Release();

    IClassFactory* classObject = nullptr;
    ASSERT_EQ(CoGetClassObject(kTestClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&classObject)),
              S_OK);
    EXPECT_EQ(classObject, static_cast<IClassFactory*>(&factory));
    classObject->Release();

    // The instance's refusals come back to the caller.
    object = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&object)),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory.References(), 1u);
    EXPECT_EQ(factory.instance.References(), 1u);
}

TEST(ClassTable, UnknownOrRevokedClassIsNotRegistered)
{
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoGetClassObject(kUnknownClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &object),
              REGDB_E_CLASSNOTREG);

    TestFactory factory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kTestClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_TRUE(FAILED(CoRevokeClassObject(cookie)));
    EXPECT_EQ(factory.References(), 1u);
}

TEST(ClassTable, RegistrationsHaveTheirOwnCookies)
{
    TestFactory first, second;
    const CLSID otherClass = {0x6A1E0C55, 0x3B1D, 0x4C0E, {0x9A, 0x51, 0x2F, 0x7D, 0x10, 0x42, 0xC3, 0x02}};
    DWORD firstCookie = 0, secondCookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kTestClass, &first, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &firstCookie), S_OK);
    ASSERT_EQ(CoRegisterClassObject(otherClass, &second, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &secondCookie),
              S_OK);
    EXPECT_NE(firstCookie, secondCookie);

    ASSERT_EQ(CoRevokeClassObject(firstCookie), S_OK);
    void* object = nullptr;
    ASSERT_EQ(CoCreateInstance(otherClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(second.created, 1);
    EXPECT_EQ(first.created, 0);
    ASSERT_EQ(CoRevokeClassObject(secondCookie), S_OK);
}

TEST(ClassTable, ConcurrentRegistrationsStayApart)
{
    TestFactory factory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kTestClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);

    const int kThreads = 4, kRounds = 200;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&failures, t]() {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            CLSID own = kTestClass;
            own.Data4[7] = static_cast<BYTE>(0x10 + t);
            TestFactory ownFactory;
            for (int i = 0; i < kRounds; ++i) {
                DWORD ownCookie = 0;
                void* object = nullptr;
                if (FAILED(CoRegisterClassObject(own, &ownFactory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                                 &ownCookie)) ||
                    FAILED(CoCreateInstance(own, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object)))
                    ++failures;
                if (object)
                    static_cast<IUnknown*>(object)->Release();
                if (FAILED(CoRevokeClassObject(ownCookie)))
                    ++failures;
            }
            if (ownFactory.References() != 1u || ownFactory.created != kRounds)
                ++failures;
            CoUninitialize();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory.References(), 1u);
}
