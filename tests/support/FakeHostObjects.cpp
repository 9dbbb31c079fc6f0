#include "support/FakeHostObjects.h"

#include <cstdarg>
#include <cstdio>

#include "support/TestSupport.h"

namespace test {

namespace {

std::string FromBstr(BSTR text)
{
    return Utf16ToUtf8(WideString(text ? text : W(""), SysStringLen(text)));
}

BSTR ToBstr(const std::string& text)
{
    WideString wide = Utf8ToUtf16(text);
    return SysAllocStringLen(wide.c_str(), static_cast<UINT>(wide.size()));
}

} // namespace

// ---- Custom report ----

CFakeCustomReport::CFakeCustomReport(const std::string& text) : m_text(text) {}

STDMETHODIMP CFakeCustomReport::GetReportText(BSTR* pText, BSTR* pViewType)
{
    ++m_calls;
    m_viewTypeSeen = pViewType ? FromBstr(*pViewType) : std::string("<null>");
    *pText = m_text.empty() ? nullptr : ToBstr(m_text);
    return S_OK;
}

// ---- Parameters ----

FakeParameter TextParameter(const std::string& name, LONG direction, const std::string& value)
{
    FakeParameter parameter;
    parameter.name = name;
    parameter.direction = direction;
    parameter.type = VT_BSTR;
    parameter.text = value;
    return parameter;
}

FakeParameter IntParameter(const std::string& name, LONG direction, LONG value)
{
    FakeParameter parameter;
    parameter.name = name;
    parameter.direction = direction;
    parameter.type = VT_I4;
    parameter.number = value;
    return parameter;
}

FakeParameter FlagParameter(const std::string& name, LONG direction, bool value)
{
    FakeParameter parameter;
    parameter.name = name;
    parameter.direction = direction;
    parameter.type = VT_BOOL;
    parameter.flag = value;
    return parameter;
}

FakeParameter EmptyParameter(const std::string& name, LONG direction)
{
    FakeParameter parameter;
    parameter.name = name;
    parameter.direction = direction;
    return parameter;
}

namespace {

class CFakeParameter final : public CFakeObject<CFakeParameter, IKovParameter, &IID_IKovParameter> {
public:
    explicit CFakeParameter(const FakeParameter& parameter) : m_parameter(parameter) {}
    STDMETHOD(get_Name)(BSTR* pName) override
    {
        *pName = ToBstr(m_parameter.name);
        return S_OK;
    }
    STDMETHOD(get_Direction)(LONG* pDirection) override
    {
        *pDirection = m_parameter.direction;
        return S_OK;
    }
    STDMETHOD(get_Value)(VARIANT* pValue) override
    {
        VariantInit(pValue);
        V_VT(pValue) = m_parameter.type;
        switch (m_parameter.type) {
        case VT_BSTR:
            V_BSTR(pValue) = ToBstr(m_parameter.text);
            break;
        case VT_I4:
            V_I4(pValue) = m_parameter.number;
            break;
        case VT_BOOL:
            V_BOOL(pValue) = m_parameter.flag ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        default:
            break;
        }
        return S_OK;
    }

private:
    FakeParameter m_parameter;
};

class CFakeParameterCollection final
    : public CFakeObject<CFakeParameterCollection, IKovParameterCollection, &IID_IKovParameterCollection> {
public:
    CFakeParameterCollection(const std::vector<FakeParameter>& parameters, bool withNullItem)
        : m_withNullItem(withNullItem)
    {
        for (const FakeParameter& parameter : parameters)
            m_items.push_back(Adopt<IKovParameter>(new CFakeParameter(parameter)));
    }
    STDMETHOD(get_Count)(LONG* pCount) override
    {
        *pCount = static_cast<LONG>(m_items.size()) + (m_withNullItem ? 1 : 0);
        return S_OK;
    }
    STDMETHOD(Reserved2)() override { return E_NOTIMPL; }
    STDMETHOD(Reserved3)() override { return E_NOTIMPL; }
    STDMETHOD(get_Item)(LONG index, IKovParameter** ppItem) override
    {
        *ppItem = nullptr;
        if (m_withNullItem) {
            if (index == 0)
                return S_OK;
            --index;
        }
        if (index < 0 || static_cast<size_t>(index) >= m_items.size())
            return E_INVALIDARG;
        *ppItem = m_items[index].Get();
        (*ppItem)->AddRef();
        return S_OK;
    }

private:
    std::vector<CInterfacePtr<IKovParameter>> m_items;
    bool m_withNullItem;
};

class CFakeParameters final : public CFakeObject<CFakeParameters, IKovParameters, &IID_IKovParameters> {
public:
    CFakeParameters(const std::vector<FakeParameter>& parameters, bool withNullItem)
        : m_collection(Adopt<IKovParameterCollection>(new CFakeParameterCollection(parameters, withNullItem)))
    {
    }
    STDMETHOD(get_Parameters)(IKovParameterCollection** ppCollection) override
    {
        *ppCollection = m_collection.Get();
        (*ppCollection)->AddRef();
        return S_OK;
    }

private:
    CInterfacePtr<IKovParameterCollection> m_collection;
};

} // namespace

CInterfacePtr<IUnknown> CreateFakeParameters(const std::vector<FakeParameter>& parameters, bool withNullItem)
{
    return CInterfacePtr<IUnknown>(static_cast<IKovParameters*>(new CFakeParameters(parameters, withNullItem)));
}

// ---- Execution engine ----

namespace {

FakeEngineState* g_engine = nullptr;
std::vector<DiagnosticLine>* g_lines = nullptr;

class CFakeItem final : public CFakeObject<CFakeItem, IQlxContextItem, &IID_IQlxContextItem> {
public:
    STDMETHOD(get_Id)(LONG* id) override
    {
        *id = g_engine->id;
        return g_engine->idResult;
    }
    STDMETHOD(get_SourceText)(BSTR* text) override
    {
        *text = ToBstr(g_engine->sourceText);
        return g_engine->textResult;
    }
    STDMETHOD(get_SourceLine)(LONG* line) override
    {
        *line = g_engine->line;
        return g_engine->lineResult;
    }
};

class CFakeContextStack final : public CFakeObject<CFakeContextStack, IQlxContextStack, &IID_IQlxContextStack> {
public:
    STDMETHOD(get_CurrentItem)(IQlxContextItem** item) override
    {
        *item = nullptr;
        if (g_engine->giveItem) {
            *item = new CFakeItem();
            (*item)->AddRef();
        }
        return g_engine->currentItemResult;
    }
};

// Refuses its interface when the engine is made not to answer it.
class CFakeExecutionInfo final
    : public CFakeObject<CFakeExecutionInfo, IQlxExecutionInfo, &IID_IQlxExecutionInfo> {
public:
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (!g_engine->engineAnswersExecutionInfo && IsEqualIID(riid, IID_IQlxExecutionInfo)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return CFakeObject::QueryInterface(riid, ppv);
    }
    STDMETHOD(get_SourceUnavailable)(VARIANT_BOOL* unavailable) override
    {
        *unavailable = g_engine->sourceUnavailable;
        return g_engine->flagResult;
    }
    STDMETHOD(get_ContextStack)(IQlxContextStack** stack) override
    {
        *stack = nullptr;
        if (g_engine->giveContextStack) {
            *stack = new CFakeContextStack();
            (*stack)->AddRef();
        }
        return g_engine->contextStackResult;
    }
};

// Refuses its interface when the test is made not to answer it.
class CFakeTranslator final : public CFakeObject<CFakeTranslator, IQlxLineTranslator, &IID_IQlxLineTranslator> {
public:
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (!g_engine->testAnswersTranslator && IsEqualIID(riid, IID_IQlxLineTranslator)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return CFakeObject::QueryInterface(riid, ppv);
    }
    STDMETHOD(TranslateLine)(LONG id, BSTR sourceText, LONG reserved, LONG line, LONG* finalLine) override
    {
        g_engine->translatedId = id;
        g_engine->translatedText = FromBstr(sourceText);
        g_engine->translatedReserved = reserved;
        g_engine->translatedLine = line;
        *finalLine = line + g_engine->lineOffset;
        return g_engine->translateResult;
    }
};

HRESULT STDAPICALLTYPE FakeGetExecutionEngine(IUnknown** engine)
{
    *engine = static_cast<IQlxExecutionInfo*>(new CFakeExecutionInfo());
    (*engine)->AddRef();
    return S_OK;
}

HRESULT STDAPICALLTYPE FakeGetExecutableTest(IUnknown** test)
{
    *test = static_cast<IQlxLineTranslator*>(new CFakeTranslator());
    (*test)->AddRef();
    return S_OK;
}

std::string FormatLine(const char* format, va_list args)
{
    char buffer[512];
    vsnprintf(buffer, sizeof buffer, format, args);
    return buffer;
}

bool FakeWriteToFile(ELogLevel level, DWORD flag, const char* sourceFile, int, const char* function,
                     const char* format, ...)
{
    va_list args;
    va_start(args, format);
    g_lines->push_back({level, flag, sourceFile, function, FormatLine(format, args), false, S_OK});
    va_end(args);
    return true;
}

bool FakeWriteToFileHr(ELogLevel level, DWORD flag, const char* sourceFile, int, const char* function, HRESULT hr,
                       const char* format, ...)
{
    va_list args;
    va_start(args, format);
    g_lines->push_back({level, flag, sourceFile, function, FormatLine(format, args), true, hr});
    va_end(args);
    return true;
}

} // namespace

ExecutionEngineEntryPoints FakeExecutionEngineEntryPoints(FakeEngineState* state)
{
    g_engine = state;
    ExecutionEngineEntryPoints entry;
    entry.getExecutionEngine = &FakeGetExecutionEngine;
    entry.getExecutableTest = &FakeGetExecutableTest;
    return entry;
}

DiagnosticLogEntryPoints FakeDiagnosticLogEntryPoints(std::vector<DiagnosticLine>* lines)
{
    g_lines = lines;
    DiagnosticLogEntryPoints entry;
    entry.writeToFile = &FakeWriteToFile;
    entry.writeToFileHr = &FakeWriteToFileHr;
    return entry;
}

} // namespace test
