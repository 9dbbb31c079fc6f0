#include "core/ExecutionEngine.h"

extern "C" {
// {322D175C-53D1-485B-BAF6-69BC95E033FC}
const IID IID_IQlxExecutionInfo = {0x322D175C, 0x53D1, 0x485B, {0xBA, 0xF6, 0x69, 0xBC, 0x95, 0xE0, 0x33, 0xFC}};
// {3B95084D-131C-46C2-9774-068A4B4191B0}
const IID IID_IQlxContextStack = {0x3B95084D, 0x131C, 0x46C2, {0x97, 0x74, 0x06, 0x8A, 0x4B, 0x41, 0x91, 0xB0}};
// {867732FE-0334-49B9-95AC-E887648A30E9}
const IID IID_IQlxContextItem = {0x867732FE, 0x0334, 0x49B9, {0x95, 0xAC, 0xE8, 0x87, 0x64, 0x8A, 0x30, 0xE9}};
// {F6DC03E1-C3AF-44A1-A82A-80DD683196D4}
const IID IID_IQlxLineTranslator = {0xF6DC03E1, 0xC3AF, 0x44A1, {0xA8, 0x2A, 0x80, 0xDD, 0x68, 0x31, 0x96, 0xD4}};
}

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
