// The record factory: turns the core's record kinds into node records, keeps
// the stack of open elements, closes elements when a later event shows that
// they have ended, completes end records (node arguments, summary, status
// propagation to the parent) and queues everything for the writer thread.
//
// Everything here runs on the logging thread; the writer thread sees only the
// records it is handed through the queue.
//
// The factory reads the run's facts (RunState, which the core writes) and works
// on the run model: it registers nodes there, merges the statuses of closed
// nodes into their parents and into the run's overall status, and releases a
// node once its end record is built. A node that a second node with the same
// EventId replaces in the registry stays with the open element it started
// (the stack then owns it) until that element is closed. The state and the
// model must outlive the factory.
//
// The factory also keeps what it knows of the file: the business processes
// open in it (a BPT element is not on the open-element stack; an open one is
// closed before the element around it closes, and before "</Report>"), and,
// when its last writer left the file open for more (a pause, or a run ended
// for appending), where that file ended: a run that continues the same file
// then continues it as it is. Any other file that a run continues is examined
// and made fit first (ResultsFileOpening.h), and the elements the factory had
// open are forgotten (they are closed in that file, or not in it at all).
#pragma once

#include <memory>
#include <vector>

#include "report/EventTime.h"
#include "report/ProductLevel.h"
#include "report/ReportElement.h"
#include "report/ReportRecordKind.h"
#include "report/ReportWriter.h"
#include "report/ResultsFileOpening.h"
#include "report/RunModel.h"
#include "report/RunState.h"

class CResultsFolder;

class CRecordFactory {
public:
    CRecordFactory(const RunState& state, CRunModel& run, ProductLevel level) noexcept;
    // A writer still running is stopped cleanly: its open elements are closed
    // and the file is flushed and closed (ended with "</Report>", or left open
    // for appending when the run continues an earlier report).
    ~CRecordFactory();
    CRecordFactory(const CRecordFactory&) = delete;
    CRecordFactory& operator=(const CRecordFactory&) = delete;

    // Opens the folder's "Results.xml" for a run (continuing the report in it
    // when append is set and it has one). A writer that is still running is
    // first stopped with xrkExit. The stream is StartWriter's to take.
    // With mayTrust false the file is examined even when it is the one this
    // factory left.
    ResultsFileOpening OpenResultsFile(const CResultsFolder& folder, bool append, bool mayTrust = true) noexcept;
    // Starts the writer thread on the opened file and queues the root start
    // record (the prologue, in a new report). False when the file was not
    // opened (the loss is kept: TakeLossError) or the thread or its events cannot
    // be created.
    bool StartWriter(ResultsFileOpening& opening) noexcept;
    // Both, appending when state.appendMode is set.
    bool StartWriter(const CResultsFolder& folder) noexcept;
    // Queues the final record (xrkEndRoot, xrkCloseAndExit or xrkExit; any
    // other kind counts as xrkExit) and waits for the writer to finish. The
    // file is closed when this returns.
    void StopWriter(ReportRecordKind kind) noexcept;

    // Enters the node in the run model's registry, replacing an entry with the
    // same id without leaking it or leaving its element unclosed; returns the
    // node (owned by the model), or null for a null node or when memory runs
    // out (the node is then freed).
    EventNode* RegisterNode(std::unique_ptr<EventNode> node) noexcept;

    // Builds and queues the record of the kind; true when a record was built
    // (with no writer running it is freed at once, never written).
    // Kinds 16 (business process) and 19 (additional information) take a node
    // the caller keeps; kinds 4, 6, 8, 10, 12 and 15 take a node returned by
    // RegisterNode. The end kinds 5, 7, 9, 11, 13 and 14 are refused for a node
    // whose element is open (CloseOpenElementsTo ends those), and kind 17 is
    // refused in a new file that holds no business-process start.
    bool QueueReportRecord(ReportRecordKind kind, EventNode* node) noexcept;

    // Closes open elements, innermost first, until the element of parentId
    // is the innermost. False when a node of the stack is no longer known.
    bool CloseOpenElementsTo(LONG parentId) noexcept;
    // Closes every open element, innermost first (-1 is an EventId like any
    // other, so it cannot stand for "all").
    bool CloseAllOpenElements() noexcept;

    // Empties the open-element stack (the nodes are the run model's to free).
    void ResetRun() noexcept;

    bool IsWriterRunning() const noexcept { return m_writer.IsStarted(); }
    size_t OpenElementCount() const noexcept { return m_openElements.size(); }
    size_t OpenProcessCount() const noexcept { return m_processDepths.size(); }
    ProductLevel Level() const noexcept { return m_level; }

    // The Win32 error of a loss of results not yet taken
    // (ERROR_SHARING_VIOLATION: another writer has the file;
    // ERROR_INVALID_DATA: the file is not a report; ERROR_DISK_FULL: a full
    // disk answered Cancel), 0 when there is none. Taking it clears it.
    DWORD TakeLossError() noexcept;

    // Appends the record to the writer's queue (which owns it from then on);
    // false when no writer takes it (the record is then freed).
    bool EnqueueRecord(CXMLNodeDataBase* record, RecordEffect effect = RecordEffect()) noexcept;
    // The writer, for its settings (SetQueueLimit).
    CReportWriter& Writer() noexcept { return m_writer; }

private:
    struct OpenElement {
        LONG eventId;
        ReportRecordKind endKind;
        EventNode* node;
        // The node, when a later node with the same EventId took its place in
        // the registry.
        std::unique_ptr<EventNode> replaced;
    };

    bool QueueStartRecord(ReportRecordKind kind, EventNode* node);
    bool QueueEndRecord(ReportRecordKind kind, EventNode* node);
    // Closes the innermost open element; false when its node is no longer known.
    bool CloseInnermostElement();
    // Closes the business processes opened inside the element at position
    // `depth` of the stack or deeper (before that element closes).
    void CloseProcessesFrom(size_t depth);
    // The elements open in the file, outermost first.
    OpenElements ElementsInFile() const;
    bool CompleteNodeArgs(CXMLNodeDataBase& record, const EventNode& node);
    bool FillSummary(ReportRecordKind kind, CXMLNodeDataBase& record);
    // The node of an open element, or null when the model no longer holds it.
    EventNode* LiveNode(const OpenElement& element) const;
    bool IsOpen(const EventNode* node) const;

    const RunState& m_state;
    CRunModel& m_run;
    ProductLevel m_level;
    std::vector<OpenElement> m_openElements; // innermost last
    // The open business processes, innermost last: each one's depth, the
    // number of open elements around it.
    std::vector<size_t> m_processDepths;
    // The file being written continues a report (no prologue).
    bool m_continuing = false;
    // Where the last writer left the file, when it was left open for more.
    struct LeftFile {
        bool valid = false;
        CBstrString path;
        ULONGLONG size = 0;
    } m_left;
    CBstrString m_path;  // the file being written
    DWORD m_openLoss = 0; // the file could not be opened (or continued)
    CEventTimeText m_timeText;
    CReportWriter m_writer;
};
