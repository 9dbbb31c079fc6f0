// CResultsReader: reads a Results.xml as a stream of events, one call of
// Next() at a time, in the order of the file:
//
//   ReportStart   a Report element begins (Report() has its attributes);
//   General       the General element was read (Report() has it);
//   NodeStart     a node's leading part was read: at its first child node,
//                 or at its end when it has none (then the node is complete
//                 already, and NodeEnd follows at once);
//   NodeEnd       the node's end: its node arguments, summary, status merged
//                 with everything below it, counts and times are complete;
//   End           the input is over; Outcome() tells how it ended.
//
// Node() is the node of the last NodeStart or NodeEnd, valid until the next
// call of Next(); Parent(n) gives the nodes it lies in. A node's status and
// summary follow its children in the file, so they are known at NodeEnd
// only. The reader keeps only the nodes that are open (memory grows with the
// depth of the tree, never with the length of the file), and it never
// recurses: any bytes, however deep or broken, are read in bounded memory.
//
// Leniency: a file that begins without prologue (an appended run into a
// folder that had no Results.xml), several runs appended into one file
// (also after the Report element was ended), unknown elements (skipped) and
// the older level's elements are all read. A file that ends early (the host
// was killed mid-run) gives NodeEnd for every node still open, with
// complete false, and Outcome().truncated. A file that is not a results
// file stops at its first element (Outcome().foreign).
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "results/ByteSource.h"
#include "results/ResultsTree.h"
#include "results/XmlPullParser.h"

namespace results {

struct ReadOutcome {
    bool foreign = false;         // not a results file (ForeignReason says why)
    bool truncated = false;       // it ends inside a node or inside markup
    bool tooDeep = false;         // nodes nested deeper than the limit: reading stopped there
    bool readFailed = false;      // the system failed to read the file
    bool reportOpen = false;      // the last Report element was not ended (normal for a report kept
                                  // open for a later run to append to)
    int reports = 0;              // Report elements
    int runs = 0;                 // top-level tests and business processes
    long nodes = 0;
    long steps = 0;
    uint64_t bytes = 0;           // bytes read
    long line = 0;                // the line where reading ended
    std::string problem;          // a one-line description of what went wrong, "" when nothing did

    // Read completely: not foreign, not cut short, nothing failed.
    bool Complete() const { return !foreign && !truncated && !tooDeep && !readFailed; }
};

struct ReaderLimits {
    XmlLimits xml;
    size_t maxDepth = 10000; // open elements at once
};

class CResultsReader {
public:
    enum class Event { ReportStart, General, NodeStart, NodeEnd, End };

    explicit CResultsReader(CByteSource& source, const ReaderLimits& limits = ReaderLimits());
    CResultsReader(const CResultsReader&) = delete;
    CResultsReader& operator=(const CResultsReader&) = delete;

    // The next event; false once End has been given.
    bool Next();
    Event Current() const { return m_event; }
    const Node& CurrentNode() const { return m_nodes[m_eventNode]; }
    // The nodes the current node lies in: 0 is its parent, 1 its parent's
    // parent...; null past the outermost.
    const Node* Ancestor(size_t level) const;
    const ReportInfo& Report() const { return m_report; }
    const ReadOutcome& Outcome() const { return m_outcome; }

private:
    enum class Role : unsigned char {
        Report, General, Node, Field, RunType, NodeArgs, TopPane, BottomPane, Summary, Param, Skip
    };
    enum class Field : unsigned char {
        None, Name, Details, Time, TimeTick, Html, Value, ResultName, Version, TestSet, TestInstance, Display,
        TopPath, BottomPath, Wr, Highlight, ParamName, ParamValue, Location
    };
    struct Frame {
        Role role;
        Field field;
    };
    struct Pending {
        Event event;
        size_t node;
    };

    // Reads one token and queues the events it gives; false at the end.
    bool Advance();
    void StartElement();
    void EndElement();
    void StartNode(NodeKind kind);
    void EndNode(bool complete);
    void EnsureStarted(size_t index);
    void FinishField(Field field);
    void Finish();
    void Stop(const std::string& problem);
    Frame* Top() { return m_frames.empty() ? nullptr : &m_frames.back(); }

    CXmlPullParser m_parser;
    ReaderLimits m_limits;
    std::vector<Frame> m_frames;
    std::vector<Node> m_nodes;                 // the open nodes, outermost first
    std::vector<bool> m_started;               // NodeStart given, per open node
    std::vector<Status> m_childStatus;         // children's statuses merged, per open node
    std::deque<Pending> m_queue;
    Event m_event = Event::End;
    size_t m_eventNode = 0;
    bool m_popPending = false;
    bool m_finished = false;                   // End queued
    bool m_stopped = false;
    bool m_sawElement = false;
    std::string m_fieldText;
    bool m_fieldCut = false;
    ReportInfo m_report;
    ReadOutcome m_outcome;
};

} // namespace results
