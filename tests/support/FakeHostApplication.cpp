#include "support/FakeHostApplication.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "pal/com_object.h"

namespace test {

namespace {

const size_t kMostMessages = 50;

} // namespace

class FakeHostApplication::Application final : public CComObject<Application, IQlxApplication> {
public:
    explicit Application(FakeHostApplication& owner, std::atomic<long>& live) : m_owner(owner), m_live(live)
    {
        ++m_live;
    }
    ~Application() { --m_live; }

    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<Application, IUnknown, IQlxApplication>(IID_IUnknown),
            ComEntry<Application, IQlxApplication>(IID_IQlxApplication),
            ComTableEnd(),
        };
        return table;
    }

    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP GetApplicationName(BSTR* name) override
    {
        *name = SysAllocString(W("Fake host"));
        return S_OK;
    }
    STDMETHODIMP GetInfo(LONG*, LONG*, LONG*, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetValue(BSTR name, VARIANT* value) override
    {
        ++m_owner.valueRequests;
        if (!name || PAL_wcscmp(name, W("Installation Dir")) != 0)
            return E_INVALIDARG;
        return VariantCopy(value, &m_owner.installationDir);
    }
    STDMETHODIMP ShowMessage(BSTR text, LONG style, LONG a, LONG b, BSTR caption, LONG* answer) override
    {
        // One message at a time, as a modal box shows them (the logging
        // thread and the writer thread may both ask).
        std::lock_guard<std::mutex> guard(m_owner.m_messageLock);
        HostMessage message;
        message.textIsNull = text == nullptr;
        if (text)
            message.text.assign(text, SysStringLen(text));
        message.captionIsNull = caption == nullptr;
        if (caption)
            message.caption.assign(caption, SysStringLen(caption));
        message.style = style;
        message.a = a;
        message.b = b;
        size_t number = m_owner.messages.size();
        m_owner.messages.push_back(message);
        if (number >= kMostMessages) {
            // A caller that keeps asking would hang the test: it is cancelled.
            ADD_FAILURE() << "the host was asked more than " << kMostMessages << " times";
            *answer = IDCANCEL;
            return S_OK;
        }
        *answer = m_owner.answer ? m_owner.answer(message, number) : IDCANCEL;
        return S_OK;
    }
    STDMETHODIMP ShowOwnedMessage(HWND, BSTR, BSTR, LONG, LONG*) override { return E_NOTIMPL; }

private:
    FakeHostApplication& m_owner;
    std::atomic<long>& m_live;
};

class FakeHostApplication::Factory final : public CComObject<Factory, IClassFactory> {
public:
    explicit Factory(FakeHostApplication& owner) : m_owner(owner) {}

    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<Factory, IUnknown, IClassFactory>(IID_IUnknown),
            ComEntry<Factory, IClassFactory>(IID_IClassFactory),
            ComTableEnd(),
        };
        return table;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        Application* application = new Application(m_owner, m_liveApplications);
        application->AddRef();
        HRESULT hr = application->QueryInterface(riid, object);
        application->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    // The count as it stands (a reference added and given back).
    ULONG References()
    {
        AddRef();
        return Release();
    }
    long LiveApplications() const { return m_liveApplications; }

private:
    FakeHostApplication& m_owner;
    std::atomic<long> m_liveApplications{0};
};

FakeHostApplication::FakeHostApplication()
{
    VariantInit(&installationDir);
    m_factory = new Factory(*this);
    m_factory->AddRef();
    if (FAILED(CoRegisterClassObject(CLSID_QlxApplication, m_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &m_cookie)))
        m_cookie = 0;
}

FakeHostApplication::~FakeHostApplication()
{
    if (m_cookie)
        CoRevokeClassObject(m_cookie);
    m_factory->Release();
    VariantClear(&installationDir);
}

bool FakeHostApplication::AllReleased() const
{
    // Only the test's own reference and, while registered, the class table's.
    return m_factory->LiveApplications() == 0 && m_factory->References() == (m_cookie ? 2u : 1u);
}

} // namespace test
