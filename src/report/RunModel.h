// CRunModel: the run as its records see it, kept on the logging thread. It
// alone changes what it holds:
// - the scopes: every test, action or business component started in the run,
//   in start order (a scope's position identifies it), and the stack of the
//   open ones. The core fills a scope's texts and times through CurrentScope;
//   the record factory only reads them;
// - the per-scope status counters (passed, failed, warnings);
// - the node registry (the id map): EventId -> node, for every recorded node
//   whose element is not yet closed, with the last recorded EventId that
//   stands in for an unknown parent;
// - the statuses: a node's status after SetStatus, a parent's after its
//   children's, and the run's overall status ("logStatus");
// - the record numbers of the report's nodes.
//
// The core asks it (FindNode, SetStatus, LogStatus, ...) and the record factory
// registers, merges and releases nodes through it; neither reaches inside.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "report/EventNode.h"
#include "report/RunScope.h"

// How many of a scope's recorded nodes passed, failed or warned.
struct StatusCounts {
    LONG passed = 0;
    LONG failed = 0;
    LONG warnings = 0;
};

class CRunModel {
public:
    CRunModel() = default;
    CRunModel(const CRunModel&) = delete;
    CRunModel& operator=(const CRunModel&) = delete;

    // The end of a run: scopes, counters and nodes go, the overall status is
    // Done again and there is no last EventId. Record numbers run on (a run
    // restarts them).
    void Reset() noexcept;

    // ---- Scopes ----
    // Appends the scope and makes it the innermost open one.
    RunScope& OpenScope(RunScope scope);
    // The innermost open scope leaves the stack (it stays in the run).
    void CloseScope() noexcept;
    size_t OpenScopeCount() const noexcept { return m_openScopes.size(); }
    bool HasOpenScope() const noexcept { return CurrentScope() != nullptr; }
    // The innermost open scope and its position; null and -1 without one.
    RunScope* CurrentScope() noexcept;
    const RunScope* CurrentScope() const noexcept;
    LONG CurrentScopeIndex() const noexcept;
    // The outermost open scope; null without one.
    const RunScope* OutermostOpenScope() const noexcept;
    // A scope of the run by its position; null past the end.
    const RunScope* Scope(LONG index) const noexcept;
    size_t ScopeCount() const noexcept { return m_scopes.size(); }
    // The counters of a scope (all 0 past the end).
    const StatusCounts& Counts(LONG index) const noexcept;

    // ---- Nodes ----
    // Enters the node under its EventId. A node the id held before is handed
    // back in `displaced`. Returns the node (still owned here), or null when
    // the node is null or memory runs out (the node is then freed).
    EventNode* RegisterNode(std::unique_ptr<EventNode> node, std::unique_ptr<EventNode>& displaced) noexcept;
    // The node registered under the id; null when there is none.
    EventNode* FindNode(LONG id) const noexcept;
    // Whether the registry holds this very node under the id.
    bool HoldsNode(LONG id, const EventNode* node) const noexcept;
    // Removes the node from the registry (freeing it) when it is the one held.
    void ReleaseNode(const EventNode* node) noexcept;
    size_t NodeCount() const noexcept { return m_nodesById.size(); }

    // The parent a new event is attached under: parentId when a node is
    // registered under it, else the last recorded EventId.
    LONG ParentFor(LONG parentId) const noexcept;
    // Places a node that is about to be recorded in the innermost open scope
    // (its scope index and the iterations of that scope and of the run's
    // first scope) and makes its EventId the last recorded one. Needs an
    // open scope.
    void PlaceNode(EventNode& node) noexcept;
    LONG LastEventId() const noexcept { return m_lastEventId; }

    // ---- Statuses ----
    // A newly recorded node's status counts in the innermost open scope and
    // in the outermost one.
    void CountStatus(LONG status) noexcept;
    // The registered node's status merged with the new one; when that changes
    // it, the counters move from the old status to the new. False when no node
    // is registered under the id.
    bool SetStatus(LONG id, LONG status) noexcept;
    // A closed child's status merged into its parent's (no counter changes).
    void MergeChildStatus(EventNode& parent, LONG childStatus) noexcept;
    // A closed test's status merged into the run's overall status.
    void MergeLogStatus(LONG status) noexcept;
    LONG LogStatus() const noexcept { return m_logStatus; }

    // ---- Record numbers ----
    // The next node's number in the report (from 1 at a run's start). The
    // numbers stop at the largest LONG (never wrap around): the nodes after
    // it share that number.
    LONG TakeRecordNumber() noexcept
    {
        m_lastTake = m_nextRecordNumber < kLastRecordNumber ? Take::Moved
                     : m_lastNumberTaken                    ? Take::Again
                                                            : Take::Last;
        if (m_lastTake == Take::Moved)
            return m_nextRecordNumber++;
        m_lastNumberTaken = true;
        return kLastRecordNumber;
    }
    // Gives back the number just taken (the node was refused).
    void ReturnRecordNumber() noexcept
    {
        if (m_lastTake == Take::Moved)
            --m_nextRecordNumber;
        else if (m_lastTake == Take::Last)
            m_lastNumberTaken = false;
        m_lastTake = Take::None;
    }
    // The numbers go on from next (1 for a new report; an appended report's
    // total plus 1).
    void RestartRecordNumbers(LONG next) noexcept
    {
        m_nextRecordNumber = next;
        m_lastNumberTaken = false;
        m_lastTake = Take::None;
    }
    // How many numbers the report has used (the last number taken).
    LONG RecordCount() const noexcept { return m_lastNumberTaken ? kLastRecordNumber : m_nextRecordNumber - 1; }

private:
    struct ScopeEntry {
        RunScope scope;
        StatusCounts counts;
    };

    typedef std::pair<LONG, std::unique_ptr<EventNode>> NodeEntry;
    typedef std::vector<NodeEntry> NodeRegistry;

    ScopeEntry* EntryAt(LONG index) noexcept;
    void AddToCounts(LONG status, LONG delta) noexcept;
    // The entry of the id, or where it would go.
    NodeRegistry::iterator Position(LONG id) noexcept;
    NodeRegistry::const_iterator Position(LONG id) const noexcept;

    std::vector<ScopeEntry> m_scopes;
    std::vector<LONG> m_openScopes; // positions in m_scopes, outermost first
    // The id map, sorted by EventId: it holds the nodes of the open elements
    // (a handful), so finding and entering one is quick and allocates nothing
    // once it has room.
    NodeRegistry m_nodesById;
    LONG m_lastEventId = 0;
    LONG m_logStatus = 2;
    static constexpr LONG kLastRecordNumber = 0x7FFFFFFF;
    enum class Take { None, Moved, Last, Again };
    LONG m_nextRecordNumber = 1;
    bool m_lastNumberTaken = false; // the last number there is has been taken
    Take m_lastTake = Take::None;   // what the last take did, for ReturnRecordNumber
};
