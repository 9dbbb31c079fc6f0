// The event description's dictionary: the real Scripting.Dictionary in the
// Windows build, the platform layer's stand-in elsewhere. Both must behave
// alike through IDictionary and through IDispatch::Invoke by DISPID.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pal/pal.h"
#include "support/PlatformTestSupport.h"

using test::CountedObject;
using test::Narrow;
using test::ScopedVariant;

namespace {

class DictionaryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(PAL_CreateDictionary(&m_dictionary), S_OK); }
    void TearDown() override
    {
        if (m_dictionary) {
            EXPECT_EQ(m_dictionary->Release(), 0u);
        }
    }

    HRESULT Add(ScopedVariant& key, ScopedVariant& item) { return m_dictionary->Add(key.get(), item.get()); }
    HRESULT Add(const WCHAR* key, LONG item)
    {
        ScopedVariant k, i;
        k.Bstr(key);
        i.I4(item);
        return Add(k, i);
    }
    bool Exists(ScopedVariant& key)
    {
        VARIANT_BOOL exists = 7;
        EXPECT_EQ(m_dictionary->Exists(key.get(), &exists), S_OK);
        EXPECT_TRUE(exists == VARIANT_TRUE || exists == VARIANT_FALSE);
        return exists == VARIANT_TRUE;
    }
    bool Exists(const WCHAR* key)
    {
        ScopedVariant k;
        k.Bstr(key);
        return Exists(k);
    }
    LONG Count()
    {
        LONG count = -1;
        EXPECT_EQ(m_dictionary->get_Count(&count), S_OK);
        return count;
    }
    // The item's text (VariantChangeType to VT_BSTR), "(empty)" for VT_EMPTY.
    std::string ItemText(ScopedVariant& key)
    {
        ScopedVariant item;
        HRESULT hr = m_dictionary->get_Item(key.get(), item.get());
        if (FAILED(hr))
            return "failed " + test::HrText(hr);
        if (item.vt() == VT_EMPTY)
            return "(empty)";
        return test::TextOf(item.get());
    }
    std::string ItemText(const WCHAR* key)
    {
        ScopedVariant k;
        k.Bstr(key);
        return ItemText(k);
    }

    // IDispatch::Invoke with the arguments in call order, passed as a script
    // passes variables (by reference); a property put names its value.
    HRESULT Invoke(DISPID member, WORD flags, std::vector<VARIANT*> arguments, ScopedVariant* result = nullptr,
                   HRESULT* exceptionCode = nullptr)
    {
        std::vector<VARIANT> byReference(arguments.size());
        for (size_t i = 0; i < arguments.size(); ++i) {
            VARIANT& slot = byReference[arguments.size() - 1 - i]; // last argument first
            VariantInit(&slot);
            V_VT(&slot) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&slot) = arguments[i];
        }
        DISPID putName = DISPID_PROPERTYPUT;
        DISPPARAMS params = {byReference.empty() ? nullptr : byReference.data(), nullptr,
                             static_cast<UINT>(byReference.size()), 0};
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            params.rgdispidNamedArgs = &putName;
            params.cNamedArgs = 1;
        }
        EXCEPINFO exception = {};
        UINT argumentError = 0;
        HRESULT hr = m_dictionary->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                          result ? result->get() : nullptr, &exception, &argumentError);
        if (exceptionCode)
            *exceptionCode = exception.scode;
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        return hr;
    }

    IDictionary* m_dictionary = nullptr;
};

} // namespace

TEST_F(DictionaryTest, AddExistsCountAndItems)
{
    EXPECT_EQ(Count(), 0);
    EXPECT_FALSE(Exists(W("Status")));
    ASSERT_EQ(Add(W("Status"), 1), S_OK);
    ASSERT_EQ(Add(W("IconIndex"), 7), S_OK);
    EXPECT_EQ(Count(), 2);
    EXPECT_TRUE(Exists(W("Status")));
    EXPECT_EQ(ItemText(W("Status")), "1");
    EXPECT_EQ(ItemText(W("IconIndex")), "7");

    // Writing Item replaces the value of an existing key or adds a new one.
    ScopedVariant key, item;
    key.Bstr(W("Status"));
    item.Bstr(W("text now"));
    ASSERT_EQ(m_dictionary->put_Item(key.get(), item.get()), S_OK);
    EXPECT_EQ(ItemText(W("Status")), "text now");
    key.Bstr(W("DllPAth"));
    item.Bstr(W("LocalDll"));
    ASSERT_EQ(m_dictionary->put_Item(key.get(), item.get()), S_OK);
    EXPECT_EQ(ItemText(W("DllPAth")), "LocalDll");
    EXPECT_EQ(Count(), 3);
}

TEST_F(DictionaryTest, ReadingAMissingKeyAddsItEmpty)
{
    EXPECT_EQ(ItemText(W("ViewType")), "(empty)");
    EXPECT_EQ(Count(), 1);
    EXPECT_TRUE(Exists(W("ViewType")));
    EXPECT_EQ(Add(W("ViewType"), 1), CTL_E_KEY_ALREADY_EXISTS);
}

TEST_F(DictionaryTest, AddOfAnExistingKeyAndRemoveOfAMissingOneFail)
{
    ASSERT_EQ(Add(W("Key"), 1), S_OK);
    EXPECT_EQ(Add(W("Key"), 2), CTL_E_KEY_ALREADY_EXISTS);
    EXPECT_EQ(ItemText(W("Key")), "1");

    ScopedVariant key;
    key.Bstr(W("key"));
    EXPECT_EQ(m_dictionary->Remove(key.get()), CTL_E_ELEMENT_NOT_FOUND);
    key.Bstr(W("Key"));
    EXPECT_EQ(m_dictionary->Remove(key.get()), S_OK);
    EXPECT_FALSE(Exists(W("Key")));
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(m_dictionary->Remove(key.get()), CTL_E_ELEMENT_NOT_FOUND);

    ASSERT_EQ(Add(W("a"), 1), S_OK);
    ASSERT_EQ(Add(W("b"), 2), S_OK);
    EXPECT_EQ(m_dictionary->RemoveAll(), S_OK);
    EXPECT_EQ(Count(), 0);
    EXPECT_FALSE(Exists(W("a")));
}

// Large dictionaries are looked up through an index: keys are still found
// (and missing ones not) after removals from the middle, renames, and long keys.
TEST_F(DictionaryTest, ManyKeysAfterRemovalsAndRenames)
{
    auto name = [](int i) {
        WideString text = PAL_AsciiToWide(("Key number " + std::to_string(i)).c_str());
        if (i % 7 == 0)
            text += PAL_AsciiToWide(" with a name longer than the entry keeps inside itself");
        return text;
    };
    const int count = 300;
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(Add(name(i).c_str(), i), S_OK);
    for (int i = 0; i < count; i += 3) {
        ScopedVariant key;
        key.Bstr(name(i).c_str());
        ASSERT_EQ(m_dictionary->Remove(key.get()), S_OK);
    }
    ScopedVariant from, to;
    from.Bstr(name(1).c_str());
    to.Bstr(W("renamed"));
    ASSERT_EQ(m_dictionary->put_Key(from.get(), to.get()), S_OK);
    EXPECT_EQ(Count(), count - (count + 2) / 3);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Exists(name(i).c_str()), i % 3 != 0 && i != 1);
        if (i % 3 != 0 && i != 1) {
            EXPECT_EQ(ItemText(name(i).c_str()), std::to_string(i));
        }
    }
    EXPECT_EQ(ItemText(W("renamed")), "1");
    EXPECT_EQ(Add(name(2).c_str(), 0), CTL_E_KEY_ALREADY_EXISTS);
    ASSERT_EQ(Add(name(3).c_str(), 3), S_OK);
    EXPECT_EQ(ItemText(name(3).c_str()), "3");
}

TEST_F(DictionaryTest, BinaryComparisonOfKeys)
{
    ASSERT_EQ(Add(W("Key"), 1), S_OK);
    EXPECT_FALSE(Exists(W("key")));
    EXPECT_FALSE(Exists(W("Key ")));
    ASSERT_EQ(Add(W("key"), 2), S_OK);
    EXPECT_EQ(ItemText(W("Key")), "1");
    EXPECT_EQ(ItemText(W("key")), "2");

    // A text key never equals a number; numbers compare by value.
    ScopedVariant one, item;
    one.I4(1);
    item.Bstr(W("number one"));
    ASSERT_EQ(Add(one, item), S_OK);
    EXPECT_FALSE(Exists(W("1")));
    ScopedVariant same;
    EXPECT_TRUE(Exists(same.R8(1.0)));
    EXPECT_TRUE(Exists(same.I2(1)));
    EXPECT_TRUE(Exists(same.Date(1.0)));
    EXPECT_FALSE(Exists(same.R8(1.5)));
    EXPECT_EQ(ItemText(same.R8(1.0)), "number one");
    EXPECT_EQ(Add(same.R8(1.0), item), CTL_E_KEY_ALREADY_EXISTS);

    ScopedVariant half;
    ASSERT_EQ(Add(half.R8(1.5), item), S_OK);
    EXPECT_TRUE(Exists(same.R4(1.5f)));
}

TEST_F(DictionaryTest, TextComparisonIgnoresCase)
{
    CompareMethod mode = TextCompare;
    ASSERT_EQ(m_dictionary->get_CompareMode(&mode), S_OK);
    EXPECT_EQ(mode, BinaryCompare);
    ASSERT_EQ(m_dictionary->put_CompareMode(TextCompare), S_OK);
    ASSERT_EQ(Add(W("ABC"), 1), S_OK);
    EXPECT_TRUE(Exists(W("abc")));
    EXPECT_EQ(Add(W("Abc"), 2), CTL_E_KEY_ALREADY_EXISTS);
    // The mode cannot change while the dictionary holds entries.
    EXPECT_EQ(m_dictionary->put_CompareMode(BinaryCompare), CTL_E_ILLEGALFUNCTIONCALL);
}

TEST_F(DictionaryTest, ReferencesAreStoredByValue)
{
    BSTR keyText = SysAllocString(W("RefKey"));
    LONG number = 9;
    ScopedVariant key, item;
    V_VT(key.get()) = VT_BYREF | VT_BSTR;
    V_BSTRREF(key.get()) = &keyText;
    V_VT(item.get()) = VT_BYREF | VT_I4;
    V_I4REF(item.get()) = &number;
    ASSERT_EQ(m_dictionary->put_Item(key.get(), item.get()), S_OK);

    // The caller's variables change or go away; the stored values stay.
    number = 10;
    SysFreeString(keyText);
    keyText = nullptr;
    ScopedVariant stored;
    ScopedVariant plainKey;
    plainKey.Bstr(W("RefKey"));
    ASSERT_EQ(m_dictionary->get_Item(plainKey.get(), stored.get()), S_OK);
    EXPECT_EQ(stored.vt(), VT_I4);
    EXPECT_EQ(V_I4(stored.get()), 9);

    // A script's variable: VT_BYREF | VT_VARIANT (keys that arrive so through
    // Invoke are covered there).
    ScopedVariant scriptItem;
    scriptItem.Date(45293.5);
    VARIANT itemReference;
    VariantInit(&itemReference);
    V_VT(&itemReference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&itemReference) = scriptItem.get();
    plainKey.Bstr(W("FromScript"));
    ASSERT_EQ(m_dictionary->Add(plainKey.get(), &itemReference), S_OK);
    scriptItem.Bstr(W("changed"));
    ASSERT_EQ(m_dictionary->get_Item(plainKey.get(), stored.get()), S_OK);
    EXPECT_EQ(stored.vt(), VT_DATE);
    EXPECT_EQ(V_DATE(stored.get()), 45293.5);
}

TEST_F(DictionaryTest, RenamingAKey)
{
    ASSERT_EQ(Add(W("Old"), 5), S_OK);
    ASSERT_EQ(Add(W("Other"), 6), S_OK);
    ScopedVariant from, to;
    from.Bstr(W("Old"));
    to.Bstr(W("New"));
    ASSERT_EQ(m_dictionary->put_Key(from.get(), to.get()), S_OK);
    EXPECT_FALSE(Exists(W("Old")));
    EXPECT_EQ(ItemText(W("New")), "5");
    EXPECT_EQ(Count(), 2);

    to.Bstr(W("Other"));
    from.Bstr(W("New"));
    EXPECT_EQ(m_dictionary->put_Key(from.get(), to.get()), CTL_E_KEY_ALREADY_EXISTS);
    EXPECT_EQ(ItemText(W("New")), "5");
    EXPECT_EQ(ItemText(W("Other")), "6");
}

TEST_F(DictionaryTest, ObjectsAsItemsAndKeys)
{
    CountedObject object;
    {
        ScopedVariant key, item, stored;
        key.Bstr(W("CustomObjUnk"));
        item.Unknown(&object);
        ASSERT_EQ(m_dictionary->put_Item(key.get(), item.get()), S_OK);
        ASSERT_EQ(m_dictionary->get_Item(key.get(), stored.get()), S_OK);
        EXPECT_EQ(stored.vt(), VT_UNKNOWN);
        EXPECT_EQ(V_UNKNOWN(stored.get()), static_cast<IUnknown*>(&object));
    }
    EXPECT_GT(object.References(), 1u); // the dictionary holds it
    ASSERT_EQ(m_dictionary->RemoveAll(), S_OK);
    EXPECT_EQ(object.References(), 1u);

    // An object key is the object's identity, as IDispatch or IUnknown.
    IDictionary* other = nullptr;
    ASSERT_EQ(PAL_CreateDictionary(&other), S_OK);
    IUnknown* identity = nullptr;
    ASSERT_EQ(other->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    ScopedVariant objectKey, sameObject, item;
    objectKey.Dispatch(other);
    item.I4(3);
    ASSERT_EQ(Add(objectKey, item), S_OK);
    EXPECT_TRUE(Exists(sameObject.Unknown(identity)));
    identity->Release();
    other->Release();
}

TEST_F(DictionaryTest, NamesOfTheDispatchInterface)
{
    const struct {
        const WCHAR* name;
        DISPID id;
    } names[] = {{W("Item"), 0},      {W("iTeM"), 0},      {W("Add"), 1},    {W("count"), 2},
                 {W("EXISTS"), 3},    {W("Items"), 4},     {W("Key"), 5},    {W("Keys"), 6},
                 {W("Remove"), 7},    {W("RemoveAll"), 8}, {W("CompareMode"), 9}, {W("HashVal"), 10},
                 {W("_NewEnum"), DISPID_NEWENUM}};
    for (const auto& n : names) {
        LPOLESTR name = const_cast<LPOLESTR>(n.name);
        DISPID id = 12345;
        ASSERT_EQ(m_dictionary->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(id, n.id);
    }
    LPOLESTR unknown = const_cast<LPOLESTR>(W("Nope"));
    DISPID id = 12345;
    EXPECT_EQ(m_dictionary->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(DictionaryTest, InvokeByDispid)
{
    ScopedVariant key, item, result;
    key.Bstr(W("Status"));
    item.I4(3);
    ASSERT_EQ(Invoke(1, DISPATCH_METHOD, {key.get(), item.get()}), S_OK); // Add

    ASSERT_EQ(Invoke(2, DISPATCH_PROPERTYGET, {}, &result), S_OK); // Count
    EXPECT_EQ(result.vt(), VT_I4);
    EXPECT_EQ(V_I4(result.get()), 1);

    ASSERT_EQ(Invoke(3, DISPATCH_METHOD, {key.get()}, &result), S_OK); // Exists
    EXPECT_EQ(result.vt(), VT_BOOL);
    EXPECT_EQ(V_BOOL(result.get()), VARIANT_TRUE);

    ASSERT_EQ(Invoke(DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {key.get()}, &result), S_OK); // Item
    EXPECT_EQ(result.vt(), VT_I4);
    EXPECT_EQ(V_I4(result.get()), 3);

    item.Bstr(W("replaced"));
    ASSERT_EQ(Invoke(DISPID_VALUE, DISPATCH_PROPERTYPUT, {key.get(), item.get()}), S_OK);
    EXPECT_EQ(ItemText(W("Status")), "replaced");

    // Reading a missing key through Invoke adds it too.
    ScopedVariant missing;
    missing.Bstr(W("Missing"));
    ASSERT_EQ(Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, {missing.get()}, &result), S_OK);
    EXPECT_EQ(result.vt(), VT_EMPTY);
    EXPECT_EQ(Count(), 2);

    ScopedVariant newKey;
    newKey.Bstr(W("Renamed"));
    ASSERT_EQ(Invoke(5, DISPATCH_PROPERTYPUT, {missing.get(), newKey.get()}), S_OK); // Key
    EXPECT_TRUE(Exists(W("Renamed")));

    ASSERT_EQ(Invoke(7, DISPATCH_METHOD, {key.get()}), S_OK); // Remove
    EXPECT_FALSE(Exists(W("Status")));

    ASSERT_EQ(Invoke(9, DISPATCH_PROPERTYGET, {}, &result), S_OK); // CompareMode
    EXPECT_EQ(result.vt(), VT_I4);
    EXPECT_EQ(V_I4(result.get()), BinaryCompare);

    ASSERT_EQ(Invoke(8, DISPATCH_METHOD, {}), S_OK); // RemoveAll
    EXPECT_EQ(Count(), 0);
}

TEST_F(DictionaryTest, InvokeReportsFailuresAsExceptions)
{
    ScopedVariant key, item;
    key.Bstr(W("Key"));
    item.I4(1);
    ASSERT_EQ(Invoke(1, DISPATCH_METHOD, {key.get(), item.get()}), S_OK);
    HRESULT code = S_OK;
    EXPECT_EQ(Invoke(1, DISPATCH_METHOD, {key.get(), item.get()}, nullptr, &code), DISP_E_EXCEPTION);
    EXPECT_EQ(code, CTL_E_KEY_ALREADY_EXISTS);

    ScopedVariant missing;
    missing.Bstr(W("Missing"));
    code = S_OK;
    EXPECT_EQ(Invoke(7, DISPATCH_METHOD, {missing.get()}, nullptr, &code), DISP_E_EXCEPTION);
    EXPECT_EQ(code, CTL_E_ELEMENT_NOT_FOUND);
}

TEST_F(DictionaryTest, InvokeRefusesWrongCalls)
{
    ScopedVariant key, result;
    key.Bstr(W("Key"));
    EXPECT_EQ(Invoke(99, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Invoke(2, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);      // Count is a property
    EXPECT_EQ(Invoke(1, DISPATCH_PROPERTYGET, {key.get()}, &result), DISP_E_MEMBERNOTFOUND); // Add is a method
    EXPECT_EQ(Invoke(1, DISPATCH_METHOD, {}, &result), DISP_E_BADPARAMCOUNT);

    // A property put must name its value.
    VARIANT arguments[2];
    VariantInit(&arguments[0]);
    VariantInit(&arguments[1]);
    V_VT(&arguments[0]) = VT_I4;
    V_I4(&arguments[0]) = 1;
    V_VT(&arguments[1]) = VT_BSTR;
    V_BSTR(&arguments[1]) = SysAllocString(W("Key"));
    DISPPARAMS params = {arguments, nullptr, 2, 0};
    UINT argumentError = 0;
    EXPECT_EQ(m_dictionary->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                                   nullptr, &argumentError),
              DISP_E_PARAMNOTFOUND);
    VariantClear(&arguments[1]);
    EXPECT_EQ(Count(), 0);
}
