// IDispatch of the logger object: names, DISPIDs, argument coercion,
// property puts and gets, and the errors of OLE's dispatch. Each case runs
// twice: through the object's own IDispatch (the type library on Windows) and
// through the dispatch table directly; under Wine this holds the table to what
// the type library engine does.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "component/DispatchTable.h"
#include "component/LoggerObject.h"
#include "unit/component/StubLogger.h"
#include "support/PlatformTestSupport.h"

using test::CStubLogger;
using test::ScopedVariant;

namespace {

class LoggerDispatch : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CreateLoggerObject<CStubLogger>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&m_dispatch)),
                  S_OK);
        ILogMedia3* logger = nullptr;
        m_dispatch->QueryInterface(IID_ILogMedia3, reinterpret_cast<void**>(&logger));
        m_stub = static_cast<CStubLogger*>(logger);
        logger->Release();
    }
    void TearDown() override { m_dispatch->Release(); }

    bool UseTable() const { return GetParam(); }

    HRESULT Names(std::vector<const WCHAR*> names, std::vector<DISPID>& ids, REFIID riid = IID_NULL)
    {
        ids.assign(names.size(), 12345);
        std::vector<LPOLESTR> texts;
        for (const WCHAR* name : names)
            texts.push_back(const_cast<LPOLESTR>(name));
        UINT count = static_cast<UINT>(texts.size());
        if (UseTable())
            return CDispatchTable::GetIDsOfNames(riid, texts.data(), count, LOCALE_USER_DEFAULT, ids.data());
        return m_dispatch->GetIDsOfNames(riid, texts.data(), count, LOCALE_USER_DEFAULT, ids.data());
    }

    // Invokes with the arguments in call order (they are passed reversed, as
    // OLE wants them); a property put passes its last argument as the named
    // argument DISPID_PROPERTYPUT.
    HRESULT Call(DISPID id, WORD flags, std::vector<VARIANT*> args, VARIANT* result = nullptr,
                 REFIID riid = IID_NULL)
    {
        std::vector<VARIANT> reversed;
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            reversed.push_back(**it);
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                             static_cast<UINT>(reversed.size()), 0};
        if ((flags & DISPATCH_PROPERTYPUT) && !reversed.empty()) {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
        }
        std::memset(&m_exception, 0, sizeof(m_exception));
        m_argError = 12345;
        if (UseTable())
            return CDispatchTable::Invoke(m_stub, id, riid, LOCALE_USER_DEFAULT, flags, &params, result,
                                          &m_exception, &m_argError);
        return m_dispatch->Invoke(id, riid, LOCALE_USER_DEFAULT, flags, &params, result, &m_exception, &m_argError);
    }

    void ClearException()
    {
        SysFreeString(m_exception.bstrSource);
        SysFreeString(m_exception.bstrDescription);
        SysFreeString(m_exception.bstrHelpFile);
        std::memset(&m_exception, 0, sizeof(m_exception));
    }

    IDispatch* m_dispatch = nullptr;
    CStubLogger* m_stub = nullptr;
    EXCEPINFO m_exception{};
    UINT m_argError = 0;
};

} // namespace

TEST_P(LoggerDispatch, NamesAndArgumentNames)
{
    std::vector<DISPID> ids;
    const std::pair<const WCHAR*, DISPID> members[] = {{W("logevent"), 1},      {W("SETSTATUS"), 2},
                                                       {W("SetRegistryRoot"), 3}, {W("reportPath"), 4},
                                                       {W("Filter"), 5}};
    for (const auto& member : members) {
        ASSERT_EQ(Names({member.first}, ids), S_OK);
        EXPECT_EQ(ids[0], member.second);
    }
    EXPECT_EQ(Names({W("Nope")}, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    ASSERT_EQ(Names({W("SetStatus"), W("status"), W("ID")}, ids), S_OK);
    EXPECT_EQ(ids[1], 1);
    EXPECT_EQ(ids[2], 0);
    ASSERT_EQ(Names({W("LogEvent"), W("EventTimeVar"), W("pdescription")}, ids), S_OK);
    EXPECT_EQ(ids[1], 4);
    EXPECT_EQ(ids[2], 1);
    EXPECT_EQ(Names({W("LogEvent"), W("bogus")}, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    EXPECT_EQ(Names({W("LogEvent")}, ids, IID_IDispatch), DISP_E_UNKNOWNINTERFACE);

    UINT count = 99;
    EXPECT_EQ(m_dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_LE(count, 1u);
}

TEST_P(LoggerDispatch, LogEventCoercesItsArguments)
{
    IDictionary* dictionary = nullptr;
    ASSERT_EQ(PAL_CreateDictionary(&dictionary), S_OK);
    BSTR type = SysAllocString(W("StartTest"));
    VARIANT byRefType;
    V_VT(&byRefType) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&byRefType) = &type;
    ScopedVariant description, parent, id, time;
    description.Dispatch(dictionary);
    parent.Bstr(W(" 7 "));
    id.I2(9);
    time.Date(45000.5);
    VARIANT byRefTime;
    V_VT(&byRefTime) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&byRefTime) = time.get();

    ScopedVariant result;
    result.I4(5);
    ASSERT_EQ(Call(DISPID_LOGEVENT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                   {&byRefType, description.get(), parent.get(), id.get(), &byRefTime}, result.get()),
              S_OK);
    EXPECT_EQ(result.vt(), VT_I4); // a method without a result leaves it alone
    EXPECT_EQ(test::Utf16ToUtf8(m_stub->lastEventType), "StartTest");
    EXPECT_EQ(m_stub->lastParentId, 7);
    EXPECT_EQ(m_stub->lastEventId, 9);
    EXPECT_EQ(m_stub->lastTime, 45000.5);
    ASSERT_NE(m_stub->lastDescription, nullptr);
    IDictionary* received = nullptr;
    ASSERT_EQ(m_stub->lastDescription->QueryInterface(IID_IDictionary, reinterpret_cast<void**>(&received)), S_OK);
    EXPECT_EQ(received, dictionary);
    received->Release();
    dictionary->Release();
    SysFreeString(type);
}

TEST_P(LoggerDispatch, ArgumentErrors)
{
    ScopedVariant text, description, number, bad, time;
    text.Bstr(W("Replay"));
    V_VT(description.get()) = VT_DISPATCH; // Nothing
    V_DISPATCH(description.get()) = nullptr;
    number.I4(1);
    bad.Bstr(W("abc"));
    EXPECT_EQ(Call(DISPID_LOGEVENT, DISPATCH_METHOD, {text.get(), description.get(), bad.get(), number.get(), time.get()}),
              DISP_E_TYPEMISMATCH);
    if (UseTable()) { // (Wine's engine does not say which argument)
        EXPECT_EQ(m_argError, 2u);
    }
    EXPECT_EQ(Call(DISPID_LOGEVENT, DISPATCH_METHOD, {text.get(), description.get(), number.get(), number.get()}),
              DISP_E_BADPARAMCOUNT);
    ScopedVariant missing;
    V_VT(missing.get()) = VT_ERROR;
    V_ERROR(missing.get()) = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(Call(DISPID_SETSTATUS, DISPATCH_METHOD, {number.get(), missing.get()}), DISP_E_TYPEMISMATCH);
    if (UseTable()) { // (Wine's engine lets surplus arguments through)
        EXPECT_EQ(Call(DISPID_SETSTATUS, DISPATCH_METHOD, {number.get(), number.get(), number.get()}),
                  DISP_E_BADPARAMCOUNT);
        EXPECT_EQ(m_stub->calls, 0);
    }
    EXPECT_EQ(Call(77, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(DISPID_REPORTPATH, DISPATCH_PROPERTYGET, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(DISPID_SETREGISTRYROOT, DISPATCH_PROPERTYPUT, {text.get()}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(DISPID_SETREGISTRYROOT, DISPATCH_METHOD, {text.get()}, nullptr, IID_IDispatch),
              DISP_E_UNKNOWNINTERFACE);
}

TEST_P(LoggerDispatch, MethodsAndProperties)
{
    ScopedVariant root, path, id, status, filter;
    root.Bstr(W("SOFTWARE\\Annalist"));
    ASSERT_EQ(Call(DISPID_SETREGISTRYROOT, DISPATCH_METHOD, {root.get()}), S_OK);
    EXPECT_EQ(test::Utf16ToUtf8(m_stub->registryRoot), "SOFTWARE\\Annalist");

    path.Bstr(W("C:\\Results"));
    ASSERT_EQ(Call(DISPID_REPORTPATH, DISPATCH_PROPERTYPUT, {path.get()}), S_OK);
    EXPECT_EQ(test::Utf16ToUtf8(m_stub->reportPath), "C:\\Results");

    id.I4(3);
    status.Bstr(W("3"));
    ASSERT_EQ(Call(DISPID_SETSTATUS, DISPATCH_METHOD, {id.get(), status.get()}), S_OK);
    EXPECT_EQ(m_stub->lastStatusId, 3);
    EXPECT_EQ(m_stub->lastStatus, 3);

    filter.I2(2);
    ASSERT_EQ(Call(DISPID_FILTER, DISPATCH_PROPERTYPUT, {filter.get()}), S_OK);
    EXPECT_EQ(m_stub->filter, rfEnableErrorsOnly);
    ScopedVariant got;
    ASSERT_EQ(Call(DISPID_FILTER, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, got.get()), S_OK);
    EXPECT_EQ(got.vt(), VT_I4);
    EXPECT_EQ(V_I4(got.get()), 2);

    // The Filter value is optional and defaults to 0; a put still needs the
    // value, or the marker of a missing one.
    EXPECT_EQ(Call(DISPID_FILTER, DISPATCH_PROPERTYPUT, {}), DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(m_stub->filter, rfEnableErrorsOnly);
    ScopedVariant missing;
    V_VT(missing.get()) = VT_ERROR;
    V_ERROR(missing.get()) = DISP_E_PARAMNOTFOUND;
    ASSERT_EQ(Call(DISPID_FILTER, DISPATCH_PROPERTYPUT, {missing.get()}), S_OK);
    EXPECT_EQ(m_stub->filter, rfEnableAll);
}

TEST_P(LoggerDispatch, AFailingMemberRaisesItsErrorInformation)
{
    ScopedVariant id, status;
    id.I4(999);
    status.I4(1);
    SetErrorInfo(0, nullptr);
    ASSERT_EQ(Call(DISPID_SETSTATUS, DISPATCH_METHOD, {id.get(), status.get()}), DISP_E_EXCEPTION);
    EXPECT_EQ(m_exception.scode, test::kInvalidEventId);
    EXPECT_EQ(test::Narrow(m_exception.bstrDescription), "Invalid EventId, can't change event status.");
    EXPECT_EQ(test::Narrow(m_exception.bstrSource), "Talvex.Annalist.2");
    ClearException();
}

INSTANTIATE_TEST_SUITE_P(ObjectAndTable, LoggerDispatch, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Table") : std::string("Object");
                         });
