#include "report/RunModel.h"

#include <algorithm>

#include "report/StatusNames.h"

namespace {

const LONG kStatusPassed = 0;
const LONG kStatusFailed = 1;
const LONG kStatusDone = 2;
const LONG kStatusWarning = 3;

} // namespace

void CRunModel::Reset() noexcept
{
    m_scopes.clear();
    m_openScopes.clear();
    m_nodesById.clear();
    m_lastEventId = 0;
    m_logStatus = kStatusDone;
}

// ---- Scopes ----

RunScope& CRunModel::OpenScope(RunScope scope)
{
    m_scopes.push_back(ScopeEntry{std::move(scope), StatusCounts()});
    m_openScopes.push_back(static_cast<LONG>(m_scopes.size() - 1));
    return m_scopes.back().scope;
}

void CRunModel::CloseScope() noexcept
{
    if (!m_openScopes.empty())
        m_openScopes.pop_back();
}

CRunModel::ScopeEntry* CRunModel::EntryAt(LONG index) noexcept
{
    if (index < 0 || static_cast<size_t>(index) >= m_scopes.size())
        return nullptr;
    return &m_scopes[static_cast<size_t>(index)];
}

RunScope* CRunModel::CurrentScope() noexcept
{
    ScopeEntry* entry = m_openScopes.empty() ? nullptr : EntryAt(m_openScopes.back());
    return entry ? &entry->scope : nullptr;
}

const RunScope* CRunModel::CurrentScope() const noexcept { return const_cast<CRunModel*>(this)->CurrentScope(); }

LONG CRunModel::CurrentScopeIndex() const noexcept
{
    return CurrentScope() ? m_openScopes.back() : -1;
}

const RunScope* CRunModel::OutermostOpenScope() const noexcept
{
    return m_openScopes.empty() ? nullptr : Scope(m_openScopes.front());
}

const RunScope* CRunModel::Scope(LONG index) const noexcept
{
    const ScopeEntry* entry = const_cast<CRunModel*>(this)->EntryAt(index);
    return entry ? &entry->scope : nullptr;
}

const StatusCounts& CRunModel::Counts(LONG index) const noexcept
{
    static const StatusCounts none;
    const ScopeEntry* entry = const_cast<CRunModel*>(this)->EntryAt(index);
    return entry ? entry->counts : none;
}

// ---- Nodes ----

CRunModel::NodeRegistry::iterator CRunModel::Position(LONG id) noexcept
{
    return std::lower_bound(m_nodesById.begin(), m_nodesById.end(), id,
                            [](const NodeEntry& entry, LONG wanted) { return entry.first < wanted; });
}

CRunModel::NodeRegistry::const_iterator CRunModel::Position(LONG id) const noexcept
{
    return const_cast<CRunModel*>(this)->Position(id);
}

EventNode* CRunModel::RegisterNode(std::unique_ptr<EventNode> node, std::unique_ptr<EventNode>& displaced) noexcept
{
    if (!node)
        return nullptr;
    EventNode* raw = node.get();
    auto entry = Position(node->eventId);
    if (entry != m_nodesById.end() && entry->first == node->eventId) {
        displaced = std::move(entry->second);
        entry->second = std::move(node);
        return raw;
    }
    try {
        const LONG id = node->eventId;
        m_nodesById.emplace(entry, id, std::move(node));
    } catch (...) {
        return nullptr;
    }
    return raw;
}

EventNode* CRunModel::FindNode(LONG id) const noexcept
{
    auto found = Position(id);
    return found == m_nodesById.end() || found->first != id ? nullptr : found->second.get();
}

bool CRunModel::HoldsNode(LONG id, const EventNode* node) const noexcept
{
    return node && FindNode(id) == node;
}

void CRunModel::ReleaseNode(const EventNode* node) noexcept
{
    auto found = Position(node->eventId);
    if (found != m_nodesById.end() && found->first == node->eventId && found->second.get() == node)
        m_nodesById.erase(found);
}

LONG CRunModel::ParentFor(LONG parentId) const noexcept
{
    return FindNode(parentId) ? parentId : m_lastEventId;
}

void CRunModel::PlaceNode(EventNode& node) noexcept
{
    LONG current = CurrentScopeIndex();
    if (current < 0)
        return;
    node.actionIteration = m_scopes[static_cast<size_t>(current)].scope.iteration;
    node.testIteration = m_scopes[0].scope.iteration;
    node.scopeIndex = current;
    m_lastEventId = node.eventId;
}

// ---- Statuses ----

void CRunModel::AddToCounts(LONG status, LONG delta) noexcept
{
    if (m_openScopes.empty())
        return;
    auto count = [&](LONG index) {
        ScopeEntry* entry = EntryAt(index);
        if (!entry)
            return;
        switch (status) {
        case kStatusPassed:
            entry->counts.passed += delta;
            break;
        case kStatusFailed:
            entry->counts.failed += delta;
            break;
        case kStatusWarning:
            entry->counts.warnings += delta;
            break;
        default:
            break;
        }
    };
    count(m_openScopes.back());
    if (m_openScopes.size() > 1)
        count(m_openScopes.front());
}

void CRunModel::CountStatus(LONG status) noexcept { AddToCounts(status, 1); }

bool CRunModel::SetStatus(LONG id, LONG status) noexcept
{
    EventNode* node = FindNode(id);
    if (!node)
        return false;
    LONG merged = MergeStatus(node->status, status);
    if (merged != node->status) {
        AddToCounts(merged, 1);
        AddToCounts(node->status, -1);
    }
    node->status = merged;
    return true;
}

void CRunModel::MergeChildStatus(EventNode& parent, LONG childStatus) noexcept
{
    parent.status = MergeStatus(parent.status, childStatus);
}

void CRunModel::MergeLogStatus(LONG status) noexcept { m_logStatus = MergeStatus(m_logStatus, status); }
