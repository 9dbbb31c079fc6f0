// A description whose dictionary fails a call: the handler ends there, the
// event is finished with what it has, and LogEvent still succeeds.
#include <gtest/gtest.h>

#include "support/TestLogger.h"

using test::CTestDescription;

namespace {

// A dictionary that passes every call to a real one, except the calls about
// one key, which fail.
class CFailingDictionary : public IDictionary {
public:
    CFailingDictionary(IDictionary* inner, const WCHAR* failingKey) : m_inner(inner), m_failingKey(failingKey) {}
    virtual ~CFailingDictionary() = default;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) && !IsEqualIID(riid, IID_IDictionary))
            return E_NOINTERFACE;
        *ppv = static_cast<IDictionary*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++m_references; }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHOD(GetTypeInfoCount)(UINT* count) override { return m_inner->GetTypeInfoCount(count); }
    STDMETHOD(GetTypeInfo)(UINT index, LCID lcid, ITypeInfo** info) override
    {
        return m_inner->GetTypeInfo(index, lcid, info);
    }
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override
    {
        return m_inner->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    STDMETHOD(Invoke)(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argument) override
    {
        return m_inner->Invoke(id, riid, lcid, flags, params, result, exception, argument);
    }
    STDMETHOD(putref_Item)(VARIANT* key, VARIANT* item) override
    {
        return Fails(key) ? E_UNEXPECTED : m_inner->putref_Item(key, item);
    }
    STDMETHOD(put_Item)(VARIANT* key, VARIANT* item) override
    {
        return Fails(key) ? E_UNEXPECTED : m_inner->put_Item(key, item);
    }
    STDMETHOD(get_Item)(VARIANT* key, VARIANT* item) override
    {
        return Fails(key) ? E_UNEXPECTED : m_inner->get_Item(key, item);
    }
    STDMETHOD(Add)(VARIANT* key, VARIANT* item) override { return m_inner->Add(key, item); }
    STDMETHOD(get_Count)(LONG* count) override { return m_inner->get_Count(count); }
    STDMETHOD(Exists)(VARIANT* key, VARIANT_BOOL* exists) override
    {
        return Fails(key) ? E_UNEXPECTED : m_inner->Exists(key, exists);
    }
    STDMETHOD(Items)(VARIANT* items) override { return m_inner->Items(items); }
    STDMETHOD(put_Key)(VARIANT* key, VARIANT* newKey) override { return m_inner->put_Key(key, newKey); }
    STDMETHOD(Keys)(VARIANT* keys) override { return m_inner->Keys(keys); }
    STDMETHOD(Remove)(VARIANT* key) override { return m_inner->Remove(key); }
    STDMETHOD(RemoveAll)() override { return m_inner->RemoveAll(); }
    STDMETHOD(put_CompareMode)(CompareMethod mode) override { return m_inner->put_CompareMode(mode); }
    STDMETHOD(get_CompareMode)(CompareMethod* mode) override { return m_inner->get_CompareMode(mode); }
    STDMETHOD(_NewEnum)(IUnknown** enumerator) override { return m_inner->_NewEnum(enumerator); }
    STDMETHOD(get_HashVal)(VARIANT* key, VARIANT* value) override { return m_inner->get_HashVal(key, value); }

private:
    bool Fails(VARIANT* key) const
    {
        return key && V_VT(key) == VT_BSTR && CBstrString::FromBstr(V_BSTR(key)) == m_failingKey.c_str();
    }

    CInterfacePtr<IDictionary> m_inner;
    WideString m_failingKey;
    ULONG m_references = 0;
};

class DescriptionFailure : public ::testing::Test {
protected:
    DescriptionFailure()
    {
        settings.SetUsual();
        run.reset(new test::CTestRun(settings));
        EXPECT_EQ(S_OK, run->Log("StartRepLog", 1, 0));
    }

    // Logs the event with a description that fails on the key.
    HRESULT LogFailing(const char* type, LONG id, LONG parent, CTestDescription& values, const WCHAR* failingKey)
    {
        CInterfacePtr<IDictionary> failing(new CFailingDictionary(values.Dictionary(), failingKey));
        CBstrString eventType(test::Utf8ToUtf16(type).c_str());
        return run->Logger()->LogEvent(eventType.Get(), failing.Get(), parent, id, run->NextTime());
    }

    test::CTestSettings settings;
    std::unique_ptr<test::CTestRun> run;
};

} // namespace

TEST_F(DescriptionFailure, AStepIsFinishedWithWhatItHas)
{
    CTestDescription test;
    test.Text("TestName", "T");
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));

    CTestDescription step;
    step.Text("NodeName", "Half read").Int("Status", kovFail).Text("NodeType", "Link");
    ASSERT_EQ(S_OK, LogFailing("Replay", 11, 10, step, W("NodeType")));
    const EventNode* node = run->Logger()->Node(11);
    ASSERT_NE(nullptr, node);
    EXPECT_TRUE(node->displayName == W("Half read"));
    EXPECT_EQ(kovFail, node->status);
    EXPECT_TRUE(node->nodeType.IsEmpty());
    EXPECT_EQ(1, run->Logger()->State().scopes[0].failedCount);
    EXPECT_EQ(11, run->Logger()->LastEventId());
}

TEST_F(DescriptionFailure, WithoutAnOpenScopeTheEventIsDropped)
{
    CTestDescription test;
    test.Text("TestName", "T");
    ASSERT_EQ(S_OK, LogFailing("StartTest", 10, 0, test, W("TestName")));
    EXPECT_EQ(nullptr, run->Logger()->Node(10));
    EXPECT_TRUE(run->Logger()->State().scopeStack.empty());
}

TEST_F(DescriptionFailure, TheRunStillEnds)
{
    CTestDescription test;
    test.Text("TestName", "T");
    ASSERT_EQ(S_OK, run->Log("StartTest", 10, 0, test));
    CTestDescription action;
    action.Text("TestName", "A");
    ASSERT_EQ(S_OK, run->Log("StartAction", 11, 10, action));
    CTestDescription end;
    end.Text("ReturnValue", "x");
    ASSERT_EQ(S_OK, LogFailing("EndRepLog", 12, 0, end, W("ReturnValue")));
    EXPECT_TRUE(run->Logger()->State().scopeStack.empty());
    EXPECT_TRUE(run->Logger()->State().scopes.empty());
    EXPECT_TRUE(run->Logger()->State().nodesById.empty());
}
