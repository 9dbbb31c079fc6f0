#include "annalist/DescriptionBuilder.h"

#include <limits>
#include <vector>

#include "annalist/HostObjects.h"
#include "annalist/TextConversion.h"
#include "pal/variant_holder.h"

namespace {

bool MakeBstr(const std::string& utf8, VARIANT* out, std::string& reason)
{
    bool notUtf8 = false;
    BSTR text = BstrFromUtf8(utf8, notUtf8);
    if (!text) {
        reason = notUtf8 ? "a text that is not UTF-8" : "out of memory";
        return false;
    }
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = text;
    return true;
}

bool FitsInteger(const Json& value, long long low, long long high, long long& number)
{
    if (!value.is_number_integer())
        return false;
    if (value.is_number_unsigned()) {
        unsigned long long n = value.get<unsigned long long>();
        if (n > static_cast<unsigned long long>(high))
            return false;
        number = static_cast<long long>(n);
        return true;
    }
    number = value.get<long long>();
    return number >= low && number <= high;
}

bool MakeParameters(const Json& list, VARIANT* out, std::string& reason)
{
    if (!list.is_array()) {
        reason = "\"$params\" must be a list of parameters, not " + ShortJson(list);
        return false;
    }
    CReplayParameterCollection* collection = NewReplayObject<CReplayParameterCollection>();
    size_t index = 0;
    for (const Json& item : list) {
        ++index;
        std::string where = "parameter " + std::to_string(index) + ": ";
        if (!item.is_object()) {
            reason = where + "must be an object {\"name\": ..., \"direction\": ..., \"value\": ...}, not " +
                     ShortJson(item);
            collection->Release();
            return false;
        }
        WideString name;
        LONG direction = 0;
        CVariantValue value;
        bool haveName = false;
        for (auto it = item.begin(); it != item.end(); ++it) {
            const std::string& key = it.key();
            if (key == "name" && it->is_string() && WideFromUtf8(it->get<std::string>(), name)) {
                haveName = true;
            } else if (key == "direction" && it->is_string() &&
                       (it->get<std::string>() == "in" || it->get<std::string>() == "out")) {
                direction = it->get<std::string>() == "out" ? 1 : 0;
            } else if (key == "value") {
                std::string inner;
                if (!VariantFromJson(*it, false, value.Get(), inner)) {
                    reason = where + "\"value\": " + inner;
                    collection->Release();
                    return false;
                }
            } else {
                if (key == "name")
                    reason = where + "\"name\" must be a text, not " + ShortJson(*it);
                else if (key == "direction")
                    reason = where + "\"direction\" must be \"in\" or \"out\", not " + ShortJson(*it);
                else
                    reason = where + "unknown key \"" + key + "\" (a parameter has \"name\", \"direction\", \"value\")";
                collection->Release();
                return false;
            }
        }
        if (!haveName) {
            reason = where + "\"name\" is missing";
            collection->Release();
            return false;
        }
        collection->Add(NewReplayObject<CReplayParameter>(name, direction, value.Get()));
    }
    CReplayParameters* parameters = NewReplayObject<CReplayParameters>(collection);
    V_VT(out) = VT_DISPATCH;
    V_DISPATCH(out) = parameters->AsDispatch();
    return true;
}

bool MakeFormValue(const Json& value, bool allowObjects, VARIANT* out, std::string& reason)
{
    const std::string& form = value.begin().key();
    const Json& inner = value.begin().value();
    if (form == "$date") {
        DATE date = 0;
        if (!inner.is_string() || !ParseEventTime(inner.get<std::string>(), date)) {
            reason = "\"$date\" must be a local time \"YYYY-MM-DDTHH:MM:SS\", not " + ShortJson(inner);
            return false;
        }
        V_VT(out) = VT_DATE;
        V_DATE(out) = date;
        return true;
    }
    if (form == "$i2") {
        long long number = 0;
        if (!FitsInteger(inner, -32768, 32767, number)) {
            reason = "\"$i2\" must be an integer from -32768 to 32767, not " + ShortJson(inner);
            return false;
        }
        V_VT(out) = VT_I2;
        V_I2(out) = static_cast<SHORT>(number);
        return true;
    }
    if (form == "$empty") {
        if (!inner.is_boolean() || !inner.get<bool>()) {
            reason = "\"$empty\" must be true, not " + ShortJson(inner);
            return false;
        }
        return true; // VT_EMPTY
    }
    if (form == "$report" || form == "$params") {
        if (!allowObjects) {
            reason = "\"" + form + "\" cannot stand here (only as a value of the description)";
            return false;
        }
        if (form == "$params")
            return MakeParameters(inner, out, reason);
        WideString text;
        if (!inner.is_string() || !WideFromUtf8(inner.get<std::string>(), text)) {
            reason = "\"$report\" must be a text, not " + ShortJson(inner);
            return false;
        }
        CReplayCustomReport* report = NewReplayObject<CReplayCustomReport>(text);
        V_VT(out) = VT_UNKNOWN;
        V_UNKNOWN(out) = static_cast<IKovCustomReport*>(report);
        return true;
    }
    reason = "unknown form \"" + form + "\" (known: $date, $i2, $empty, $report, $params)";
    return false;
}

// The keys of the last descriptions built on this thread, by their place.
// The lines of a log mostly repeat the keys of the line before, in the same
// order: their BSTRs are made once and handed to the dictionary (which
// copies them) again and again.
class CRecentKeys {
public:
    CRecentKeys() = default;
    ~CRecentKeys()
    {
        for (Key& key : m_keys)
            SysFreeString(key.text);
    }
    CRecentKeys(const CRecentKeys&) = delete;
    CRecentKeys& operator=(const CRecentKeys&) = delete;

    // The key at `place` as a BSTR that stays owned here; null with the
    // reason when it is not UTF-8 or memory runs out.
    BSTR Get(size_t place, const std::string& utf8, std::string& reason)
    {
        if (place >= m_keys.size())
            m_keys.resize(place + 1);
        Key& key = m_keys[place];
        if (key.text && key.utf8 == utf8)
            return key.text;
        VARIANT made;
        VariantInit(&made);
        if (!MakeBstr(utf8, &made, reason))
            return nullptr;
        SysFreeString(key.text);
        key.text = V_BSTR(&made);
        key.utf8 = utf8;
        return key.text;
    }

private:
    struct Key {
        std::string utf8;
        BSTR text = nullptr;
    };
    std::vector<Key> m_keys;
};

} // namespace

bool VariantFromJson(const Json& value, bool allowObjects, VARIANT* out, std::string& reason)
{
    long long number = 0;
    switch (value.type()) {
    case Json::value_t::string:
        return MakeBstr(value.get_ref<const std::string&>(), out, reason);
    case Json::value_t::boolean:
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = value.get<bool>() ? VARIANT_TRUE : VARIANT_FALSE;
        return true;
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
        if (FitsInteger(value, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max(), number)) {
            V_VT(out) = VT_I4;
            V_I4(out) = static_cast<LONG>(number);
        } else {
            V_VT(out) = VT_R8;
            V_R8(out) = value.get<double>();
        }
        return true;
    case Json::value_t::number_float:
        V_VT(out) = VT_R8;
        V_R8(out) = value.get<double>();
        return true;
    case Json::value_t::null:
        V_VT(out) = VT_NULL;
        return true;
    case Json::value_t::object:
        if (value.size() == 1 && !value.begin().key().empty() && value.begin().key()[0] == '$')
            return MakeFormValue(value, allowObjects, out, reason);
        reason = "an object is a value only in the forms {\"$date\": ...}, {\"$i2\": ...}, {\"$empty\": true}" +
                 std::string(allowObjects ? ", {\"$report\": ...}, {\"$params\": [...]}" : "") + ", not " +
                 ShortJson(value);
        return false;
    default:
        reason = "a list is not a value: " + ShortJson(value);
        return false;
    }
}

bool BuildDescription(const Json& description, CInterfacePtr<IDictionary>& dictionary, std::string& reason)
{
    dictionary.Release();
    CInterfacePtr<IDictionary> made;
    HRESULT hr = PAL_CreateDictionary(made.Out());
    if (FAILED(hr) || !made) {
        reason = "cannot create a dictionary for the description: " + HresultText(hr);
        return false;
    }
    thread_local CRecentKeys recentKeys;
    size_t place = 0;
    for (auto it = description.begin(); it != description.end(); ++it, ++place) {
        std::string inner;
        VARIANT key; // the text stays the cache's
        VariantInit(&key);
        V_VT(&key) = VT_BSTR;
        V_BSTR(&key) = recentKeys.Get(place, it.key(), inner);
        if (!V_BSTR(&key)) {
            reason = "desc key: " + inner;
            return false;
        }
        CVariantValue value;
        if (!VariantFromJson(it.value(), true, value.Get(), inner)) {
            reason = "desc \"" + it.key() + "\": " + inner;
            return false;
        }
        hr = made->Add(&key, value.Get());
        if (FAILED(hr)) {
            reason = "desc \"" + it.key() + "\": the dictionary refused the value: " + HresultText(hr);
            return false;
        }
    }
    dictionary = std::move(made);
    return true;
}
