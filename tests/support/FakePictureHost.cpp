#include "support/FakePictureHost.h"

#include <functional>
#include <stdexcept>

#include "pal/com_object.h"

namespace test {

// {40BE295A-26AC-4B83-B086-19189B9C8560}
const CLSID CLSID_FakeFileSystemObjMng = {0x40BE295A, 0x26AC, 0x4B83, {0xB0, 0x86, 0x19, 0x18, 0x9B, 0x9C, 0x85, 0x60}};
// {BA1A7E95-C446-46BF-BE40-8A91A0B71C99}
const CLSID CLSID_FakeSSUtil = {0xBA1A7E95, 0xC446, 0x46BF, {0xBE, 0x40, 0x8A, 0x91, 0xA0, 0xB7, 0x1C, 0x99}};

namespace {

typedef std::shared_ptr<PictureHostState> StatePtr;

std::string Text(BSTR text) { return text ? Utf16ToUtf8(WideString(text, SysStringLen(text))) : std::string(); }

BSTR NewText(const std::string& text) { return SysAllocString(Utf8ToUtf16(text).c_str()); }

std::string ValueText(const VARIANT& value)
{
    VARIANT copy, text;
    VariantInit(&copy);
    VariantInit(&text);
    std::string result = "?";
    if (SUCCEEDED(VariantCopy(&copy, const_cast<VARIANT*>(&value))) &&
        SUCCEEDED(VariantChangeType(&text, &copy, 0, VT_BSTR)))
        result = Text(V_BSTR(&text));
    VariantClear(&copy);
    VariantClear(&text);
    return result;
}

std::string Number(LONG value) { return std::to_string(value); }

// The platform layer's CComObject counts the references of the stand-ins;
// objects start with none and delete themselves when the last one goes.

// An object that answers IUnknown and one interface.
template <class Self, class Interface, const IID* InterfaceIid>
class CFake : public CComObject<Self, Interface> {
public:
    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<Self, IUnknown, Interface>(IID_IUnknown),
            ComEntry<Self, Interface>(*InterfaceIid),
            ComTableEnd(),
        };
        return table;
    }
};

#define FAKE_RESERVED(n)                                                                                               \
    STDMETHOD(Reserved##n)() override { return E_NOTIMPL; }

// The placeholder methods of a host interface, which the logger never calls.
template <class Interface>
class CUncalled13 : public Interface {
public:
    FAKE_RESERVED(1) FAKE_RESERVED(2) FAKE_RESERVED(3) FAKE_RESERVED(4) FAKE_RESERVED(5) FAKE_RESERVED(6)
    FAKE_RESERVED(7) FAKE_RESERVED(8) FAKE_RESERVED(9) FAKE_RESERVED(10) FAKE_RESERVED(11) FAKE_RESERVED(12)
    FAKE_RESERVED(13)
};

template <class Interface>
class CUncalled27 : public CUncalled13<Interface> {
public:
    FAKE_RESERVED(14) FAKE_RESERVED(15) FAKE_RESERVED(16) FAKE_RESERVED(17) FAKE_RESERVED(18) FAKE_RESERVED(19)
    FAKE_RESERVED(20) FAKE_RESERVED(21) FAKE_RESERVED(22) FAKE_RESERVED(23) FAKE_RESERVED(24) FAKE_RESERVED(25)
    FAKE_RESERVED(26) FAKE_RESERVED(27)
};

class CFakeOptions final : public CFake<CFakeOptions, CUncalled27<IKovTestOptions>, &IID_IKovTestOptions> {
public:
    explicit CFakeOptions(StatePtr state) : m_state(std::move(state)) {}

    STDMETHOD(GetOption)(BSTR section, BSTR name, VARIANT* value, LONG flags1, LONG flags2) override
    {
        m_state->calls.push_back("GetOption(" + Text(section) + "," + Text(name) + "," + Number(flags1) + "," +
                                 Number(flags2) + ")");
        if (FAILED(m_state->getOptionResult))
            return m_state->getOptionResult;
        VariantClear(value);
        V_VT(value) = m_state->timeoutType;
        if (m_state->timeoutType == VT_I4)
            V_I4(value) = m_state->timeoutValue;
        return S_OK;
    }
    STDMETHOD(SetOption)(BSTR section, BSTR name, VARIANT value, LONG flags1, LONG flags2, LONG flags3, LONG scope,
                         LONG flags4) override
    {
        m_state->calls.push_back("SetOption(" + Text(section) + "," + Text(name) + "," + ValueText(value) + ":" +
                                 Number(V_VT(&value)) + "," + Number(flags1) + "," + Number(flags2) + "," +
                                 Number(flags3) + "," + Number(scope) + "," + Number(flags4) + ")");
        if (++m_state->setOptionCalls == 1 && FAILED(m_state->firstSetOptionResult))
            return m_state->firstSetOptionResult;
        m_state->timeoutType = V_VT(&value);
        m_state->timeoutValue = V_VT(&value) == VT_I4 ? V_I4(&value) : 0;
        return S_OK;
    }

private:
    StatePtr m_state;
};

class CFakeDirectory final : public CFake<CFakeDirectory, IKovObjectDirectory, &IID_IKovObjectDirectory> {
public:
    explicit CFakeDirectory(StatePtr state) : m_state(std::move(state)) {}
    FAKE_RESERVED(1)
    STDMETHOD(LookupObject)(BSTR name, REFIID iid, void** object) override
    {
        bool optionsIid = IsEqualIID(iid, IID_IKovTestOptions);
        m_state->calls.push_back("LookupObject(" + Text(name) + (optionsIid ? ",options)" : ",other)"));
        *object = nullptr;
        if (FAILED(m_state->lookupResult))
            return m_state->lookupResult;
        if (!m_state->giveOptions)
            return S_OK;
        if (Text(name) != "TestOptions" || !optionsIid)
            return E_NOINTERFACE;
        IKovTestOptions* options = new CFakeOptions(m_state);
        options->AddRef();
        *object = options;
        return S_OK;
    }

private:
    StatePtr m_state;
};

// The reporter; its second interface only when made withServices.
class CFakeReporter final : public CComObject<CFakeReporter, IKovSnapshotReporter, IKovReporterServices> {
public:
    CFakeReporter(StatePtr state, bool withServices) : m_state(std::move(state)), m_withServices(withServices) {}

    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<CFakeReporter, IUnknown, IKovSnapshotReporter>(IID_IUnknown),
            ComEntry<CFakeReporter, IKovSnapshotReporter>(IID_IKovSnapshotReporter),
            ComEntry<CFakeReporter, IKovReporterServices>(IID_IKovReporterServices),
            ComTableEnd(),
        };
        return table;
    }
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (!m_withServices && IsEqualIID(riid, IID_IKovReporterServices)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return CComObject::QueryInterface(riid, ppv);
    }

    STDMETHOD(SaveSnapshot)(BSTR folder, LONG option1, LONG option2, BSTR* fileName, VARIANT* highlight,
                            BSTR* viewerType, LONG option3) override
    {
        PictureHostState& state = *m_state;
        state.calls.push_back("SaveSnapshot(" + Text(folder) + "," + Number(option1) + "," + Number(option2) + "," +
                              Number(option3) + ")");
        state.timeoutDuringSnapshot = state.setOptionCalls == 0 ? "-" : Number(state.timeoutValue);
        if (state.snapshotThrows)
            throw std::runtime_error("the snapshot failed");
        if (FAILED(state.snapshotResult))
            return state.snapshotResult;
        *fileName = NewText(state.snapshotFile);
        *viewerType = NewText(state.viewerType);
        VariantClear(highlight);
        if (state.highlightIsText) {
            V_VT(highlight) = VT_BSTR;
            V_BSTR(highlight) = NewText(state.highlightText);
        } else {
            V_VT(highlight) = VT_I4;
            V_I4(highlight) = state.highlightNumber;
        }
        return state.snapshotResult;
    }

    STDMETHOD(GetObjectDirectory)(IKovObjectDirectory** directory) override
    {
        m_state->calls.push_back("GetObjectDirectory");
        *directory = nullptr;
        if (FAILED(m_state->directoryResult))
            return m_state->directoryResult;
        if (m_state->giveDirectory) {
            *directory = new CFakeDirectory(m_state);
            (*directory)->AddRef();
        }
        return m_state->directoryResult;
    }

private:
    StatePtr m_state;
    bool m_withServices;
};

class CFakeFileSystem final
    : public CFake<CFakeFileSystem, CUncalled13<IKovFileSystemObjMng>, &IID_IKovFileSystemObjMng> {
public:
    explicit CFakeFileSystem(StatePtr state) : m_state(std::move(state)) {}
    STDMETHOD(GetReportFilePath)(BSTR folder, BSTR fileName, BSTR* path) override
    {
        m_state->calls.push_back("GetReportFilePath(" + Text(folder) + "," + Text(fileName) + ")");
        *path = nullptr;
        if (FAILED(m_state->reportPathResult))
            return m_state->reportPathResult;
        if (m_state->reportPath.empty())
            *path = NewText(Text(folder) + "\\" + Text(fileName));
        else if (m_state->reportPath != "<null>")
            *path = NewText(m_state->reportPath);
        return m_state->reportPathResult;
    }

private:
    StatePtr m_state;
};

class CFakeScreenShotUtil final
    : public CFake<CFakeScreenShotUtil, CUncalled13<IKovScreenShotUtil>, &IID_IKovScreenShotUtil> {
public:
    explicit CFakeScreenShotUtil(StatePtr state) : m_state(std::move(state)) {}
    STDMETHOD(EndSave)(LONG reserved) override
    {
        m_state->calls.push_back("EndSave(" + Number(reserved) + ")");
        return m_state->endSaveResult;
    }
    STDMETHOD(SaveBitmap)(BSTR folder, BSTR baseName, LONG bitmap, LONG format, BSTR* fileName) override
    {
        m_state->calls.push_back("SaveBitmap(" + Text(folder) + "," + Text(baseName) + "," + Number(bitmap) + "," +
                                 Number(format) + ")");
        *fileName = nullptr;
        if (FAILED(m_state->saveBitmapResult))
            return m_state->saveBitmapResult;
        *fileName = NewText(m_state->bitmapFile);
        return m_state->saveBitmapResult;
    }

private:
    StatePtr m_state;
};

} // namespace

std::string PictureHostState::CallText() const
{
    std::string text;
    for (const std::string& call : calls)
        text += call + "\n";
    return text;
}

// A class object of the host; its objects are made by a function.
class CFakePictureHost::Factory final : public CFake<Factory, IClassFactory, &IID_IClassFactory> {
public:
    explicit Factory(std::function<HRESULT(REFIID, void**)> create) : m_create(std::move(create)) {}
    STDMETHOD(CreateInstance)(IUnknown* outer, REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return m_create(riid, ppv);
    }
    STDMETHOD(LockServer)(BOOL) override { return S_OK; }

private:
    std::function<HRESULT(REFIID, void**)> m_create;
};

namespace {

// A new object asked for riid; the object goes when the query fails.
template <class Fake>
HRESULT Hand(Fake* object, REFIID riid, void** ppv)
{
    object->AddRef();
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

} // namespace

CFakePictureHost::CFakePictureHost() : m_state(std::make_shared<PictureHostState>())
{
    StatePtr state = m_state;
    m_fileSystemFactory = CInterfacePtr<Factory>(new Factory([state](REFIID riid, void** ppv) -> HRESULT {
        if (!state->fileSystemCreatable)
            return E_OUTOFMEMORY;
        ++state->fileSystemObjects;
        return Hand(new CFakeFileSystem(state), riid, ppv);
    }));
    m_screenShotFactory = CInterfacePtr<Factory>(new Factory([state](REFIID riid, void** ppv) -> HRESULT {
        if (!state->screenShotCreatable)
            return E_ACCESSDENIED;
        ++state->screenShotUtilities;
        return Hand(new CFakeScreenShotUtil(state), riid, ppv);
    }));
    m_fileSystemClass = std::make_unique<CScopedClass>(W("Talvex.FileSystemObjMng"), CLSID_FakeFileSystemObjMng,
                                                       m_fileSystemFactory.Get());
    m_screenShotClass =
        std::make_unique<CScopedClass>(W("Talvex.SSUtil"), CLSID_FakeSSUtil, m_screenShotFactory.Get());
}

CFakePictureHost::~CFakePictureHost()
{
    m_screenShotClass.reset();
    m_fileSystemClass.reset();
}

bool CFakePictureHost::Registered() const
{
    return m_fileSystemClass->Registered() && m_screenShotClass->Registered();
}

IUnknown* CFakePictureHost::NewReporter(bool withServices)
{
    IUnknown* reporter = static_cast<IKovSnapshotReporter*>(new CFakeReporter(m_state, withServices));
    reporter->AddRef();
    return reporter;
}

} // namespace test
