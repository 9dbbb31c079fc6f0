#include "support/RecordingDictionary.h"

#include "pal/variant_holder.h"
#include "support/TestSupport.h"

namespace test {

namespace {

std::string TextOfKey(VARIANT* key)
{
    if (!key || V_VT(key) != VT_BSTR)
        return "?";
    BSTR text = V_BSTR(key);
    return Utf16ToUtf8(WideString(text ? text : W(""), SysStringLen(text)));
}

std::string TextOfValue(VARIANT* value)
{
    CVariantValue text;
    std::string result = std::to_string(V_VT(value)) + ":";
    if (SUCCEEDED(VariantChangeType(text.Get(), value, 0, VT_BSTR)))
        result += TextOfKey(text.Get());
    return result;
}

} // namespace

CRecordingDictionary::CRecordingDictionary(IDictionary* inner, const WCHAR* failingKey)
    : m_inner(inner), m_failingKey(failingKey ? Utf16ToUtf8(failingKey) : std::string())
{
}

const ComInterfaceEntry* CRecordingDictionary::InterfaceTable()
{
    static const ComInterfaceEntry table[] = {
        ComEntry<CRecordingDictionary, IUnknown, IDictionary>(IID_IUnknown),
        ComEntry<CRecordingDictionary, IDispatch, IDictionary>(IID_IDispatch),
        ComEntry<CRecordingDictionary, IDictionary>(IID_IDictionary),
        ComTableEnd(),
    };
    return table;
}

std::string CRecordingDictionary::CallText() const
{
    std::string text;
    for (const std::string& call : m_calls)
        text += call + "\n";
    return text;
}

bool CRecordingDictionary::Record(const std::string& call, VARIANT* key)
{
    m_calls.push_back(call);
    return !m_failingKey.empty() && TextOfKey(key) == m_failingKey;
}

STDMETHODIMP CRecordingDictionary::QueryInterface(REFIID riid, void** ppv)
{
    if (IsEqualIID(riid, IID_IDictionary))
        m_calls.push_back("QueryInterface");
    return CComObject::QueryInterface(riid, ppv);
}

STDMETHODIMP CRecordingDictionary::GetTypeInfoCount(UINT* count) { return m_inner->GetTypeInfoCount(count); }

STDMETHODIMP CRecordingDictionary::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info)
{
    return m_inner->GetTypeInfo(index, lcid, info);
}

STDMETHODIMP CRecordingDictionary::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids)
{
    return m_inner->GetIDsOfNames(riid, names, count, lcid, ids);
}

STDMETHODIMP CRecordingDictionary::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                          VARIANT* result, EXCEPINFO* exception, UINT* argument)
{
    return m_inner->Invoke(id, riid, lcid, flags, params, result, exception, argument);
}

STDMETHODIMP CRecordingDictionary::putref_Item(VARIANT* key, VARIANT* item)
{
    return Record("putref Item(" + TextOfKey(key) + ")", key) ? E_UNEXPECTED : m_inner->putref_Item(key, item);
}

STDMETHODIMP CRecordingDictionary::put_Item(VARIANT* key, VARIANT* item)
{
    return Record("Item(" + TextOfKey(key) + ")=" + TextOfValue(item), key) ? E_UNEXPECTED
                                                                             : m_inner->put_Item(key, item);
}

STDMETHODIMP CRecordingDictionary::get_Item(VARIANT* key, VARIANT* item)
{
    return Record("Item(" + TextOfKey(key) + ")", key) ? E_UNEXPECTED : m_inner->get_Item(key, item);
}

STDMETHODIMP CRecordingDictionary::Add(VARIANT* key, VARIANT* item)
{
    return Record("Add(" + TextOfKey(key) + ")", key) ? E_UNEXPECTED : m_inner->Add(key, item);
}

STDMETHODIMP CRecordingDictionary::get_Count(LONG* count)
{
    m_calls.push_back("Count");
    return m_inner->get_Count(count);
}

STDMETHODIMP CRecordingDictionary::Exists(VARIANT* key, VARIANT_BOOL* exists)
{
    return Record("Exists(" + TextOfKey(key) + ")", key) ? E_UNEXPECTED : m_inner->Exists(key, exists);
}

STDMETHODIMP CRecordingDictionary::Items(VARIANT* items)
{
    m_calls.push_back("Items");
    return m_inner->Items(items);
}

STDMETHODIMP CRecordingDictionary::put_Key(VARIANT* key, VARIANT* newKey)
{
    return Record("Key(" + TextOfKey(key) + ")", key) ? E_UNEXPECTED : m_inner->put_Key(key, newKey);
}

STDMETHODIMP CRecordingDictionary::Keys(VARIANT* keys)
{
    m_calls.push_back("Keys");
    return m_inner->Keys(keys);
}

STDMETHODIMP CRecordingDictionary::Remove(VARIANT* key)
{
    return Record("Remove(" + TextOfKey(key) + ")", key) ? E_UNEXPECTED : m_inner->Remove(key);
}

STDMETHODIMP CRecordingDictionary::RemoveAll()
{
    m_calls.push_back("RemoveAll");
    return m_inner->RemoveAll();
}

STDMETHODIMP CRecordingDictionary::put_CompareMode(CompareMethod mode) { return m_inner->put_CompareMode(mode); }

STDMETHODIMP CRecordingDictionary::get_CompareMode(CompareMethod* mode) { return m_inner->get_CompareMode(mode); }

STDMETHODIMP CRecordingDictionary::_NewEnum(IUnknown** enumerator) { return m_inner->_NewEnum(enumerator); }

STDMETHODIMP CRecordingDictionary::get_HashVal(VARIANT* key, VARIANT* value) { return m_inner->get_HashVal(key, value); }

} // namespace test
