// The event being dispatched, and what the dispatcher knows of each event
// type: whether it needs an open scope, how its node is counted and recorded,
// and the handler that does the work. EventDispatch.cpp holds the table of the
// event types the logger knows by name; any other type is a step.
#pragma once

#include <memory>

#include "core/Description.h"
#include "report/EventNode.h"
#include "report/ReportRecordKind.h"

class CAnnalistImp;
struct LoggedEvent;

// Traits of an event type (bits of EventRoute::traits).
enum EventTrait : unsigned {
    // Dropped unless a scope is open and has not ended.
    kNeedsOpenScope = 1u << 0,
    // A step that carries the replay source position ("Replay", "User", ...).
    kSourceStep = 1u << 1,
    // A step whose status does not count in the scopes' counters.
    kUncounted = 1u << 2,
    // A step recorded as a data table.
    kDataTable = 1u << 3,
    // A step whose invalid status refuses the event ("User").
    kStrictStatus = 1u << 4,
};

struct EventRoute {
    const WCHAR* name;
    unsigned traits;
    HRESULT (*handle)(CAnnalistImp& logger, LoggedEvent& event);
};

// No record kind chosen (yet).
const ReportRecordKind kNoRecordKind = static_cast<ReportRecordKind>(-1);

struct LoggedEvent {
    LoggedEvent(std::unique_ptr<EventNode> eventNode, IDispatch* descriptionObject, const EventRoute& eventRoute)
        : node(std::move(eventNode)), description(descriptionObject), route(eventRoute)
    {
    }

    bool Is(EventTrait trait) const noexcept { return (route.traits & trait) != 0; }

    // The node of the event; the dispatcher hands it on once it is recorded.
    std::unique_ptr<EventNode> node;
    CDescription description;
    const EventRoute& route;
    // The record the event becomes, once chosen.
    ReportRecordKind kind = kNoRecordKind;
};
