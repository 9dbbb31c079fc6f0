// Node statuses: the status of a recorded node, the per-scope counters and
// SetStatus.
#include "core/AnnalistImp.h"
#include "core/StatusFilter.h"
#include "core/StepDetails.h"
#include "report/StatusNames.h"
#include "text/ResourceStrings.h"

namespace {

const WCHAR kInvalidEventIdMessage[] = W("Invalid EventId, can't change event status.");
const WCHAR kErrorSource[] = W("Talvex.Annalist.2");
// The error SetStatus returns for an id that is not in the id map.
const HRESULT kInvalidEventId = static_cast<HRESULT>(0x80040329L);

} // namespace

STDMETHODIMP CAnnalistImp::SetStatus(LONG Id, tagKovReportEvent Status)
{
    auto found = m_state.nodesById.find(Id);
    if (found == m_state.nodesById.end() || !found->second) {
        SetErrorInfoText(kInvalidEventIdMessage, GUID_NULL, 0, nullptr, kErrorSource);
        return kInvalidEventId;
    }
    EventNode& node = *found->second;
    LONG merged = MergeStatus(node.status, static_cast<LONG>(Status));
    if (merged != node.status) {
        UpdateStatusCounters(merged, true);
        UpdateStatusCounters(node.status, false);
    }
    node.status = merged;
    return S_OK;
}

bool CAnnalistImp::ReadStepStatus(CDescription& description, BSTR eventType, EventNode& node, bool& refused)
{
    refused = false;
    LONG status = kovDone;
    if (!description.ReadInt(W("Status"), status, kovDone)) {
        node.status = kovDone;
        return true;
    }
    if (IsValidStatus(status)) {
        node.status = status;
        return true;
    }
    if (IsEventType(eventType, etUser)) {
        refused = true;
        CBstrString message;
        message.FormatResource(IDS_INVALID_EVENT_STATUS, static_cast<int>(status));
        SetErrorInfoText(message.c_str(), IID_IDispatch, 0, nullptr, nullptr);
        --m_nodeCounter;
        return false;
    }
    node.status = kovDone;
    return true;
}

void CAnnalistImp::UpdateStatusCounters(LONG status, bool up)
{
    if (m_state.scopeStack.empty())
        return;
    LONG delta = up ? 1 : -1;
    auto count = [&](LONG index) {
        if (index < 0 || static_cast<size_t>(index) >= m_state.scopes.size())
            return;
        RunScope& scope = m_state.scopes[index];
        switch (status) {
        case kovPass:
            scope.passedCount += delta;
            break;
        case kovFail:
            scope.failedCount += delta;
            break;
        case kovWarning:
            scope.warningCount += delta;
            break;
        default:
            break;
        }
    };
    count(m_state.scopeStack.back());
    if (m_state.scopeStack.size() > 1)
        count(m_state.scopeStack.front());
}
