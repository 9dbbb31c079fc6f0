// The report filter and the step-detail readers that work on their own.
#include <gtest/gtest.h>

#include "core/Description.h"
#include "core/ErrorInfo.h"
#include "core/StatusFilter.h"
#include "core/StepDetails.h"
#include "report/GeneralInfo.h"
#include "support/FakeHostObjects.h"
#include "support/TestLogger.h"

using test::CTestDescription;

TEST(StatusFilter, EachFilterPassesItsStatuses)
{
    const char* expected[4] = {"11111", "01010", "01000", "00000"};
    for (LONG filter = 0; filter < 4; ++filter) {
        std::string passes;
        for (LONG status = 0; status <= 4; ++status)
            passes += PassesFilter(filter, status) ? '1' : '0';
        EXPECT_EQ(expected[filter], passes) << "filter " << filter;
    }
    EXPECT_FALSE(PassesFilter(9, kovFail));
    EXPECT_TRUE(PassesFilter(rfEnableAll, 9));
}

TEST(StatusFilter, TheStepCheckReadsTheStatusOrTakesDone)
{
    CTestDescription failed;
    failed.Int("Status", kovFail);
    CTestDescription invalid;
    invalid.Int("Status", 9);
    CTestDescription none;
    CDescription failedStep(failed.Dispatch());
    CDescription invalidStep(invalid.Dispatch());
    CDescription noStatus(none.Dispatch());
    CDescription noDescription(nullptr);

    EXPECT_TRUE(PassesStatusFilter(rfEnableErrorsOnly, failedStep));
    // An invalid status counts as Done for the filter.
    EXPECT_FALSE(PassesStatusFilter(rfEnableErrorsOnly, invalidStep));
    EXPECT_TRUE(PassesStatusFilter(rfEnableAll, invalidStep));
    EXPECT_FALSE(PassesStatusFilter(rfEnableErrorsAndWarnings, noStatus));
    // Without a description every filter but 3 passes the step.
    EXPECT_TRUE(PassesStatusFilter(rfEnableErrorsOnly, noDescription));
    EXPECT_FALSE(PassesStatusFilter(rfDisableAll, noDescription));
    EXPECT_FALSE(PassesStatusFilter(9, failedStep));
}

namespace {

VARIANT Text(const WCHAR* text)
{
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(text);
    return value;
}

std::string ViewerOf(VARIANT value)
{
    EventNode node;
    DeriveViewerType(&node, &value);
    VariantClear(&value);
    return test::Utf16ToUtf8(node.viewTypeText.c_str());
}

} // namespace

TEST(StepDetails, ViewerTypeComesFromTheViewTypeText)
{
    EXPECT_EQ("HTML", ViewerOf(Text(W("Sell.Explorer.2"))));
    EXPECT_EQ("Table", ViewerOf(Text(W("VCF1.VCF1Ctrl.1"))));
    EXPECT_EQ("HTMLSNSH", ViewerOf(Text(W("MLFPHandler.MLFPHandler.1"))));
    EXPECT_EQ("vcf1.vcf1ctrl.1", ViewerOf(Text(W("vcf1.vcf1ctrl.1"))));
    VARIANT number;
    VariantInit(&number);
    V_VT(&number) = VT_I4;
    V_I4(&number) = 3;
    EXPECT_EQ("HTML", ViewerOf(number));
    VARIANT empty;
    VariantInit(&empty);
    EXPECT_EQ("HTML", ViewerOf(empty));

    EventNode node;
    node.viewTypeText = W("Earlier");
    VARIANT table = Text(W("VCF1.VCF1Ctrl.1"));
    DeriveViewerType(&node, &table);
    VariantClear(&table);
    EXPECT_TRUE(node.viewTypeText == W("Earlier"));
}

TEST(StepDetails, ParametersAreCollectedByDirectionWithTheirTexts)
{
    auto parameters = test::CreateFakeParameters(
        {test::TextParameter("User", 0, "admin"), test::EmptyParameter("Unset", 0), test::FlagParameter("Ok", 1, true),
         test::IntParameter("Count", 1, 42), test::FlagParameter("Strict", 0, false), test::IntParameter("Odd", 2, 1)},
        true);
    CTestDescription values;
    values.Object("ArgumentsDispatch", parameters.Get());
    CDescription description(values.Dispatch());

    RunScope scope;
    CollectParameters(description, scope, true, false);
    CollectParameters(description, scope, false, true);
    ASSERT_EQ(5u, scope.parameters.size());
    const char* names[] = {"User", "Unset", "Strict", "Ok", "Count"};
    const char* texts[] = {"admin", "<Not Initialized>", "False", "True", "42"};
    LONG directions[] = {0, 0, 0, 1, 1};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(names[i], test::Utf16ToUtf8(scope.parameters[i].name.c_str()));
        EXPECT_EQ(texts[i], test::Utf16ToUtf8(scope.parameters[i].value.c_str()));
        EXPECT_EQ(directions[i], scope.parameters[i].direction);
    }
}

TEST(StepDetails, ParametersNeedTheParametersObject)
{
    RunScope scope;
    CTestDescription none;
    CDescription withoutKey(none.Dispatch());
    CollectParameters(withoutKey, scope, true, true);

    CTestDescription text;
    text.Text("ArgumentsDispatch", "not an object");
    CDescription notObject(text.Dispatch());
    CollectParameters(notObject, scope, true, true);

    // An object without the parameters interface.
    test::CFakeCustomReport* report = new test::CFakeCustomReport("x");
    auto holder = test::Adopt<IKovCustomReport>(report);
    CTestDescription other;
    other.Object("ArgumentsDispatch", holder.Get());
    CDescription otherObject(other.Dispatch());
    CollectParameters(otherObject, scope, true, true);
    EXPECT_TRUE(scope.parameters.empty());
}

TEST(StepDetails, ErrorInformationCarriesTheText)
{
    EXPECT_EQ(E_INVALIDARG, SetErrorInfoText(nullptr, GUID_NULL, 0, nullptr, nullptr));
    ASSERT_EQ(S_OK, SetErrorInfoText(W("5 is an invalid value"), IID_IDispatch, 0, nullptr, W("Source")));
    CInterfacePtr<IErrorInfo> info;
    ASSERT_EQ(S_OK, GetErrorInfo(0, info.Out()));
    CBstrString text;
    info->GetDescription(text.Out());
    EXPECT_TRUE(text == W("5 is an invalid value"));
    GUID guid = GUID_NULL;
    info->GetGUID(&guid);
    EXPECT_TRUE(IsEqualGUID(guid, IID_IDispatch));
    CBstrString source;
    info->GetSource(source.Out());
    EXPECT_TRUE(source == W("Source"));
}

TEST(StepDetails, ComputerNameFitsFifteenCharacters)
{
    CBstrString name;
    ASSERT_TRUE(GetComputerNameText(name));
    EXPECT_FALSE(name.IsEmpty());
    EXPECT_LE(name.Length(), 15u);
}
