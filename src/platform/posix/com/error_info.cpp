// Error information: the object CreateErrorInfo makes (ICreateErrorInfo to
// fill it, IErrorInfo to read it) and the per-thread slot behind SetErrorInfo
// and GetErrorInfo. GetErrorInfo hands the object over and empties the slot.
#include <mutex>
#include <new>

#include "pal/com_object.h"

namespace {

class CErrorInfo final : public CComObject<CErrorInfo, IErrorInfo, ICreateErrorInfo> {
public:
    CErrorInfo() = default;
    ~CErrorInfo()
    {
        SysFreeString(m_source);
        SysFreeString(m_description);
        SysFreeString(m_helpFile);
    }

    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<CErrorInfo, IUnknown, IErrorInfo>(IID_IUnknown),
            ComEntry<CErrorInfo, IErrorInfo>(IID_IErrorInfo),
            ComEntry<CErrorInfo, ICreateErrorInfo>(IID_ICreateErrorInfo),
            ComTableEnd(),
        };
        return table;
    }

    // IErrorInfo
    STDMETHODIMP GetGUID(GUID* pGUID) override
    {
        if (!pGUID)
            return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(m_mutex);
        *pGUID = m_guid;
        return S_OK;
    }
    STDMETHODIMP GetSource(BSTR* pBstrSource) override { return Get(m_source, pBstrSource); }
    STDMETHODIMP GetDescription(BSTR* pBstrDescription) override { return Get(m_description, pBstrDescription); }
    STDMETHODIMP GetHelpFile(BSTR* pBstrHelpFile) override { return Get(m_helpFile, pBstrHelpFile); }
    STDMETHODIMP GetHelpContext(DWORD* pdwHelpContext) override
    {
        if (!pdwHelpContext)
            return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(m_mutex);
        *pdwHelpContext = m_helpContext;
        return S_OK;
    }

    // ICreateErrorInfo
    STDMETHODIMP SetGUID(REFGUID rguid) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_guid = rguid;
        return S_OK;
    }
    STDMETHODIMP SetSource(LPOLESTR szSource) override { return Set(m_source, szSource); }
    STDMETHODIMP SetDescription(LPOLESTR szDescription) override { return Set(m_description, szDescription); }
    STDMETHODIMP SetHelpFile(LPOLESTR szHelpFile) override { return Set(m_helpFile, szHelpFile); }
    STDMETHODIMP SetHelpContext(DWORD dwHelpContext) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_helpContext = dwHelpContext;
        return S_OK;
    }

private:
    // A text not set reads as a null BSTR.
    HRESULT Get(BSTR& field, BSTR* out)
    {
        if (!out)
            return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(m_mutex);
        *out = nullptr;
        if (field) {
            *out = SysAllocStringLen(field, SysStringLen(field));
            if (!*out)
                return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    HRESULT Set(BSTR& field, LPCOLESTR text)
    {
        BSTR copy = nullptr;
        if (text) {
            copy = SysAllocString(text);
            if (!copy)
                return E_OUTOFMEMORY;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        SysFreeString(field);
        field = copy;
        return S_OK;
    }

    std::mutex m_mutex;
    GUID m_guid = GUID_NULL;
    BSTR m_source = nullptr;
    BSTR m_description = nullptr;
    BSTR m_helpFile = nullptr;
    DWORD m_helpContext = 0;
};

// The thread's error object; released when the thread ends.
struct ThreadErrorSlot {
    IErrorInfo* info = nullptr;
    ~ThreadErrorSlot()
    {
        if (info)
            info->Release();
    }
};

thread_local ThreadErrorSlot t_errorSlot;

} // namespace

extern "C" HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo)
{
    if (!pperrinfo)
        return E_INVALIDARG;
    *pperrinfo = NewComObject<CErrorInfo>();
    return *pperrinfo ? S_OK : E_OUTOFMEMORY;
}

// A null object clears the thread's error information.
extern "C" HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo)
{
    if (dwReserved != 0)
        return E_INVALIDARG;
    if (perrinfo)
        perrinfo->AddRef();
    IErrorInfo* old = t_errorSlot.info;
    t_errorSlot.info = perrinfo;
    if (old)
        old->Release();
    return S_OK;
}

extern "C" HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo)
{
    if (dwReserved != 0 || !pperrinfo)
        return E_INVALIDARG;
    *pperrinfo = t_errorSlot.info;
    t_errorSlot.info = nullptr;
    return *pperrinfo ? S_OK : S_FALSE;
}
