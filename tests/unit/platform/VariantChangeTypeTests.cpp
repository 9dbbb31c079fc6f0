// VariantChangeType between the types the logger converts: text, numbers,
// flags, dates, empty and null values, references and objects.
#include <gtest/gtest.h>

#include "pal/pal.h"
#include "support/TestSupport.h"
#include "support/PlatformTestSupport.h"

using test::ConvertText;
using test::CountedObject;
using test::HrText;
using test::Narrow;
using test::ScopedVariant;
using test::TextOf;

namespace {

// The VT_I4 a text converts to, or the failure as "failed 0x...".
std::string I4Of(const WCHAR* text)
{
    ScopedVariant out;
    HRESULT hr = ConvertText(text, VT_I4, &out);
    return FAILED(hr) ? "failed " + HrText(hr) : std::to_string(V_I4(out.get()));
}

std::string BoolOf(const WCHAR* text)
{
    ScopedVariant out;
    HRESULT hr = ConvertText(text, VT_BOOL, &out);
    return FAILED(hr) ? "failed " + HrText(hr) : std::to_string(V_BOOL(out.get()));
}

const std::string kMismatch = "failed " + HrText(DISP_E_TYPEMISMATCH);
const std::string kOverflow = "failed " + HrText(DISP_E_OVERFLOW);

HRESULT Change(VARIANT* source, VARTYPE vt, ScopedVariant* out, USHORT flags = 0)
{
    return VariantChangeType(out->get(), source, flags, vt);
}

} // namespace

TEST(VariantChangeType, FlagsToText)
{
    ScopedVariant yes, no;
    yes.Bool(true);
    no.Bool(false);
    EXPECT_EQ(TextOf(yes.get()), "-1");
    EXPECT_EQ(TextOf(no.get()), "0");
    EXPECT_EQ(TextOf(yes.get(), VARIANT_ALPHABOOL), "True");
    EXPECT_EQ(TextOf(no.get(), VARIANT_ALPHABOOL), "False");
}

TEST(VariantChangeType, TextToInteger)
{
    EXPECT_EQ(I4Of(W("7")), "7");
    EXPECT_EQ(I4Of(W(" 7 ")), "7");
    EXPECT_EQ(I4Of(W("\t-7\t")), "-7");
    EXPECT_EQ(I4Of(W("+5")), "5");
    EXPECT_EQ(I4Of(W("5-")), "-5");
    EXPECT_EQ(I4Of(W("(5)")), "-5");
    EXPECT_EQ(I4Of(W("$5")), "5");
    EXPECT_EQ(I4Of(W("5$")), "5");
    EXPECT_EQ(I4Of(W("1,000")), "1000");
    EXPECT_EQ(I4Of(W("1e3")), "1000");
    EXPECT_EQ(I4Of(W("1.5E+3")), "1500");
    EXPECT_EQ(I4Of(W("5.")), "5");
    EXPECT_EQ(I4Of(W("2147483647")), "2147483647");
    EXPECT_EQ(I4Of(W("-2147483648")), "-2147483648");

    EXPECT_EQ(I4Of(W("abc")), kMismatch);
    EXPECT_EQ(I4Of(W("")), kMismatch);
    EXPECT_EQ(I4Of(W(" ")), kMismatch);
    EXPECT_EQ(I4Of(W("7abc")), kMismatch);
    EXPECT_EQ(I4Of(W("1 2")), kMismatch);
    EXPECT_EQ(I4Of(W("1.2.3")), kMismatch);
    EXPECT_EQ(I4Of(W("--5")), kMismatch);
    EXPECT_EQ(I4Of(W("1e")), kMismatch);
    EXPECT_EQ(I4Of(W("True")), kMismatch);
    EXPECT_EQ(I4Of(W("1/2/2024")), kMismatch);
    EXPECT_EQ(I4Of(W("2147483648")), kOverflow);
}

TEST(VariantChangeType, TextRoundsHalfToEven)
{
    EXPECT_EQ(I4Of(W("7.5")), "8");
    EXPECT_EQ(I4Of(W("8.5")), "8");
    EXPECT_EQ(I4Of(W("2.5")), "2");
    EXPECT_EQ(I4Of(W("-7.5")), "-8");
    EXPECT_EQ(I4Of(W(".5")), "0");
    EXPECT_EQ(I4Of(W("2147483647.5")), kOverflow);
}

TEST(VariantChangeType, HexadecimalAndOctalText)
{
    EXPECT_EQ(I4Of(W("&H10")), "16");
    EXPECT_EQ(I4Of(W("&h10")), "16");
    EXPECT_EQ(I4Of(W(" &H10 ")), "16");
    EXPECT_EQ(I4Of(W("&O17")), "15");
    EXPECT_EQ(I4Of(W("&o17")), "15");
    EXPECT_EQ(I4Of(W("&HFFFF")), "65535");
    EXPECT_EQ(I4Of(W("&HFFFFFFFF")), "-1");
    EXPECT_EQ(I4Of(W("&H80000000")), "-2147483648");
    EXPECT_EQ(I4Of(W("&H100000000")), kOverflow);
    EXPECT_EQ(I4Of(W("0x10")), kMismatch);
    EXPECT_EQ(I4Of(W("&H")), kMismatch);
    EXPECT_EQ(I4Of(W("&HG")), kMismatch);

    // A 16-bit target reads the literal as 16 signed bits.
    ScopedVariant out;
    ASSERT_EQ(ConvertText(W("&HFFFF"), VT_I2, &out), S_OK);
    EXPECT_EQ(V_I2(out.get()), -1);
    ASSERT_EQ(ConvertText(W("&H8000"), VT_I2, &out), S_OK);
    EXPECT_EQ(V_I2(out.get()), -32768);
    EXPECT_EQ(ConvertText(W("&H10000"), VT_I2, &out), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, NumbersOutOfRangeOverflow)
{
    ScopedVariant out;
    EXPECT_EQ(ConvertText(W("32767"), VT_I2, &out), S_OK);
    EXPECT_EQ(ConvertText(W("32768"), VT_I2, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(ConvertText(W("-32769"), VT_I2, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(ConvertText(W("256"), VT_UI1, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(ConvertText(W("-1"), VT_UI1, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(ConvertText(W("1e309"), VT_R8, &out), DISP_E_OVERFLOW);

    ScopedVariant big;
    big.I4(70000);
    EXPECT_EQ(Change(big.get(), VT_I2, &out), DISP_E_OVERFLOW);
    big.R8(1e300);
    EXPECT_EQ(Change(big.get(), VT_I4, &out), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, RealsRoundHalfToEven)
{
    const struct {
        double value;
        LONG expected;
    } cases[] = {{2.5, 2}, {3.5, 4}, {-1.5, -2}, {-2.5, -2}, {0.5, 0}, {1.4999, 1}, {-2147483648.5, -2147483647 - 1}};
    for (const auto& c : cases) {
        ScopedVariant in, out;
        in.R8(c.value);
        ASSERT_EQ(Change(in.get(), VT_I4, &out), S_OK) << c.value;
        EXPECT_EQ(V_I4(out.get()), c.expected) << c.value;
    }
    ScopedVariant in, out;
    in.R8(2147483647.5);
    EXPECT_EQ(Change(in.get(), VT_I4, &out), DISP_E_OVERFLOW);
    in.R8(32767.5);
    EXPECT_EQ(Change(in.get(), VT_I2, &out), DISP_E_OVERFLOW);
    in.R4(2.5f);
    ASSERT_EQ(Change(in.get(), VT_I4, &out), S_OK);
    EXPECT_EQ(V_I4(out.get()), 2);
}

TEST(VariantChangeType, TextToReal)
{
    ScopedVariant out;
    ASSERT_EQ(ConvertText(W(" 1.5 "), VT_R8, &out), S_OK);
    EXPECT_EQ(V_R8(out.get()), 1.5);
    ASSERT_EQ(ConvertText(W("1,234.5"), VT_R8, &out), S_OK);
    EXPECT_EQ(V_R8(out.get()), 1234.5);
    ASSERT_EQ(ConvertText(W("1E+20"), VT_R8, &out), S_OK);
    EXPECT_EQ(V_R8(out.get()), 1e20);
    ASSERT_EQ(ConvertText(W("  -1.5e1  "), VT_R8, &out), S_OK);
    EXPECT_EQ(V_R8(out.get()), -15.0);
    ASSERT_EQ(ConvertText(W("1e-400"), VT_R8, &out), S_OK);
    EXPECT_EQ(V_R8(out.get()), 0.0);
    EXPECT_EQ(ConvertText(W("1D5"), VT_R8, &out), DISP_E_TYPEMISMATCH);
}

TEST(VariantChangeType, TextToFlag)
{
    EXPECT_EQ(BoolOf(W("True")), "-1");
    EXPECT_EQ(BoolOf(W("true")), "-1");
    EXPECT_EQ(BoolOf(W("TRUE")), "-1");
    EXPECT_EQ(BoolOf(W("-1")), "-1");
    EXPECT_EQ(BoolOf(W("False")), "0");
    EXPECT_EQ(BoolOf(W("false")), "0");
    EXPECT_EQ(BoolOf(W("0")), "0");
    EXPECT_EQ(BoolOf(W("0.0")), "0");
    // Other text is read as a number: nonzero is true.
    EXPECT_EQ(BoolOf(W("2")), "-1");
    EXPECT_EQ(BoolOf(W("1.5")), "-1");
    EXPECT_EQ(BoolOf(W(" 1 ")), "-1");
    EXPECT_EQ(BoolOf(W(" True ")), kMismatch);
    EXPECT_EQ(BoolOf(W("yes")), kMismatch);
    EXPECT_EQ(BoolOf(W("")), kMismatch);
}

TEST(VariantChangeType, NumbersToFlags)
{
    ScopedVariant in, out;
    ASSERT_EQ(Change(in.I4(5).get(), VT_BOOL, &out), S_OK);
    EXPECT_EQ(V_BOOL(out.get()), VARIANT_TRUE);
    ASSERT_EQ(Change(in.I4(0).get(), VT_BOOL, &out), S_OK);
    EXPECT_EQ(V_BOOL(out.get()), VARIANT_FALSE);
    ASSERT_EQ(Change(in.R8(0.1).get(), VT_BOOL, &out), S_OK);
    EXPECT_EQ(V_BOOL(out.get()), VARIANT_TRUE);
    ASSERT_EQ(Change(in.R8(-0.0).get(), VT_BOOL, &out), S_OK);
    EXPECT_EQ(V_BOOL(out.get()), VARIANT_FALSE);

    ASSERT_EQ(Change(in.Bool(true).get(), VT_I4, &out), S_OK);
    EXPECT_EQ(V_I4(out.get()), -1);
}

TEST(VariantChangeType, EmptyGivesTheEmptyValueOfEachType)
{
    ScopedVariant empty, out;
    EXPECT_EQ(TextOf(empty.get()), "");
    ASSERT_EQ(Change(empty.get(), VT_I4, &out), S_OK);
    EXPECT_EQ(out.vt(), VT_I4);
    EXPECT_EQ(V_I4(out.get()), 0);
    ASSERT_EQ(Change(empty.get(), VT_BOOL, &out), S_OK);
    EXPECT_EQ(V_BOOL(out.get()), VARIANT_FALSE);
    ASSERT_EQ(Change(empty.get(), VT_R8, &out), S_OK);
    EXPECT_EQ(V_R8(out.get()), 0.0);
    ASSERT_EQ(Change(empty.get(), VT_DATE, &out), S_OK);
    EXPECT_EQ(V_DATE(out.get()), 0.0);
    ASSERT_EQ(Change(empty.get(), VT_I2, &out), S_OK);
    EXPECT_EQ(V_I2(out.get()), 0);
    ASSERT_EQ(Change(empty.get(), VT_NULL, &out), S_OK);
    EXPECT_EQ(out.vt(), VT_NULL);
    EXPECT_EQ(Change(empty.get(), VT_DISPATCH, &out), DISP_E_TYPEMISMATCH);

    // Anything but null converts to empty.
    ScopedVariant number;
    number.I4(3);
    ASSERT_EQ(Change(number.get(), VT_EMPTY, &out), S_OK);
    EXPECT_EQ(out.vt(), VT_EMPTY);
}

TEST(VariantChangeType, NullConvertsOnlyToNull)
{
    ScopedVariant null, out;
    null.Null();
    for (VARTYPE vt : {VT_EMPTY, VT_I2, VT_I4, VT_R8, VT_BOOL, VT_BSTR, VT_DATE})
        EXPECT_EQ(Change(null.get(), vt, &out), DISP_E_TYPEMISMATCH) << vt;
    ASSERT_EQ(Change(null.get(), VT_NULL, &out), S_OK);
    EXPECT_EQ(out.vt(), VT_NULL);
}

TEST(VariantChangeType, NumbersToText)
{
    const struct {
        double value;
        const char* text;
    } reals[] = {{0, "0"},
                 {-0.0, "0"},
                 {1, "1"},
                 {-1, "-1"},
                 {2.5, "2.5"},
                 {0.1, "0.1"},
                 {0.30000000000000004, "0.3"},
                 {1.0 / 3, "0.333333333333333"},
                 {-123456.789, "-123456.789"},
                 {123456789012345.0, "123456789012345"},
                 {999999999999999.0, "999999999999999"},
                 {1234567890123456.0, "1.23456789012346E+15"},
                 {1e15, "1E+15"},
                 {1e20, "1E+20"},
                 {1e100, "1E+100"},
                 {0.0001, "0.0001"},
                 {0.00012345, "0.00012345"},
                 {1e-5, "1E-05"},
                 {1.5e-5, "1.5E-05"},
                 {-2.5e-7, "-2.5E-07"},
                 {1.7976931348623157e308, "1.79769313486232E+308"}};
    for (const auto& r : reals) {
        ScopedVariant in;
        in.R8(r.value);
        EXPECT_EQ(TextOf(in.get()), r.text) << r.value;
    }

    const struct {
        float value;
        const char* text;
    } singles[] = {{0.1f, "0.1"}, {3.14159f, "3.14159"}, {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"}};
    for (const auto& s : singles) {
        ScopedVariant in;
        in.R4(s.value);
        EXPECT_EQ(TextOf(in.get()), s.text) << s.value;
    }

    ScopedVariant in;
    EXPECT_EQ(TextOf(in.I4(-7).get()), "-7");
    EXPECT_EQ(TextOf(in.I4(2147483647).get()), "2147483647");
    EXPECT_EQ(TextOf(in.I2(-32768).get()), "-32768");
    VariantClear(in.get());
    V_VT(in.get()) = VT_UI1;
    V_UI1(in.get()) = 200;
    EXPECT_EQ(TextOf(in.get()), "200");
    V_VT(in.get()) = VT_I1;
    V_I1(in.get()) = -5;
    EXPECT_EQ(TextOf(in.get()), "-5");
    V_VT(in.get()) = VT_UI4;
    V_UI4(in.get()) = 4000000000u;
    EXPECT_EQ(TextOf(in.get()), "4000000000");
    V_VT(in.get()) = VT_I8;
    V_I8(in.get()) = 5000000000LL;
    EXPECT_EQ(TextOf(in.get()), "5000000000");
}

TEST(VariantChangeType, DatesToText)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {{45293.0, "1/2/2024"},
                 {45293.5, "1/2/2024 12:00:00 PM"},
                 {45293.627025462964, "1/2/2024 3:02:55 PM"},
                 {45293.0 + (15 * 3600 + 4 * 60 + 5) / 86400.0, "1/2/2024 3:04:05 PM"},
                 {0.0, "12:00:00 AM"}, // whole part 0: the time alone
                 {0.25, "6:00:00 AM"},
                 {0.5, "12:00:00 PM"},
                 {1.0 / 86400, "12:00:01 AM"},
                 {1.0, "12/31/1899"},
                 {2.0, "1/1/1900"},
                 {60.0, "2/28/1900"},
                 {61.0, "3/1/1900"},
                 {-1.0, "12/29/1899"},
                 {-1.5, "12/29/1899 12:00:00 PM"},
                 {-657434.0, "1/1/100"},
                 {2958465.0, "12/31/9999"},
                 {45293.999999, "1/3/2024 12:00:00 AM"}}; // rounded to the second
    for (const auto& c : cases) {
        ScopedVariant in;
        in.Date(c.value);
        EXPECT_EQ(TextOf(in.get()), c.text) << c.value;
    }
    ScopedVariant in;
    EXPECT_EQ(TextOf(in.Date(3000000).get()), "failed " + HrText(E_INVALIDARG));
    EXPECT_EQ(TextOf(in.Date(-700000).get()), "failed " + HrText(E_INVALIDARG));
}

TEST(VariantChangeType, TextToDate)
{
    const double kTime150405 = (15 * 3600 + 4 * 60 + 5) / 86400.0;
    const struct {
        const WCHAR* text;
        double value;
    } cases[] = {{W("1/2/2024"), 45293.0},
                 {W(" 1/2/2024 "), 45293.0},
                 {W("1/2/24"), 45293.0},
                 {W("2024-01-02"), 45293.0},
                 {W("2024-1-2"), 45293.0},
                 {W("1-2-2024"), 45293.0},
                 {W("1/2-2024"), 45293.0},
                 {W("13/2/2024"), 45335.0}, // no month 13: day and month the other way round
                 {W("2024-13-02"), 45335.0},
                 {W("12/30/1899"), 0.0},
                 {W("1/2/2024 15:04:05"), 45293.0 + kTime150405},
                 {W("1/2/2024  15:04:05"), 45293.0 + kTime150405},
                 {W("1/2/2024, 15:04:05"), 45293.0 + kTime150405},
                 {W("2024-01-02 15:04:05"), 45293.0 + kTime150405},
                 {W("1/2/2024 3:04:05 PM"), 45293.0 + kTime150405},
                 {W("1/2/2024 3:04:05pm"), 45293.0 + kTime150405},
                 {W("1/2/2024 3:04 PM"), 45293.0 + (15 * 3600 + 4 * 60) / 86400.0},
                 {W("1/2/2024 3 PM"), 45293.625},
                 {W("1/2/2024 12:00:00 AM"), 45293.0},
                 {W("3:04:05 PM"), kTime150405},
                 {W("15:04"), (15 * 3600 + 4 * 60) / 86400.0},
                 {W("12:30 PM"), (12 * 3600 + 30 * 60) / 86400.0},
                 {W("12:00:00 AM"), 0.0}};
    for (const auto& c : cases) {
        ScopedVariant out;
        ASSERT_EQ(ConvertText(c.text, VT_DATE, &out), S_OK) << test::Utf16ToUtf8(c.text);
        EXPECT_EQ(out.vt(), VT_DATE);
        EXPECT_NEAR(V_DATE(out.get()), c.value, 1e-9) << test::Utf16ToUtf8(c.text);
    }
    for (const WCHAR* bad : {W("abc"), W(""), W("45293"), W("2/30/2024"), W("0/2/2024"), W("1/0/2024"),
                             W("1/1/10000"), W("1/2/2024 25:00"), W("1/2/2024 12:60"), W("1/2/2024 PM"),
                             W("2024-01-02T15:04:05"), W("15:04:05.5"), W("1.2.2024")}) {
        ScopedVariant out;
        EXPECT_EQ(ConvertText(bad, VT_DATE, &out), DISP_E_TYPEMISMATCH) << test::Utf16ToUtf8(bad);
    }
}

TEST(VariantChangeType, DatesAndNumbers)
{
    ScopedVariant in, out;
    in.Date(45293.5);
    ASSERT_EQ(Change(in.get(), VT_I4, &out), S_OK);
    EXPECT_EQ(V_I4(out.get()), 45294);
    ASSERT_EQ(Change(in.get(), VT_R8, &out), S_OK);
    EXPECT_EQ(V_R8(out.get()), 45293.5);

    in.R8(-657434.5); // before the epoch the fraction still counts forward
    ASSERT_EQ(Change(in.get(), VT_DATE, &out), S_OK);
    EXPECT_EQ(V_DATE(out.get()), -657434.5);
    in.R8(2958466);
    EXPECT_EQ(Change(in.get(), VT_DATE, &out), DISP_E_OVERFLOW);
    in.R8(-657435);
    EXPECT_EQ(Change(in.get(), VT_DATE, &out), DISP_E_OVERFLOW);
    in.I4(7);
    ASSERT_EQ(Change(in.get(), VT_DATE, &out), S_OK);
    EXPECT_EQ(V_DATE(out.get()), 7.0);
}

TEST(VariantChangeType, ReadsThroughReferences)
{
    LONG number = 42;
    VARIANT reference;
    VariantInit(&reference);
    V_VT(&reference) = VT_BYREF | VT_I4;
    V_I4REF(&reference) = &number;
    EXPECT_EQ(TextOf(&reference), "42");

    ScopedVariant date;
    date.Date(45293.5);
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = date.get();
    EXPECT_EQ(TextOf(&reference), "1/2/2024 12:00:00 PM");
    ScopedVariant out;
    ASSERT_EQ(Change(&reference, VT_I4, &out), S_OK);
    EXPECT_EQ(V_I4(out.get()), 45294);

    ScopedVariant empty;
    V_VARIANTREF(&reference) = empty.get();
    EXPECT_EQ(TextOf(&reference), "");

    VARIANT outer;
    VariantInit(&outer);
    V_VT(&outer) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&outer) = &reference;
    EXPECT_EQ(Change(&outer, VT_BSTR, &out), E_INVALIDARG);
}

TEST(VariantChangeType, DestinationMayBeTheSource)
{
    ScopedVariant v;
    v.Bstr(W("12"));
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_I4), S_OK);
    EXPECT_EQ(v.vt(), VT_I4);
    EXPECT_EQ(V_I4(v.get()), 12);

    // A failed conversion leaves the VARIANT as it was.
    v.Bstr(W("zz"));
    EXPECT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(v.vt(), VT_BSTR);
    EXPECT_EQ(Narrow(V_BSTR(v.get())), "zz");
}

TEST(VariantChangeType, DestinationIsReleasedOnSuccessOnly)
{
    ScopedVariant source, dest;
    source.I4(3);
    dest.Bstr(W("old"));
    ASSERT_EQ(VariantChangeType(dest.get(), source.get(), 0, VT_BOOL), S_OK);
    EXPECT_EQ(dest.vt(), VT_BOOL);
    EXPECT_EQ(V_BOOL(dest.get()), VARIANT_TRUE);

    source.Bstr(W("zz"));
    dest.Bstr(W("old"));
    EXPECT_EQ(VariantChangeType(dest.get(), source.get(), 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(dest.vt(), VT_BSTR);
    EXPECT_EQ(Narrow(V_BSTR(dest.get())), "old");
}

TEST(VariantChangeType, TextToTextIsACopy)
{
    ScopedVariant source, out;
    source.Bstr(W("x"));
    ASSERT_EQ(Change(source.get(), VT_BSTR, &out), S_OK);
    EXPECT_NE(V_BSTR(out.get()), V_BSTR(source.get()));
    EXPECT_EQ(Narrow(V_BSTR(out.get())), "x");

    source.Bstr(nullptr); // a null BSTR is the empty text
    ASSERT_EQ(Change(source.get(), VT_BSTR, &out), S_OK);
    ASSERT_NE(V_BSTR(out.get()), nullptr);
    EXPECT_EQ(SysStringLen(V_BSTR(out.get())), 0u);
    EXPECT_EQ(Change(source.get(), VT_I4, &out), DISP_E_TYPEMISMATCH);
}

TEST(VariantChangeType, UnsupportedTargetsAndBadTypes)
{
    ScopedVariant source, out;
    source.Bstr(W("x"));
    EXPECT_EQ(Change(source.get(), 99, &out), DISP_E_BADVARTYPE);
    EXPECT_EQ(Change(source.get(), VT_BYREF | VT_I4, &out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Change(source.get(), VT_VARIANT, &out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Change(source.get(), VT_ERROR, &out), DISP_E_TYPEMISMATCH);

    VARIANT bad;
    VariantInit(&bad);
    V_VT(&bad) = 99;
    EXPECT_EQ(Change(&bad, VT_BSTR, &out), DISP_E_BADVARTYPE);
}

TEST(VariantChangeType, ObjectsConvertBetweenDispatchAndUnknown)
{
    IDictionary* dictionary = nullptr;
    ASSERT_EQ(PAL_CreateDictionary(&dictionary), S_OK);
    IUnknown* identity = nullptr;
    ASSERT_EQ(dictionary->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);

    ScopedVariant asUnknown, asDispatch, out;
    asUnknown.Unknown(identity);
    ASSERT_EQ(Change(asUnknown.get(), VT_DISPATCH, &out), S_OK);
    EXPECT_EQ(out.vt(), VT_DISPATCH);
    EXPECT_NE(V_DISPATCH(out.get()), nullptr);

    asDispatch.Dispatch(dictionary);
    ASSERT_EQ(Change(asDispatch.get(), VT_UNKNOWN, &out), S_OK);
    EXPECT_EQ(out.vt(), VT_UNKNOWN);
    EXPECT_EQ(V_UNKNOWN(out.get()), identity);

    // Without a default value to read, an object does not convert to text.
    EXPECT_EQ(Change(asDispatch.get(), VT_BSTR, &out), DISP_E_TYPEMISMATCH);

    // A null object stays null.
    asUnknown.Unknown(nullptr);
    ASSERT_EQ(Change(asUnknown.get(), VT_DISPATCH, &out), S_OK);
    EXPECT_EQ(V_DISPATCH(out.get()), nullptr);

    // An object without IDispatch does not become one.
    CountedObject plain;
    asUnknown.Unknown(&plain);
    EXPECT_TRUE(FAILED(Change(asUnknown.get(), VT_DISPATCH, &out)));
    VariantClear(asUnknown.get());
    VariantClear(out.get());
    EXPECT_EQ(plain.References(), 1u);

    identity->Release();
    dictionary->Release();
}
