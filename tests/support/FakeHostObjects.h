// Stand-ins for the host's objects that reach the logger: the custom report
// object of a checkpoint, the parameters object of a test or action, and the
// execution engine with its diagnostic log.
#pragma once

#include <string>
#include <vector>

#include "host/ExecutionEngine.h"
#include "host/HostInterfaces.h"
#include "pal/com_object.h"
#include "pal/interface_ptr.h"
#include "pal/pal.h"

namespace test {

// A stand-in that answers one interface of the host besides IUnknown. The
// platform layer's CComObject counts its references; objects start with none
// (the creator's CInterfacePtr takes the first, through Adopt).
template <class Self, class Interface, const IID* InterfaceIid>
class CFakeObject : public CComObject<Self, Interface> {
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

// Wraps a new object in a pointer that holds its one reference.
template <class T>
CInterfacePtr<T> Adopt(T* object)
{
    return CInterfacePtr<T>(object);
}

// The custom report object: gives a fixed text and remembers the viewer-type
// text it was handed.
class CFakeCustomReport final : public CFakeObject<CFakeCustomReport, IKovCustomReport, &IID_IKovCustomReport> {
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
