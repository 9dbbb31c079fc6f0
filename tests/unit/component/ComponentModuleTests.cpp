// The module, its class object and the COM objects around a logger class:
// lock counting, creation rules, the interface set and aggregation. A stand-in
// logger class keeps these tests to the module's own behaviour.
#include <gtest/gtest.h>

#include "component/ClassFactory.h"
#include "component/LoggerObject.h"
#include "component/Module.h"
#include "component/ModuleLock.h"
#include "unit/component/StubLogger.h"

using test::CStubLogger;

int CStubLogger::s_live = 0;

namespace {

const CLSID kStubClsid = {0x2D7E4B11, 0x90AA, 0x4C1B, {0x8E, 0x33, 0x5A, 0x19, 0x42, 0x6F, 0x0D, 0x77}};
const IID kUnknownIid = {0x6E1D0A33, 0x1B2C, 0x4D5E, {0x9F, 0x60, 0x71, 0x82, 0x93, 0xA4, 0xB5, 0xC6}};

int g_objectMainCalls = 0;

HRESULT CreateStub(IUnknown* outer, REFIID riid, void** ppv)
{
    return CreateLoggerObject<CStubLogger>(outer, riid, ppv);
}
HRESULT NoRegistry(BOOL) { return S_OK; }
void CountObjectMain(bool) { ++g_objectMainCalls; }

// A controlling outer object on the test's stack: answers IUnknown itself and
// everything else through the inner object.
class COuter : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        if (!inner) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return inner->QueryInterface(riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    ULONG refs = 1;
    IUnknown* inner = nullptr;
};

class ComponentModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_map[0] = ObjectMapEntry{&kStubClsid, NoRegistry, CreateStub, CountObjectMain, nullptr};
        m_map[1] = ObjectMapEntry{nullptr, nullptr, nullptr, nullptr, nullptr};
        g_objectMainCalls = 0;
        m_module.Init(m_map, PAL_GetLibraryModule());
        ASSERT_EQ(ModuleLockCount(), 0);
    }
    void TearDown() override
    {
        m_module.Term();
        EXPECT_EQ(m_map[0].classObject, nullptr);
        EXPECT_EQ(ModuleLockCount(), 0);
        EXPECT_EQ(CStubLogger::s_live, 0);
    }

    IClassFactory* Factory()
    {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(m_module.GetClassObject(kStubClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        return factory;
    }

    ObjectMapEntry m_map[2];
    CAnnalistModule m_module;
};

} // namespace

TEST_F(ComponentModule, ClassObjectIsCachedAndHoldsALockOnlyForClients)
{
    EXPECT_EQ(g_objectMainCalls, 1);
    EXPECT_EQ(m_module.GetClassObject(kStubClsid, IID_IClassFactory, nullptr), E_POINTER);
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_module.GetClassObject(kUnknownIid, IID_IClassFactory, &other), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(m_module.GetClassObject(kStubClsid, kUnknownIid, &other), E_NOINTERFACE);
    EXPECT_EQ(m_module.CanUnloadNow(), S_OK);

    IClassFactory* first = Factory();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(m_module.CanUnloadNow(), S_FALSE);
    IClassFactory* second = Factory();
    EXPECT_EQ(first, second);
    EXPECT_EQ(ModuleLockCount(), 1); // one lock for all client references
    second->Release();
    EXPECT_EQ(m_module.CanUnloadNow(), S_FALSE);
    first->Release();
    // The module still keeps the class object, but that holds no lock.
    EXPECT_NE(m_map[0].classObject, nullptr);
    EXPECT_EQ(m_module.CanUnloadNow(), S_OK);
}

TEST_F(ComponentModule, LockServerAndLiveObjectsKeepTheLibrary)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    factory->LockServer(TRUE);
    factory->LockServer(TRUE);
    factory->Release();
    EXPECT_EQ(m_module.CanUnloadNow(), S_FALSE);
    m_map[0].classObject->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&factory));
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->LockServer(FALSE);

    ILogMedia3* logger = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ILogMedia3, reinterpret_cast<void**>(&logger)), S_OK);
    factory->Release();
    EXPECT_EQ(m_module.CanUnloadNow(), S_FALSE);
    EXPECT_EQ(ModuleLockCount(), 1);
    logger->Release();
    EXPECT_EQ(m_module.CanUnloadNow(), S_OK);
}

TEST_F(ComponentModule, CreateInstanceRules)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ILogMedia3, nullptr), E_POINTER);

    COuter outer;
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_ILogMedia3, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CStubLogger::s_live, 0);

    // A failing query destroys the new object.
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, kUnknownIid, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CStubLogger::s_live, 0);
    EXPECT_EQ(ModuleLockCount(), 1); // the factory reference only

    IUnknown* unknown = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(CStubLogger::s_live, 1);
    EXPECT_EQ(unknown->Release(), 0u);
    EXPECT_EQ(CStubLogger::s_live, 0);
    factory->Release();
}

TEST_F(ComponentModule, QueryInterfaceAnswersTheLoggerInterfaces)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    factory->Release();

    const IID* answered[] = {&IID_ILogMedia2, &IID_ILogMedia3, &IID_IAnnalistAdditionalInfo,
                             &IID_IAnnalistAdditionalInfo2, &IID_IDispatch, &IID_IUnknown};
    for (const IID* iid : answered) {
        IUnknown* itf = nullptr;
        ASSERT_EQ(unknown->QueryInterface(*iid, reinterpret_cast<void**>(&itf)), S_OK);
        // Every interface leads back to the same identity.
        IUnknown* identity = nullptr;
        ASSERT_EQ(itf->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
        EXPECT_EQ(identity, unknown);
        identity->Release();
        itf->Release();
    }
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(unknown->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(unknown->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    // The two custom interfaces are one vtable.
    IAnnalistAdditionalInfo* info = nullptr;
    IAnnalistAdditionalInfo2* info2 = nullptr;
    unknown->QueryInterface(IID_IAnnalistAdditionalInfo, reinterpret_cast<void**>(&info));
    unknown->QueryInterface(IID_IAnnalistAdditionalInfo2, reinterpret_cast<void**>(&info2));
    ASSERT_TRUE(info && info2);
    EXPECT_EQ(static_cast<void*>(info), static_cast<void*>(info2));
    LONG value = 0;
    EXPECT_EQ(info->IsEventTypeDisabled(nullptr, &value), S_OK);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(info2->IsEventFiltered(nullptr, 3, &value), S_OK);
    EXPECT_EQ(value, 103);
    info->Release();
    info2->Release();
    EXPECT_EQ(unknown->Release(), 0u);
}

TEST_F(ComponentModule, AggregatedObjectDelegatesToTheOuterObject)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    COuter outer;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    factory->Release();
    EXPECT_EQ(outer.refs, 1u); // the inner object does not count the outer one
    EXPECT_EQ(ModuleLockCount(), 1);

    // The inner IUnknown is itself; the other interfaces count the outer.
    IUnknown* inner = nullptr;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
    EXPECT_EQ(inner, outer.inner);
    inner->Release();

    ILogMedia3* logger = nullptr;
    ASSERT_EQ(outer.QueryInterface(IID_ILogMedia3, reinterpret_cast<void**>(&logger)), S_OK);
    EXPECT_EQ(outer.refs, 2u);
    IUnknown* identity = nullptr;
    ASSERT_EQ(logger->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
    EXPECT_EQ(outer.refs, 3u);
    identity->Release();
    EXPECT_EQ(logger->put_Filter(rfEnableErrorsOnly), S_OK);
    logger->Release();
    EXPECT_EQ(outer.refs, 1u);

    EXPECT_EQ(CStubLogger::s_live, 1);
    EXPECT_EQ(outer.inner->Release(), 0u);
    EXPECT_EQ(CStubLogger::s_live, 0);
    EXPECT_EQ(ModuleLockCount(), 0);
}
