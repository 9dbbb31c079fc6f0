// Error information: the object CreateErrorInfo makes and the per-thread slot
// of SetErrorInfo / GetErrorInfo.
#include <gtest/gtest.h>

#include <thread>

#include "pal/pal.h"
#include "support/PlatformTestSupport.h"

using test::Narrow;

namespace {

// A filled error object, as IErrorInfo.
IErrorInfo* MakeError(const WCHAR* description)
{
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create)))
        return nullptr;
    create->SetGUID(IID_IDispatch);
    create->SetDescription(const_cast<LPOLESTR>(description));
    IErrorInfo* info = nullptr;
    create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
    create->Release();
    return info;
}

std::string DescriptionOf(IErrorInfo* info)
{
    BSTR text = nullptr;
    if (FAILED(info->GetDescription(&text)))
        return "failed";
    std::string result = Narrow(text);
    SysFreeString(text);
    return result;
}

} // namespace

TEST(ErrorInfo, ObjectKeepsWhatIsSet)
{
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    ASSERT_NE(create, nullptr);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);

    // Nothing set yet: null texts.
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(info->GetSource(&text), S_OK);
    EXPECT_EQ(text, nullptr);

    EXPECT_EQ(create->SetGUID(IID_IDispatch), S_OK);
    EXPECT_EQ(create->SetDescription(const_cast<LPOLESTR>(W("5 is an invalid value"))), S_OK);
    EXPECT_EQ(create->SetSource(const_cast<LPOLESTR>(W("Annalist"))), S_OK);
    EXPECT_EQ(create->SetHelpFile(const_cast<LPOLESTR>(W("help.chm"))), S_OK);
    EXPECT_EQ(create->SetHelpContext(12), S_OK);

    GUID guid;
    EXPECT_EQ(info->GetGUID(&guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, IID_IDispatch));
    EXPECT_EQ(DescriptionOf(info), "5 is an invalid value");
    ASSERT_EQ(info->GetSource(&text), S_OK);
    EXPECT_EQ(Narrow(text), "Annalist");
    SysFreeString(text);
    DWORD context = 0;
    EXPECT_EQ(info->GetHelpContext(&context), S_OK);
    EXPECT_EQ(context, 12u);

    // Setting again replaces; a null text clears.
    create->SetDescription(const_cast<LPOLESTR>(W("second")));
    EXPECT_EQ(DescriptionOf(info), "second");
    create->SetDescription(nullptr);
    ASSERT_EQ(info->GetDescription(&text), S_OK);
    EXPECT_EQ(text, nullptr);

    info->Release();
    create->Release();
}

TEST(ErrorInfo, GetHandsTheObjectOverOnce)
{
    SetErrorInfo(0, nullptr);
    IErrorInfo* info = MakeError(W("boom"));
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(SetErrorInfo(0, info), S_OK);
    info->Release(); // the thread keeps its own reference

    IErrorInfo* got = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(DescriptionOf(got), "boom");
    got->Release();

    got = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);
    EXPECT_EQ(got, nullptr);
}

TEST(ErrorInfo, SettingReplacesOrClears)
{
    IErrorInfo* first = MakeError(W("first"));
    IErrorInfo* second = MakeError(W("second"));
    SetErrorInfo(0, first);
    SetErrorInfo(0, second);
    IErrorInfo* got = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
    EXPECT_EQ(DescriptionOf(got), "second");
    got->Release();

    SetErrorInfo(0, first);
    EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
    got = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);
    first->Release();
    second->Release();
}

TEST(ErrorInfo, EachThreadHasItsOwn)
{
    IErrorInfo* mine = MakeError(W("main thread"));
    SetErrorInfo(0, mine);
    mine->Release();

    std::string seenByOther;
    std::thread other([&seenByOther]() {
        IErrorInfo* got = nullptr;
        seenByOther = GetErrorInfo(0, &got) == S_FALSE ? "none" : "some";
        if (got)
            got->Release();
        // Left set when the thread ends: released with the thread.
        IErrorInfo* left = MakeError(W("left behind"));
        SetErrorInfo(0, left);
        left->Release();
    });
    other.join();
    EXPECT_EQ(seenByOther, "none");

    IErrorInfo* got = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
    EXPECT_EQ(DescriptionOf(got), "main thread");
    got->Release();
}

TEST(ErrorInfo, BadArguments)
{
    EXPECT_EQ(CreateErrorInfo(nullptr), E_INVALIDARG);
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
    IErrorInfo* got = nullptr;
    EXPECT_EQ(GetErrorInfo(1, &got), E_INVALIDARG);
    EXPECT_EQ(SetErrorInfo(1, nullptr), E_INVALIDARG);
}
