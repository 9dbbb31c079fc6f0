// Finding the exports of the host's libraries in the process.
#include "host/ExecutionEngine.h"

namespace {

// An export of a module already loaded in the process; null when the module
// is not loaded or lacks it.
template <class Function>
Function FindExport(const WCHAR* moduleName, const char* exportName)
{
    HMODULE module = GetModuleHandleW(moduleName);
    if (!module)
        return nullptr;
    FARPROC address = GetProcAddress(module, exportName);
    // Through the generic function type, which converts to any other.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

} // namespace

bool FindExecutionEngineEntryPoints(ExecutionEngineEntryPoints& entry)
{
    entry.getExecutionEngine =
        FindExport<PFN_QlxGetExecutionEngine>(W("QlxApplicationU"), "QlxGetExecutionEngine");
    entry.getExecutableTest = FindExport<PFN_QlxGetExecutableTest>(W("QlxApplicationU"), "QlxGetExecutableTest");
    return entry.getExecutionEngine && entry.getExecutableTest;
}

bool FindDiagnosticLogEntryPoints(DiagnosticLogEntryPoints& entry)
{
    entry.writeToFile = FindExport<PFN_KovLogWriteToFile>(W("KovLogFile"), "KovLogWriteToFile");
    entry.writeToFileHr = FindExport<PFN_KovLogWriteToFileHr>(W("KovLogFile"), "KovLogWriteToFileHr");
    return entry.writeToFile || entry.writeToFileHr;
}
