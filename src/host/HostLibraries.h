// CHostLibraries: the host process's libraries as the logger reaches them at
// run time. The execution engine (QlxApplicationU) tells where the step being
// logged comes from in the test's source; the diagnostic log (KovLogFile)
// records the checks that failed on the way. Both are looked up each time they
// are needed, because the host may load them at any time; when they are not
// loaded the logger does without.
//
// The two lookups are virtual: tests put stand-ins in their place.
#pragma once

#include "host/ExecutionEngine.h"
#include "pal/pal.h"
#include "text/BstrString.h"

class CHostLibraries {
public:
    CHostLibraries() = default;
    virtual ~CHostLibraries() = default;
    CHostLibraries(const CHostLibraries&) = delete;
    CHostLibraries& operator=(const CHostLibraries&) = delete;

    // The source text and line of the step being executed, the line as the
    // user sees it in the test. False (and the outputs unchanged) when the
    // engine is not loaded, has no position to give, or a call on the way
    // fails; each failed check is written to the diagnostic log.
    bool GetReplaySourceInformation(CBstrString& sourceText, LONG& sourceLine);

    // One line of the diagnostic log for a failed check in function at line
    // (nothing when the log is not loaded).
    void WriteDiagnosticLine(int line, const char* function, const char* message);
    void WriteDiagnosticLineHr(int line, const char* function, HRESULT hr, const char* message);

protected:
    virtual bool FindExecutionEngine(ExecutionEngineEntryPoints& entry);
    virtual bool FindDiagnosticLog(DiagnosticLogEntryPoints& entry);
};
