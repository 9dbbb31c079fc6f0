// A stand-in for an event description that watches the logger's side of the
// conversation: it passes every call to a real dictionary and records, in
// order, the calls the logger makes on a description (the query for the
// dictionary interface, Exists, reading Item, writing Item) with their keys.
// The calls about one key can be made to fail.
#pragma once

#include <string>
#include <vector>

#include "pal/com_object.h"
#include "pal/interface_ptr.h"
#include "pal/pal.h"

namespace test {

class CRecordingDictionary final : public CComObject<CRecordingDictionary, IDictionary> {
public:
    // Records the calls on inner; those about failingKey (when given) fail
    // with E_UNEXPECTED.
    explicit CRecordingDictionary(IDictionary* inner, const WCHAR* failingKey = nullptr);

    static const ComInterfaceEntry* InterfaceTable();

    // "QueryInterface", "Exists(Key)", "Item(Key)", "Item(Key)=<vt>:<text>".
    const std::vector<std::string>& Calls() const { return m_calls; }
    // The calls, one per line.
    std::string CallText() const;
    void ClearCalls() { m_calls.clear(); }

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argument) override;
    STDMETHOD(putref_Item)(VARIANT* key, VARIANT* item) override;
    STDMETHOD(put_Item)(VARIANT* key, VARIANT* item) override;
    STDMETHOD(get_Item)(VARIANT* key, VARIANT* item) override;
    STDMETHOD(Add)(VARIANT* key, VARIANT* item) override;
    STDMETHOD(get_Count)(LONG* count) override;
    STDMETHOD(Exists)(VARIANT* key, VARIANT_BOOL* exists) override;
    STDMETHOD(Items)(VARIANT* items) override;
    STDMETHOD(put_Key)(VARIANT* key, VARIANT* newKey) override;
    STDMETHOD(Keys)(VARIANT* keys) override;
    STDMETHOD(Remove)(VARIANT* key) override;
    STDMETHOD(RemoveAll)() override;
    STDMETHOD(put_CompareMode)(CompareMethod mode) override;
    STDMETHOD(get_CompareMode)(CompareMethod* mode) override;
    STDMETHOD(_NewEnum)(IUnknown** enumerator) override;
    STDMETHOD(get_HashVal)(VARIANT* key, VARIANT* value) override;

private:
    // Records the call; true when it is to fail.
    bool Record(const std::string& call, VARIANT* key);

    CInterfacePtr<IDictionary> m_inner;
    std::string m_failingKey;
    std::vector<std::string> m_calls;
};

} // namespace test
