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
// "EndRepLog" would end it, with a warning. At the end the summary is printed
// (not with --quiet, which leaves only the errors).
//
// Likely mistakes in a line that the logger accepts are warned about with the
// line number, and the line is replayed as it is: an event type the logger
// does not know, a description key that no handler of the event's type reads
// (DescriptionKeys.h), an event without "time", a "parent" that no earlier
// event started. A SetStatus that fails for the id of a step that the logger
// did not record (the report filter or its type dropped it) says so. A
// results folder that already holds results is warned about, or emptied
// first with --clean (only when it is a results folder: see CheckEarlierResults).
// The event log "-" is standard input.
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

#include <filesystem>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
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
    void CallFailed(long line, const std::string& what, HRESULT hr, const std::string& note = std::string());
    // Tells how many failures were passed over as repeats of the last one told.
    void TellRepeatedFailures();
    // The kinds of warnings about a line, each shown for the first few lines
    // only (the summary counts them all).
    enum WarningKind { IgnoredKey, UnknownType, UnreadKey, NoTime, UnknownParent, kWarningKinds };
    void Warn(WarningKind kind, long line, const std::string& text);
    void ReportHiddenWarnings();
    // The warnings about a LogEvent line that is replayed, and what is noted
    // of its id.
    void CheckEvent(const ReplayCall& call, long line);
    // Why SetStatus may have failed for the id: "" when nothing is known.
    std::string NotRecordedNote(LONG id) const;
    // The step types the settings under the root list ("Eve1", "Eve2", ...);
    // the logger adds them up over every SetRegistryRoot.
    void NoteRecordedTypes(const WideString& root);
    // Whether the folder the logger's results go to already holds results
    // (noted for a warning at the first run the log starts), or with --clean
    // empties it; false (with the message) when --clean refuses or fails.
    bool CheckEarlierResults(const std::filesystem::path& folder);
    // At the first run the log starts: the warning about earlier results,
    // unless the run appends to them on purpose.
    void WarnAboutEarlierResults(const ReplayCall& call, long line);
    void Skipped(long line, const std::string& reason);
    void NoteRunEvents(const std::string& type, long line);
    // "" when the logger's folders for these settings stay inside -o (or
    // --allow-outside is given) and can be named; else why not.
    std::string SettingsProblem(const OutputSettings& settings) const;
    // True, the line skipped with the reason, when a replayed call's settings
    // would write outside the output folder (SettingsProblem).
    bool Refused(const OutputSettings& settings, const char* call, long line);
    // Before each replayed call: counted, and the thread's error information
    // cleared so that a failure's text is the call's own.
    void BeginCall();
    // Gives the logger the results folder (ReportPath); false, said, when it
    // refuses it.
    bool UseResultsFolder();
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
    std::string m_earlierResults;  // "Results.xml, GeneralInfo.ini" found in the results folder
    std::string m_earlierFolder;   // that folder, for display
    ReplayStatistics m_statistics;
    // The last failure told, and the same failures met since (a logger that
    // lost results fails every later call the same way: told once).
    std::string m_lastFailure;
    long m_repeatedFailures = 0;
    long m_lastRepeatLine = 0;
    bool m_toldFolderInUse = false;
    long m_shownWarnings[kWarningKinds] = {};
    long m_hiddenWarnings[kWarningKinds] = {};
    std::set<std::string> m_recordedTypes; // the step types the settings list
    // The ids of the events logged so far: small ones (the usual case) as
    // bits, others in a set, so that a long log costs little memory.
    bool Started(LONG id) const;
    void NoteStarted(LONG id);
    std::vector<bool> m_startedIds;
    std::unordered_set<LONG> m_otherStartedIds;
    // Why an event was not recorded, for the ids of those that were not.
    struct NotRecorded {
        bool typeUnknown = false;     // the logger does not know its type
        std::string type;
        long filterLine = 0;          // else the line of the filter that dropped it (0: --filter)
    };
    std::unordered_map<LONG, NotRecorded> m_notRecorded;
    LONG m_filter = 0;                // the report filter in effect
    long m_filterLine = 0;            // the line that set it (0: --filter)
};
