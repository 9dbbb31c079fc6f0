// Reading and writing an event description.
#include <gtest/gtest.h>

#include "core/Description.h"
#include "pal/variant_holder.h"
#include "support/TestLogger.h"

using test::CTestDescription;

namespace {

// A value given by reference, as a script engine passes a variable.
struct ByReference {
    VARIANT target;
    VARIANT reference;
    explicit ByReference(VARIANT value) : target(value)
    {
        VariantInit(&reference);
        V_VT(&reference) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&reference) = &target;
    }
    ~ByReference() { VariantClear(&target); }
};

VARIANT TextValue(const char* text)
{
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(test::Utf8ToUtf16(text).c_str());
    return value;
}

} // namespace

TEST(Description, TypedReadsConvertOrFallBackToTheDefault)
{
    CTestDescription values;
    values.Text("Name", "Login").Text("Seven", " 7 ").Text("Letters", "abc").Int("Number", 12).Flag("On", true)
        .Text("TrueText", "True");
    CDescription description(values.Dispatch());
    ASSERT_TRUE(description.IsPresent());

    CBstrString text;
    EXPECT_TRUE(description.ReadText(CDescriptionKey(W("Name")), text));
    EXPECT_TRUE(text == W("Login"));
    EXPECT_TRUE(description.ReadText(CDescriptionKey(W("Number")), text));
    EXPECT_TRUE(text == W("12"));
    EXPECT_FALSE(description.ReadText(CDescriptionKey(W("Missing")), text, W("fallback")));
    EXPECT_TRUE(text == W("fallback"));

    LONG number = -5;
    EXPECT_TRUE(description.ReadInt(CDescriptionKey(W("Seven")), number, 0));
    EXPECT_EQ(7, number);
    // A value that does not convert counts as absent: the default stands.
    EXPECT_FALSE(description.ReadInt(CDescriptionKey(W("Letters")), number, 2));
    EXPECT_EQ(2, number);
    EXPECT_FALSE(description.ReadInt(CDescriptionKey(W("Missing")), number, 0));
    EXPECT_EQ(0, number);

    bool flag = false;
    EXPECT_TRUE(description.ReadFlag(CDescriptionKey(W("On")), flag, false));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(description.ReadFlag(CDescriptionKey(W("TrueText")), flag, false));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(description.ReadFlag(CDescriptionKey(W("Number")), flag, false));
    EXPECT_TRUE(flag);
    EXPECT_FALSE(description.ReadFlag(CDescriptionKey(W("Letters")), flag, true));
    EXPECT_TRUE(flag);

    // Reading never adds a key.
    EXPECT_EQ(6, values.Count());
}

TEST(Description, ValuesGivenByReferenceAreReadThroughTheReference)
{
    ByReference seven(TextValue("7"));
    ByReference name(TextValue("Page1"));
    CTestDescription values;
    values.Value("Status", &seven.reference).Value("NodeName", &name.reference);
    CDescription description(values.Dispatch());

    LONG status = 2;
    EXPECT_TRUE(description.ReadInt(CDescriptionKey(W("Status")), status, 2));
    EXPECT_EQ(7, status);
    CBstrString text;
    EXPECT_TRUE(description.ReadText(CDescriptionKey(W("NodeName")), text));
    EXPECT_TRUE(text == W("Page1"));

    CVariantValue raw;
    description.ReadRaw(CDescriptionKey(W("NodeName")), raw.Get());
    ASSERT_EQ(VT_BSTR, raw.Type());
    EXPECT_TRUE(CBstrString::FromBstr(V_BSTR(raw.Get())) == W("Page1"));
}

TEST(Description, RawReadOfAMissingKeyAddsItAsTheDictionaryDoes)
{
    CTestDescription values;
    CDescription description(values.Dispatch());
    CVariantValue raw;
    description.ReadRaw(CDescriptionKey(W("ViewType")), raw.Get());
    EXPECT_EQ(VT_EMPTY, raw.Type());
    EXPECT_TRUE(values.Has("ViewType"));
}

TEST(Description, AnObjectWithoutTheDictionaryInterfaceIsNoDescription)
{
    auto logger = test::CreateTestLogger();
    // The logger answers IDispatch but not IDictionary.
    CDescription description(static_cast<ILogMedia3*>(logger.Get()));
    EXPECT_FALSE(description.IsPresent());
    CDescription none(nullptr);
    EXPECT_FALSE(none.IsPresent());

    LONG number = 0;
    EXPECT_FALSE(description.ReadInt(CDescriptionKey(W("Status")), number, 2));
    EXPECT_EQ(2, number);
    EXPECT_FALSE(description.Has(CDescriptionKey(W("Status"))));
    description.WriteInt(CDescriptionKey(W("Status")), 1); // nothing to write into, nothing happens
    CVariantValue raw;
    description.ReadRaw(CDescriptionKey(W("ViewType")), raw.Get());
    EXPECT_EQ(VT_EMPTY, raw.Type());
}

TEST(Description, ObjectOfValueTakesObjectsAlsoThroughAReference)
{
    auto logger = test::CreateTestLogger();
    IUnknown* object = static_cast<ILogMedia3*>(logger.Get());
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_UNKNOWN;
    V_UNKNOWN(&value) = object;
    EXPECT_EQ(object, ObjectOfValue(&value));
    ByReference reference(value);
    // The reference holds the object now; do not release it twice.
    EXPECT_EQ(object, ObjectOfValue(&reference.reference));
    V_VT(&reference.target) = VT_EMPTY;

    VARIANT text = TextValue("x");
    EXPECT_EQ(nullptr, ObjectOfValue(&text));
    VariantClear(&text);
}
