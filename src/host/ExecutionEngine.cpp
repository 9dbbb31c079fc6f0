// Finding the exports of the host's libraries in the process.
#include "host/ExecutionEngine.h"

namespace {

// An export of a module already loaded in the process (null: not loaded);
// null when the module lacks it.
template <class Function>
Function FindExport(HMODULE module, const char* exportName)
{
    if (!module)
        return nullptr;
    FARPROC address = GetProcAddress(module, exportName);
    // Through the generic function type, which converts to any other.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

} // namespace

bool FindExecutionEngineEntryPoints(ExecutionEngineEntryPoints& entry)
{
    HMODULE module = GetModuleHandleW(W("QlxApplicationU"));
    entry.getExecutionEngine = FindExport<PFN_QlxGetExecutionEngine>(module, "QlxGetExecutionEngine");
    entry.getExecutableTest = FindExport<PFN_QlxGetExecutableTest>(module, "QlxGetExecutableTest");
    return entry.getExecutionEngine && entry.getExecutableTest;
}

bool FindDiagnosticLogEntryPoints(DiagnosticLogEntryPoints& entry)
{
    HMODULE module = GetModuleHandleW(W("KovLogFile"));
    entry.writeToFile = FindExport<PFN_KovLogWriteToFile>(module, "KovLogWriteToFile");
    entry.writeToFileHr = FindExport<PFN_KovLogWriteToFileHr>(module, "KovLogWriteToFileHr");
    return entry.writeToFile || entry.writeToFileHr;
}
