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
#pragma once

#include "pal/interface_ptr.h"
#include "pal/pal.h"
#include "pal/variant_holder.h"
#include "text/BstrString.h"

struct CDescriptionFailure {
    HRESULT hr;
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
    bool Has(const WCHAR* key);

    // The typed read: the default, converted to the target type (or, when
    // that fails, the empty value of the type), goes to out; when the key
    // exists and its value converts to the type, out takes the converted
    // value and the read reports it as found. out is cleared first.
    bool ReadValue(const WCHAR* key, VARTYPE type, VARIANT* defaultValue, VARIANT* out);

    // The three typed forms: text (VT_BSTR), integer (VT_I4), flag (VT_BOOL).
    bool ReadText(const WCHAR* key, CBstrString& out, const WCHAR* defaultValue = W(""));
    bool ReadInt(const WCHAR* key, LONG& out, LONG defaultValue);
    bool ReadFlag(const WCHAR* key, bool& out, bool defaultValue);

    // Item(key) as it is, without an existence test (the Scripting
    // Dictionary then adds the key with an empty value); VT_EMPTY without a
    // description.
    void ReadRaw(const WCHAR* key, VARIANT* out);

    // Item(key) = value; nothing without a description.
    void Write(const WCHAR* key, VARIANT* value);
    void WriteInt(const WCHAR* key, LONG value);
    void WriteText(const WCHAR* key, const WCHAR* value);
    void WriteFlag(const WCHAR* key, bool value);

private:
    // The typed read with its default in value, whose type is the target
    // type; value holds the result.
    bool ReadTyped(const WCHAR* key, CVariantValue& value);

    CInterfacePtr<IDictionary> m_dictionary;
};

// The object in a value (VT_UNKNOWN or VT_DISPATCH, also through a
// reference); null for any other value.
IUnknown* ObjectOfValue(VARIANT* value) noexcept;
