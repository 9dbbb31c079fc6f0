// CReplayDriver: `annalist replay`. It reads the event log line by line and
// makes each line's call on a fresh logger (created through the library's
// class object), inside a private registry that holds the logger's settings.
// Before the first line it calls SetRegistryRoot (the --root key) and
// ReportPath (the results folder), and Filter when --filter is given.
//
// A call that fails is reported on stderr with its line number, HRESULT and
// the error text of the logger's error information, and the replay goes on
// (failures that repeat the last one told, as every call does once the logger
// has lost results, are counted and told as one line);
// a line that cannot be read as a call is reported and skipped. A log that
// ends inside a run ("StartRepLog" without its "EndRepLog") is ended as
// "EndRepLog" would end it, with a warning. At the end the summary is printed.
//
// An interrupt (Ctrl-C, SIGTERM) stops the replay after the line in progress
// (a prompt waiting for an answer gives Cancel at once) and ends the open run
// as the end of the log does.
//
// Exit status: 0 when every line was read and every call succeeded, 1 when
// some line or call failed, or, with --fail-on, when the recorded run failed
// (or has warnings); 2 when the event log, the settings or the results folder
// cannot be used; 130 (Ctrl-C) or 143 (SIGTERM) when it was interrupted.
#pragma once

#include <string>
#include <vector>

#include "annalist/CommandLine.h"
#include "annalist/Console.h"
#include "annalist/EventLogReader.h"
#include "annalist/OutputBounds.h"
#include "annalist/ReplayCall.h"
#include "annalist/ReplaySettings.h"
#include "annalist/ReplaySummary.h"
#include "pal/interface_ptr.h"
#include "core/LoggerInterfaces.h"

class CReplayDriver {
public:
    CReplayDriver(const ReplayOptions& options, CConsole& console);
    CReplayDriver(const CReplayDriver&) = delete;
    CReplayDriver& operator=(const CReplayDriver&) = delete;

    int Run();

private:
    bool PrepareResultsFolder();
    bool PrepareSettings(CPrivateRegistry& registry);
    bool StartLogger();
    void ReplayLines(CEventLogReader& reader);
    // Makes the call of one line; false when it failed or was skipped.
    bool Perform(const ReplayCall& call, long line);
    void CallFailed(long line, const std::string& what, HRESULT hr);
    // Tells how many failures were passed over as repeats of the last one told.
    void TellRepeatedFailures();
    void Skipped(long line, const std::string& reason);
    void NoteRunEvents(const std::string& type, long line);
    // "" when the logger's folders for these settings stay inside -o (or
    // --allow-outside is given) and can be named; else why not.
    std::string SettingsProblem(const OutputSettings& settings) const;
    void EndOpenRun();
    void PrintSummary();
    void Fatal(const std::string& message);
    // Removes the folders PrepareResultsFolder created, when they are still
    // empty (a replay that cannot start leaves nothing behind).
    void RemoveCreatedFolders();

    const ReplayOptions& m_options;
    CConsole& m_console;
    WideString m_root;             // the current registry root
    WideString m_resultsPath;      // -o, absolute
    std::vector<WideString> m_createdFolders; // by PrepareResultsFolder, outermost first
    WideString m_pathFolder;       // the folder of the last ReportPath (with "Directory")
    WideString m_iterDir;          // the "IterDir" setting the logger took at SetRegistryRoot
    WideString m_resultsFolder;    // where the report of the last run opened is
    CInterfacePtr<ILogMedia3> m_logger;
    long m_runStartLine = 0;       // line of the "StartRepLog" of the open run
    bool m_runStarted = false;     // some "StartRepLog" or "EndBP" was logged
    long m_lastLine = 0;
    ReplayStatistics m_statistics;
    // The last failure told, and the same failures met since (a logger that
    // lost results fails every later call the same way: told once).
    std::string m_lastFailure;
    long m_repeatedFailures = 0;
    long m_lastRepeatLine = 0;
    bool m_toldFolderInUse = false;
};
