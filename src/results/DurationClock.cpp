#include "results/DurationClock.h"

#include "results/TimeText.h"

namespace results {

void CDurationClock::Resolve(size_t index, bool hasNext, int64_t next)
{
    Entry& entry = m_entries[index];
    entry.resolved = true;
    entry.end = hasNext && next >= entry.last ? next : entry.last;
}

void CDurationClock::Observe(const CResultsReader& reader)
{
    if (reader.Current() == CResultsReader::Event::End) {
        for (size_t index : m_pending)
            Resolve(index, false, 0);
        m_pending.clear();
        return;
    }
    if (reader.Current() != CResultsReader::Event::NodeStart)
        return;
    const Node& node = reader.CurrentNode();
    // A new outermost test (or another outermost node) begins.
    bool boundary = node.depth == 0;
    if (node.kind == NodeKind::Test) {
        boundary = true;
        for (size_t level = 0; const Node* outer = reader.Ancestor(level); ++level)
            boundary = boundary && outer->kind != NodeKind::Test;
    }
    if (boundary)
        ++m_run;
    int64_t tick = 0;
    const bool hasTick = node.StepTime(tick);
    if (!hasTick && !boundary)
        return;
    for (size_t index : m_pending)
        Resolve(index, hasTick && m_entries[index].run == m_run, tick);
    m_pending.clear();
}

size_t CDurationClock::Watch(const Node& node)
{
    Entry entry;
    entry.run = m_run;
    entry.hasTime = node.hasTicks;
    entry.start = node.firstTick;
    entry.last = node.lastTick;
    entry.resolved = !node.hasTicks;
    m_entries.push_back(entry);
    if (node.hasTicks)
        m_pending.push_back(m_entries.size() - 1);
    return m_entries.size() - 1;
}

bool CDurationClock::Duration(size_t handle, int64_t& seconds) const
{
    const Entry& entry = m_entries[handle];
    if (!entry.resolved || !entry.hasTime)
        return false;
    seconds = entry.end - entry.start;
    return true;
}

bool SummaryDuration(const Summary& summary, int64_t& seconds)
{
    return summary.present && SecondsBetween(summary.startTime, summary.endTime, seconds);
}

} // namespace results
