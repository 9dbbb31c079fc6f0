// VARIANT lifetime and copies: what a VARIANT owns, what a reference owns
// (nothing), and copies through references.
#include <gtest/gtest.h>

#include "pal/pal.h"
#include "support/PlatformTestSupport.h"

using test::CountedObject;
using test::Narrow;
using test::ScopedVariant;

TEST(Variant, ClearReleasesWhatTheVariantOwnsAndNothingOfAReference)
{
    CountedObject object;
    VARIANT v;
    VariantInit(&v);
    EXPECT_EQ(V_VT(&v), VT_EMPTY);

    V_VT(&v) = VT_UNKNOWN;
    V_UNKNOWN(&v) = &object;
    object.AddRef();
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(V_VT(&v), VT_EMPTY);
    EXPECT_EQ(object.References(), 1u);

    IUnknown* pointer = &object;
    V_VT(&v) = VT_BYREF | VT_UNKNOWN;
    V_UNKNOWNREF(&v) = &pointer;
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(object.References(), 1u);

    // The sanitizer build sees a leak if the BSTR is not freed.
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(W("owned"));
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(V_VT(&v), VT_EMPTY);
}

TEST(Variant, UnknownTypesAreRefused)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = 99;
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
    V_VT(&v) = VT_BYREF | VT_NULL;
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);

    ScopedVariant good;
    good.I4(7);
    V_VT(&v) = 99;
    EXPECT_EQ(VariantCopy(&v, good.get()), DISP_E_BADVARTYPE);
    VariantInit(&v);
    V_VT(good.get()) = 99;
    EXPECT_EQ(VariantCopy(&v, good.get()), DISP_E_BADVARTYPE);
    V_VT(good.get()) = VT_EMPTY;
}

TEST(Variant, CopyDuplicatesTextAndReferencesObjects)
{
    ScopedVariant text, copy;
    text.Bstr(W("hello"));
    copy.Bstr(W("old value, freed by the copy"));
    ASSERT_EQ(VariantCopy(copy.get(), text.get()), S_OK);
    EXPECT_EQ(copy.vt(), VT_BSTR);
    EXPECT_NE(V_BSTR(copy.get()), V_BSTR(text.get()));
    EXPECT_EQ(Narrow(V_BSTR(copy.get())), "hello");

    // An odd byte count survives the copy.
    ScopedVariant bytes;
    V_VT(bytes.get()) = VT_BSTR;
    V_BSTR(bytes.get()) = SysAllocStringByteLen("abc", 3);
    ASSERT_EQ(VariantCopy(copy.get(), bytes.get()), S_OK);
    EXPECT_EQ(SysStringByteLen(V_BSTR(copy.get())), 3u);

    CountedObject object;
    {
        ScopedVariant held, second;
        held.Unknown(&object);
        ASSERT_EQ(VariantCopy(second.get(), held.get()), S_OK);
        EXPECT_EQ(V_UNKNOWN(second.get()), &object);
        EXPECT_EQ(object.References(), 3u);
    }
    EXPECT_EQ(object.References(), 1u);

    // Copying a VARIANT onto itself changes nothing.
    EXPECT_EQ(VariantCopy(text.get(), text.get()), S_OK);
    EXPECT_EQ(Narrow(V_BSTR(text.get())), "hello");
}

TEST(Variant, CopyOfAReferenceCopiesThePointer)
{
    LONG value = 5;
    VARIANT reference;
    VariantInit(&reference);
    V_VT(&reference) = VT_BYREF | VT_I4;
    V_I4REF(&reference) = &value;
    ScopedVariant copy;
    ASSERT_EQ(VariantCopy(copy.get(), &reference), S_OK);
    EXPECT_EQ(copy.vt(), VT_BYREF | VT_I4);
    EXPECT_EQ(V_I4REF(copy.get()), &value);
}

TEST(Variant, CopyIndReadsThroughReferences)
{
    LONG number = 42;
    BSTR text = SysAllocString(W("by reference"));
    CountedObject object;
    IUnknown* objectPointer = &object;

    VARIANT reference;
    VariantInit(&reference);
    ScopedVariant copy;

    V_VT(&reference) = VT_BYREF | VT_I4;
    V_I4REF(&reference) = &number;
    ASSERT_EQ(VariantCopyInd(copy.get(), &reference), S_OK);
    EXPECT_EQ(copy.vt(), VT_I4);
    EXPECT_EQ(V_I4(copy.get()), 42);

    V_VT(&reference) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&reference) = &text;
    ASSERT_EQ(VariantCopyInd(copy.get(), &reference), S_OK);
    EXPECT_EQ(copy.vt(), VT_BSTR);
    EXPECT_NE(V_BSTR(copy.get()), text);
    EXPECT_EQ(Narrow(V_BSTR(copy.get())), "by reference");

    V_VT(&reference) = VT_BYREF | VT_UNKNOWN;
    V_UNKNOWNREF(&reference) = &objectPointer;
    ASSERT_EQ(VariantCopyInd(copy.get(), &reference), S_OK);
    EXPECT_EQ(copy.vt(), VT_UNKNOWN);
    EXPECT_EQ(object.References(), 2u);
    VariantClear(copy.get());
    EXPECT_EQ(object.References(), 1u);

    // A script passes its variables as VT_BYREF | VT_VARIANT.
    ScopedVariant date;
    date.Date(45293.5);
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = date.get();
    ASSERT_EQ(VariantCopyInd(copy.get(), &reference), S_OK);
    EXPECT_EQ(copy.vt(), VT_DATE);
    EXPECT_EQ(V_DATE(copy.get()), 45293.5);

    // ... and that VARIANT may itself refer to a plain value.
    VARIANT inner;
    VariantInit(&inner);
    V_VT(&inner) = VT_BYREF | VT_I4;
    V_I4REF(&inner) = &number;
    V_VARIANTREF(&reference) = &inner;
    ASSERT_EQ(VariantCopyInd(copy.get(), &reference), S_OK);
    EXPECT_EQ(copy.vt(), VT_I4);
    EXPECT_EQ(V_I4(copy.get()), 42);

    // A reference to a reference to a VARIANT is refused.
    VARIANT outer;
    VariantInit(&outer);
    V_VT(&outer) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&outer) = &reference;
    EXPECT_EQ(VariantCopyInd(copy.get(), &outer), E_INVALIDARG);

    SysFreeString(text);
}

TEST(Variant, CopyIndInPlaceReplacesTheReferenceByItsValue)
{
    BSTR text = SysAllocString(W("x"));
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&v) = &text;
    ASSERT_EQ(VariantCopyInd(&v, &v), S_OK);
    EXPECT_EQ(V_VT(&v), VT_BSTR);
    EXPECT_NE(V_BSTR(&v), text);
    EXPECT_EQ(Narrow(V_BSTR(&v)), "x");
    VariantClear(&v);
    SysFreeString(text);
}
