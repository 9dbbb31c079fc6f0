// The description of an event: the dictionary of named values that comes with
// each LogEvent. The logger uses three operations of the Scripting Runtime's
// IDictionary on it (Exists, reading Item, writing Item), always with the key
// as a VT_BSTR variant. An object that is null or does not offer IDictionary is
// no description: every key is absent and nothing is written back.
//
// Values are read through a reference: a VT_BYREF | VT_VARIANT value (what a
// script engine hands over for a variable) is read as the value it points to.
//
// When the dictionary answers one of those calls with a failure, the call
// raises CDescriptionFailure: the handler that was reading ends there and the
// event dispatcher finishes the event (what was filled so far stands).
//
// Keys are the logger's own (DescriptionKeys.h), made once; a key from any
// other text is made explicitly (and owns a copy of it).
#pragma once

#include "core/DescriptionKeys.h"
#include "pal/interface_ptr.h"
#include "pal/pal.h"
#include "pal/scripting.h"
#include "pal/variant_holder.h"
#include "text/BstrString.h"

struct CDescriptionFailure {
    HRESULT hr;
};

// A key as the dictionary gets it: a BSTR, one of the logger's own keys or
// a copy of a text.
class CDescriptionKey {
public:
    template <size_t N>
    constexpr CDescriptionKey(const DescriptionKeyText<N>& key) noexcept
        : m_text(const_cast<WCHAR*>(key.text)), m_length(static_cast<UINT>(N - 1))
    {
    }
    explicit CDescriptionKey(const WCHAR* text) noexcept
        : m_owned(text), m_text(m_owned.Get()), m_length(m_owned.Length())
    {
    }
    CDescriptionKey(const CDescriptionKey&) = delete;
    CDescriptionKey& operator=(const CDescriptionKey&) = delete;

    BSTR Bstr() const noexcept { return m_text; }
    UINT Length() const noexcept { return m_length; }

private:
    CBstrString m_owned;
    BSTR m_text;
    UINT m_length;
};

class CDescription {
public:
    // Asks the object for IDictionary.
    explicit CDescription(IDispatch* object) noexcept;

    bool IsPresent() const noexcept { return static_cast<bool>(m_dictionary); }

    // The dictionary itself (null without a description), for the parts of
    // the logger that read and write it on their own.
    IDictionary* Dictionary() const noexcept { return m_dictionary.Get(); }

    // Exists(key); false without a description.
    bool Has(const CDescriptionKey& key);

    // The typed read: the default, converted to the target type (or, when
    // that fails, the empty value of the type), goes to out; when the key
    // exists and its value converts to the type, out takes the converted
    // value and the read reports it as found. out is cleared first.
    bool ReadValue(const CDescriptionKey& key, VARTYPE type, VARIANT* defaultValue, VARIANT* out);

    // The three typed forms: text (VT_BSTR), integer (VT_I4), flag (VT_BOOL).
    // A value of the wanted type is taken as it is.
    bool ReadText(const CDescriptionKey& key, CBstrString& out, const WCHAR* defaultValue = W(""));
    bool ReadInt(const CDescriptionKey& key, LONG& out, LONG defaultValue);
    bool ReadFlag(const CDescriptionKey& key, bool& out, bool defaultValue);

    // Item(key) as it is, without an existence test (the Scripting
    // Dictionary then adds the key with an empty value); VT_EMPTY without a
    // description.
    void ReadRaw(const CDescriptionKey& key, VARIANT* out);

    // Item(key) = value; nothing without a description.
    void Write(const CDescriptionKey& key, VARIANT* value);
    void WriteInt(const CDescriptionKey& key, LONG value);
    void WriteText(const CDescriptionKey& key, const WCHAR* value);
    void WriteFlag(const CDescriptionKey& key, bool value);

private:
    // Item(key) of a key that exists, read through a reference; false (out
    // empty) when the value cannot be read so.
    bool ReadStored(const CDescriptionKey& key, VARIANT* out);
    // The value under the key when it exists (Exists, then Item read through
    // a reference): null when it does not, cannot be read, or there is no
    // dictionary. A value read through IDictionary is kept in `held`; a
    // dictionary of the platform layer's own is looked into directly, and the
    // value is its own.
    const VARIANT* Find(const CDescriptionKey& key, CVariantValue& held);
    // The stored value of key as a value of `type`: the stored one when it
    // has that type, else its conversion, held in `converted`; null when the
    // key is missing or its value cannot be converted.
    const VARIANT* FindTyped(const CDescriptionKey& key, VARTYPE type, CVariantValue& held,
                             CVariantValue& converted);

    CInterfacePtr<IDictionary> m_dictionary;
    // The dictionary, when the platform layer made it (null otherwise).
    PalDictionary* m_own = nullptr;
};

// The object in a value (VT_UNKNOWN or VT_DISPATCH, also through a
// reference); null for any other value.
IUnknown* ObjectOfValue(VARIANT* value) noexcept;
