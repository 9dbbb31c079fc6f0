// Where the current step comes from in the test's source, as the host's
// execution engine tells it, and the host's diagnostic log that records the
// checks that failed on the way.
#include "core/AnnalistImp.h"
#include "core/InterfacePtr.h"

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

} // namespace

bool CAnnalistImp::FindExecutionEngine(ExecutionEngineEntryPoints& entry)
{
    return FindExecutionEngineEntryPoints(entry);
}

bool CAnnalistImp::FindDiagnosticLog(DiagnosticLogEntryPoints& entry)
{
    return FindDiagnosticLogEntryPoints(entry);
}

void CAnnalistImp::WriteDiagnosticLine(int line, const char* function, const char* message)
{
    DiagnosticLogEntryPoints log;
    if (FindDiagnosticLog(log) && log.writeToFile)
        log.writeToFile(kovLogLevelAssert, kDiagnosticFlag, kSourceFile, line, function, message);
}

void CAnnalistImp::WriteDiagnosticLineHr(int line, const char* function, HRESULT hr, const char* message)
{
    DiagnosticLogEntryPoints log;
    if (FindDiagnosticLog(log) && log.writeToFileHr)
        log.writeToFileHr(kovLogLevelAssert, kDiagnosticFlag, kSourceFile, line, function, hr, message);
}

bool CAnnalistImp::GetReplaySourceInformation(CBstrString& sourceText, LONG& sourceLine)
{
    ExecutionEngineEntryPoints engineLibrary;
    if (!FindExecutionEngine(engineLibrary))
        return false;

    CInterfacePtr<IUnknown> engine;
    engineLibrary.getExecutionEngine(engine.Out());
    CInterfacePtr<IQlxExecutionInfo> executionInfo;
    if (engine)
        executionInfo.QueryFrom(engine.Get(), IID_IQlxExecutionInfo);
    if (!executionInfo) {
        WriteDiagnosticLine(__LINE__, kFunction, kNoExecutionInfo);
        return false;
    }

    VARIANT_BOOL unavailable = VARIANT_FALSE;
    HRESULT hr = executionInfo->get_SourceUnavailable(&unavailable);
    if (FAILED(hr)) {
        WriteDiagnosticLine(__LINE__, kFunction, kCallFailed);
        return false;
    }
    if (unavailable == VARIANT_TRUE)
        return false;

    CInterfacePtr<IQlxContextStack> contextStack;
    hr = executionInfo->get_ContextStack(contextStack.Out());
    if (FAILED(hr) || !contextStack) {
        WriteDiagnosticLine(__LINE__, kFunction, kNoContextStack);
        return false;
    }
    CInterfacePtr<IQlxContextItem> item;
    hr = contextStack->get_CurrentItem(item.Out());
    if (FAILED(hr) || !item) {
        WriteDiagnosticLine(__LINE__, kFunction, kNoItem);
        return false;
    }

    LONG id = 0;
    CBstrString text;
    LONG line = 0;
    hr = item->get_Id(&id);
    if (FAILED(hr)) {
        WriteDiagnosticLine(__LINE__, kFunction, kCallFailed);
        return false;
    }
    hr = item->get_SourceText(text.Out());
    if (FAILED(hr)) {
        WriteDiagnosticLine(__LINE__, kFunction, kCallFailed);
        return false;
    }
    hr = item->get_SourceLine(&line);
    if (FAILED(hr)) {
        WriteDiagnosticLine(__LINE__, kFunction, kCallFailed);
        return false;
    }

    CInterfacePtr<IUnknown> test;
    engineLibrary.getExecutableTest(test.Out());
    CInterfacePtr<IQlxLineTranslator> translator;
    if (test)
        translator.QueryFrom(test.Get(), IID_IQlxLineTranslator);
    if (!translator) {
        WriteDiagnosticLine(__LINE__, kFunction, kNoTranslator);
        return false;
    }
    LONG finalLine = line;
    hr = translator->TranslateLine(id, text.Get(), 0, line, &finalLine);
    if (FAILED(hr)) {
        WriteDiagnosticLine(__LINE__, kFunction, kCallFailed);
        return false;
    }

    sourceText = text;
    sourceLine = finalLine;
    return true;
}
