// The host's execution engine, as the logger reaches it to learn where the
// current step comes from (its source text and line). The host library
// QlxApplicationU exports QlxGetExecutionEngine and QlxGetExecutableTest; the
// logger finds them at run time, only when the host process has loaded that
// library. The order of the calls is what the logger relies on:
//   engine -> IQlxExecutionInfo -> flag, context stack -> current item ->
//   identifier, source text, line; executable test -> IQlxLineTranslator ->
//   final line.
#pragma once

#include "pal/pal.h"

extern "C" const IID IID_IQlxExecutionInfo;
extern "C" const IID IID_IQlxContextStack;
extern "C" const IID IID_IQlxContextItem;
extern "C" const IID IID_IQlxLineTranslator;

// One entry of the engine's context stack: the code being executed.
struct IQlxContextItem : public IUnknown {
    STDMETHOD(get_Id)(LONG* id) = 0;
    STDMETHOD(get_SourceText)(BSTR* text) = 0;
    STDMETHOD(get_SourceLine)(LONG* line) = 0;
};

struct IQlxContextStack : public IUnknown {
    STDMETHOD(get_CurrentItem)(IQlxContextItem** item) = 0;
};

// The execution-information interface of the engine.
struct IQlxExecutionInfo : public IUnknown {
    // VARIANT_TRUE while the engine has no source position to give (for
    // example between tests).
    STDMETHOD(get_SourceUnavailable)(VARIANT_BOOL* unavailable) = 0;
    STDMETHOD(get_ContextStack)(IQlxContextStack** stack) = 0;
};

// The executable test's translator from an item's line to the line the user
// sees in the test's source.
struct IQlxLineTranslator : public IUnknown {
    STDMETHOD(TranslateLine)(LONG id, BSTR sourceText, LONG reserved, LONG line, LONG* finalLine) = 0;
};

// The exports of QlxApplicationU. Each gives a new reference (null when there
// is none).
typedef HRESULT(STDAPICALLTYPE* PFN_QlxGetExecutionEngine)(IUnknown** engine);
typedef HRESULT(STDAPICALLTYPE* PFN_QlxGetExecutableTest)(IUnknown** test);

struct ExecutionEngineEntryPoints {
    PFN_QlxGetExecutionEngine getExecutionEngine = nullptr;
    PFN_QlxGetExecutableTest getExecutableTest = nullptr;
};

// The host's diagnostic log (library KovLogFile): one line per failed check,
// with a level, a flag, the source file, the source line, the function name and
// a printf-style message. Their results are not examined.
enum ELogLevel { kovLogLevelAssert = 2 };
typedef bool (*PFN_KovLogWriteToFile)(ELogLevel level, DWORD flag, const char* sourceFile, int sourceLine,
                                      const char* function, const char* format, ...);
typedef bool (*PFN_KovLogWriteToFileHr)(ELogLevel level, DWORD flag, const char* sourceFile, int sourceLine,
                                        const char* function, HRESULT hr, const char* format, ...);

struct DiagnosticLogEntryPoints {
    PFN_KovLogWriteToFile writeToFile = nullptr;
    PFN_KovLogWriteToFileHr writeToFileHr = nullptr;
};

// Looks the exports up in the libraries the process has loaded; false (and
// nulls) when the library is not loaded or lacks an export.
bool FindExecutionEngineEntryPoints(ExecutionEngineEntryPoints& entry);
bool FindDiagnosticLogEntryPoints(DiagnosticLogEntryPoints& entry);
