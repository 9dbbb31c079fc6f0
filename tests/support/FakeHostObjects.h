// Stand-ins for the host's objects that reach the logger: the custom report
// object of a checkpoint, the parameters object of a test or action, and the
// execution engine with its diagnostic log.
#pragma once

#include <string>
#include <vector>

#include "core/ExecutionEngine.h"
#include "core/HostInterfaces.h"
#include "core/InterfacePtr.h"
#include "pal/pal.h"

namespace test {

// IUnknown of a stand-in that answers one interface besides IUnknown. Objects
// start with one reference (held by the creator's CInterfacePtr through Adopt).
template <class Interface>
class CFakeObject : public Interface {
public:
    explicit CFakeObject(REFIID iid) : m_iid(iid) {}
    virtual ~CFakeObject() = default;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, m_iid))
            return E_NOINTERFACE;
        *ppvObject = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++m_references; }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

private:
    IID m_iid;
    ULONG m_references = 0;
};

// Wraps a new object in a pointer that holds its one reference.
template <class T>
CInterfacePtr<T> Adopt(T* object)
{
    return CInterfacePtr<T>(object);
}

// The custom report object: gives a fixed text and remembers the viewer-type
// text it was handed.
class CFakeCustomReport : public CFakeObject<IKovCustomReport> {
public:
    explicit CFakeCustomReport(const std::string& text);
    STDMETHOD(GetReportText)(BSTR* pText, BSTR* pViewType) override;

    int Calls() const { return m_calls; }
    const std::string& ViewTypeSeen() const { return m_viewTypeSeen; }

private:
    std::string m_text;
    int m_calls = 0;
    std::string m_viewTypeSeen;
};

// One parameter of the parameters object: its value is VT_EMPTY, VT_BSTR
// (text), VT_I4 (number), VT_BOOL (flag) or VT_NULL.
struct FakeParameter {
    std::string name;
    LONG direction = 0;
    VARTYPE type = VT_EMPTY;
    std::string text;
    LONG number = 0;
    bool flag = false;
};

FakeParameter TextParameter(const std::string& name, LONG direction, const std::string& value);
FakeParameter IntParameter(const std::string& name, LONG direction, LONG value);
FakeParameter FlagParameter(const std::string& name, LONG direction, bool value);
FakeParameter EmptyParameter(const std::string& name, LONG direction);

// The parameters object ("ArgumentsDispatch"); withNullItem puts a null item
// first in its collection.
CInterfacePtr<IUnknown> CreateFakeParameters(const std::vector<FakeParameter>& parameters,
                                             bool withNullItem = false);

// The host's execution engine. Each step of the way can be made to fail.
struct FakeEngineState {
    bool engineAnswersExecutionInfo = true;
    HRESULT flagResult = S_OK;
    VARIANT_BOOL sourceUnavailable = VARIANT_FALSE;
    HRESULT contextStackResult = S_OK;
    bool giveContextStack = true;
    HRESULT currentItemResult = S_OK;
    bool giveItem = true;
    HRESULT idResult = S_OK;
    HRESULT textResult = S_OK;
    HRESULT lineResult = S_OK;
    bool testAnswersTranslator = true;
    HRESULT translateResult = S_OK;

    LONG id = 17;
    std::string sourceText = "Browser(\"B\").Page(\"P\").Click";
    LONG line = 4;
    // The translator gives line + lineOffset.
    LONG lineOffset = 100;

    // What the translator received.
    LONG translatedId = 0;
    std::string translatedText;
    LONG translatedReserved = -1;
    LONG translatedLine = 0;
};

// Entry points of QlxApplicationU and KovLogFile that serve the state below.
// Only one test at a time may use them.
ExecutionEngineEntryPoints FakeExecutionEngineEntryPoints(FakeEngineState* state);

struct DiagnosticLine {
    int level;
    DWORD flag;
    std::string sourceFile;
    std::string function;
    std::string message;
    bool withHr;
    HRESULT hr;
};
DiagnosticLogEntryPoints FakeDiagnosticLogEntryPoints(std::vector<DiagnosticLine>* lines);

} // namespace test
