// ReplayCall: one line of an event log as a call on the logger, and the
// reading of a line into it. A line is one JSON object:
//   "call": "LogEvent" (when absent), "SetStatus", "Filter", "SetRegistryRoot"
//           or "ReportPath";
//   LogEvent: "type" (text, required), "id" and "parent" (integers, 0 when
//           absent), "time" ("YYYY-MM-DDTHH:MM:SS", optionally with a fraction
//           of a second; absent: the logger takes the current time), "desc"
//           (object, or null for none);
//   SetStatus: "id", "status"; Filter: "value"; SetRegistryRoot: "root";
//   ReportPath: "path".
// The description's values are converted later (DescriptionBuilder.h).
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "pal/pal.h"

using Json = nlohmann::ordered_json;

enum class CallKind { LogEvent, SetStatus, Filter, SetRegistryRoot, ReportPath };

// "LogEvent", "SetStatus", ...
const char* CallName(CallKind kind);

// Lines whose arrays and objects are nested deeper than this are refused
// before they are parsed, so that no value is too deep to show or convert.
constexpr int kMaxJsonDepth = 64;

// A JSON value as shown in messages: compact, cut to about 60 characters
// (however large the value is).
std::string ShortJson(const Json& value);

// The deepest nesting of arrays and objects in JSON text (texts inside
// strings do not count); the text need not be valid JSON.
size_t JsonNestingDepth(const std::string& text);

struct ReplayCall {
    CallKind kind = CallKind::LogEvent;
    std::string type;           // LogEvent: the event type
    LONG id = 0;                // LogEvent: EventId; SetStatus: Id
    LONG parent = 0;            // LogEvent: ParentId
    bool hasTime = false;       // LogEvent: "time" given
    DATE time = 0;              //   ... as an OLE date (local time)
    bool hasDescription = false; // LogEvent: "desc" given and not null
    Json description;           //   ... the object
    LONG status = 0;            // SetStatus
    LONG filter = 0;            // Filter
    std::string text;           // SetRegistryRoot: root; ReportPath: path
    // Keys that mean nothing for the call, ignored (for warnings).
    std::vector<std::string> ignoredKeys;
};

// Reads one line. False with the reason when the line is to be skipped: not
// JSON (a number too large for a double included), nested deeper than
// kMaxJsonDepth, not an object, an unknown "call", a LogEvent without "type", or a
// value of the wrong shape. The reason reads well after "line N: ".
bool ParseReplayCall(const std::string& line, ReplayCall& call, std::string& reason);

// "YYYY-MM-DDTHH:MM:SS" with an optional fraction (".f" to ".fffffffff") as an
// OLE date (days since 1899-12-30). The fraction is accepted and dropped: the
// logger keeps event times to the second. False for any other form or a date
// or time that does not exist.
bool ParseEventTime(const std::string& text, DATE& date);
