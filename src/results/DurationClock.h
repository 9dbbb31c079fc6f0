// CDurationClock: how long the nodes of a run took, from the steps' times.
// A step's time tells when it was logged, so a node lasts from its first
// time (its own, or the first of a node inside it) to the first time logged
// after it within the same outermost test (a test not called from another
// one, or a business component); the last node of a test, which
// has no such time, lasts to the last time inside it (a lower bound). A
// node without any time inside has no duration. The test and action
// summaries carry start and end times of their own: SummaryDuration reads
// them.
//
// The clock is fed every event of a CResultsReader; a consumer that wants
// a node's duration asks for it at the node's NodeEnd and reads it once it
// is known (at the latest after the End event). It keeps one entry per
// node asked for, nothing else.
#pragma once

#include <cstdint>
#include <vector>

#include "results/ResultsReader.h"

namespace results {

class CDurationClock {
public:
    // Call for every event, before handling it.
    void Observe(const CResultsReader& reader);
    // At a NodeEnd: the handle of the current node's duration.
    size_t Watch(const Node& node);
    // False while the duration is not known yet or when the node has none.
    bool Duration(size_t handle, int64_t& seconds) const;
    bool Resolved(size_t handle) const { return m_entries[handle].resolved; }

private:
    struct Entry {
        bool hasTime = false;
        bool resolved = false;
        long run = 0;
        int64_t start = 0, last = 0, end = 0;
    };
    void Resolve(size_t entry, bool hasNext, int64_t next);

    std::vector<Entry> m_entries;
    std::vector<size_t> m_pending;
    long m_run = 0;
};

// The seconds between a summary's start and end times, when both read.
bool SummaryDuration(const Summary& summary, int64_t& seconds);

} // namespace results
