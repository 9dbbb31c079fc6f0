#include "host/HostLibraries.h"

#include "pal/interface_ptr.h"

namespace {

// The source file name under which the logger's diagnostic lines appear.
const char kSourceFile[] = "AnnalistImp";
const char kFunction[] = "GetReplaySourceInformation";
const DWORD kDiagnosticFlag = 1;

const char kNoExecutionInfo[] = "KOV_LOG_ASSERT. Expression: spExecInfo.p";
const char kCallFailed[] = "KOV_LOG_ASSERT. Expression: ((HRESULT)(hr) >= 0)";
const char kNoContextStack[] = "KOV_LOG_ASSERT. Expression: (((HRESULT)(hr) >= 0) && spCtxStack.p)";
const char kNoItem[] = "KOV_LOG_ASSERT. Expression: (((HRESULT)(hr) >= 0) && spItem.p)";
const char kNoTranslator[] = "KOV_LOG_ASSERT. Expression: spTranslator.p";

// The interface iid of the object an export of the host library gives; null
// when it gives none or the object does not answer.
template <class Interface, class Export>
CInterfacePtr<Interface> InterfaceOfExport(Export get, REFIID iid)
{
    CInterfacePtr<IUnknown> object;
    get(object.Out());
    CInterfacePtr<Interface> found;
    if (object)
        found.QueryFrom(object.Get(), iid);
    return found;
}

} // namespace

bool CHostLibraries::FindExecutionEngine(ExecutionEngineEntryPoints& entry)
{
    return FindExecutionEngineEntryPoints(entry);
}

bool CHostLibraries::FindDiagnosticLog(DiagnosticLogEntryPoints& entry)
{
    return FindDiagnosticLogEntryPoints(entry);
}

void CHostLibraries::WriteDiagnosticLine(int line, const char* function, const char* message)
{
    DiagnosticLogEntryPoints log;
    if (FindDiagnosticLog(log) && log.writeToFile)
        log.writeToFile(kovLogLevelAssert, kDiagnosticFlag, kSourceFile, line, function, message);
}

void CHostLibraries::WriteDiagnosticLineHr(int line, const char* function, HRESULT hr, const char* message)
{
    DiagnosticLogEntryPoints log;
    if (FindDiagnosticLog(log) && log.writeToFileHr)
        log.writeToFileHr(kovLogLevelAssert, kDiagnosticFlag, kSourceFile, line, function, hr, message);
}

bool CHostLibraries::GetReplaySourceInformation(CBstrString& sourceText, LONG& sourceLine)
{
    ExecutionEngineEntryPoints engineLibrary;
    if (!FindExecutionEngine(engineLibrary))
        return false;

    // A failed check ends the search: its line goes to the diagnostic log.
    auto failed = [this](int line, const char* message) {
        WriteDiagnosticLine(line, kFunction, message);
        return false;
    };

    CInterfacePtr<IQlxExecutionInfo> executionInfo =
        InterfaceOfExport<IQlxExecutionInfo>(engineLibrary.getExecutionEngine, IID_IQlxExecutionInfo);
    if (!executionInfo)
        return failed(__LINE__, kNoExecutionInfo);

    VARIANT_BOOL unavailable = VARIANT_FALSE;
    if (FAILED(executionInfo->get_SourceUnavailable(&unavailable)))
        return failed(__LINE__, kCallFailed);
    if (unavailable == VARIANT_TRUE)
        return false;

    CInterfacePtr<IQlxContextStack> contextStack;
    HRESULT hr = executionInfo->get_ContextStack(contextStack.Out());
    if (FAILED(hr) || !contextStack)
        return failed(__LINE__, kNoContextStack);
    CInterfacePtr<IQlxContextItem> item;
    hr = contextStack->get_CurrentItem(item.Out());
    if (FAILED(hr) || !item)
        return failed(__LINE__, kNoItem);

    LONG id = 0;
    CBstrString text;
    LONG line = 0;
    if (FAILED(item->get_Id(&id)) || FAILED(item->get_SourceText(text.Out())) || FAILED(item->get_SourceLine(&line)))
        return failed(__LINE__, kCallFailed);

    CInterfacePtr<IQlxLineTranslator> translator =
        InterfaceOfExport<IQlxLineTranslator>(engineLibrary.getExecutableTest, IID_IQlxLineTranslator);
    if (!translator)
        return failed(__LINE__, kNoTranslator);
    LONG finalLine = line;
    if (FAILED(translator->TranslateLine(id, text.Get(), 0, line, &finalLine)))
        return failed(__LINE__, kCallFailed);

    sourceText = text;
    sourceLine = finalLine;
    return true;
}
