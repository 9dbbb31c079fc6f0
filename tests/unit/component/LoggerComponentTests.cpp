// The logger class served by the library's own exports: created through
// DllGetClassObject, driven by name through IDispatch, with the library's lock
// count following the object.
#include <gtest/gtest.h>

#include <vector>

#include "component/ModuleExports.h"
#include "core/LoggerInterfaces.h"
#include "unit/component/ComponentTestSupport.h"

using test::ScopedVariant;

namespace {

const WCHAR kSettings[] = W("Software\\AnnalistComponentTest");

class LoggerComponent : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSettings);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettings, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        SetString(key, W("Directory"), W("Report"));
        SetString(key, W("Eve1"), W("Replay"));
        RegCloseKey(key);

        IClassFactory* factory = nullptr;
        ASSERT_EQ(DllGetClassObject(CLSID_Annalist, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&m_dispatch)), S_OK);
        factory->Release();
    }
    void TearDown() override
    {
        ClearException();
        if (m_dispatch)
            m_dispatch->Release();
        EXPECT_EQ(DllCanUnloadNow(), S_OK);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSettings);
    }

    static void SetString(HKEY key, const WCHAR* name, const WCHAR* value)
    {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((PAL_wcslen(value) + 1) * sizeof(WCHAR)));
    }

    DISPID Id(const WCHAR* name)
    {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(m_dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        return id;
    }

    // Calls a member by name with the arguments in call order.
    HRESULT Call(const WCHAR* name, WORD flags, std::vector<VARIANT*> args, VARIANT* result = nullptr)
    {
        std::vector<VARIANT> reversed;
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            reversed.push_back(**it);
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                             static_cast<UINT>(reversed.size()), 0};
        if (flags & DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
        }
        ClearException();
        UINT argError = 0;
        return m_dispatch->Invoke(Id(name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &m_exception,
                                  &argError);
    }

    void ClearException()
    {
        SysFreeString(m_exception.bstrSource);
        SysFreeString(m_exception.bstrDescription);
        SysFreeString(m_exception.bstrHelpFile);
        m_exception = EXCEPINFO{};
    }

    test::ScopedTestRegistry m_registry;
    IDispatch* m_dispatch = nullptr;
    EXCEPINFO m_exception{};
};

} // namespace

TEST_F(LoggerComponent, EveryMemberByName)
{
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    test::TempFolder folder;
    ScopedVariant root, path;
    root.Bstr(kSettings);
    ASSERT_EQ(Call(W("SetRegistryRoot"), DISPATCH_METHOD, {root.get()}), S_OK);
    path.Bstr(folder.Wide().c_str());
    ASSERT_EQ(Call(W("ReportPath"), DISPATCH_PROPERTYPUT, {path.get()}), S_OK);
    EXPECT_TRUE(test::FileExists(folder.Path() / "Report" / "Icons"));

    ScopedVariant filter, got;
    filter.I4(rfEnableErrorsAndWarnings);
    ASSERT_EQ(Call(W("Filter"), DISPATCH_PROPERTYPUT, {filter.get()}), S_OK);
    ASSERT_EQ(Call(W("filter"), DISPATCH_PROPERTYGET, {}, got.get()), S_OK);
    EXPECT_EQ(got.vt(), VT_I4);
    EXPECT_EQ(V_I4(got.get()), rfEnableErrorsAndWarnings);

    // A start of test through LogEvent: the description is written back.
    IDictionary* dictionary = nullptr;
    ASSERT_EQ(PAL_CreateDictionary(&dictionary), S_OK);
    ScopedVariant type, description, parent, id, time;
    type.Bstr(W("StartTest"));
    description.Dispatch(dictionary);
    parent.I4(0);
    id.I4(1);
    ASSERT_EQ(Call(W("LogEvent"), DISPATCH_METHOD, {type.get(), description.get(), parent.get(), id.get(), time.get()}),
              S_OK);
    ScopedVariant key, value;
    key.Bstr(W("DllPAth"));
    ASSERT_EQ(dictionary->get_Item(key.get(), value.get()), S_OK);
    EXPECT_EQ(test::Narrow(V_BSTR(value.get())), "LocalDll");
    dictionary->Release();

    // SetStatus of an unknown id: the error and its description.
    ScopedVariant unknownId, status;
    unknownId.I4(4242);
    status.I4(kovFail);
    EXPECT_EQ(Call(W("SetStatus"), DISPATCH_METHOD, {unknownId.get(), status.get()}), DISP_E_EXCEPTION);
    EXPECT_EQ(m_exception.scode, static_cast<HRESULT>(0x80040329L));
    EXPECT_EQ(test::Narrow(m_exception.bstrDescription), "Invalid EventId, can't change event status.");
}

TEST_F(LoggerComponent, SetStatusErrorThroughErrorInfo)
{
    ILogMedia3* logger = nullptr;
    ASSERT_EQ(m_dispatch->QueryInterface(IID_ILogMedia3, reinterpret_cast<void**>(&logger)), S_OK);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(logger->SetStatus(77, kovWarning), static_cast<HRESULT>(0x80040329L));
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    ASSERT_NE(info, nullptr);
    BSTR text = nullptr;
    EXPECT_EQ(info->GetDescription(&text), S_OK);
    EXPECT_EQ(test::Narrow(text), "Invalid EventId, can't change event status.");
    SysFreeString(text);
    GUID guid = IID_IDispatch;
    EXPECT_EQ(info->GetGUID(&guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, GUID_NULL));
    info->Release();
    logger->Release();
}
