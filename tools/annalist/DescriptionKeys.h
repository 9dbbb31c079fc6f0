// What the logger makes of an event, as far as the replay's warnings need to
// know: the event types it handles by name, and for each type the
// description keys that some handler of it reads. The table lives in
// DescriptionKeys.cpp and follows the logger's own event table
// (src/core/EventDispatch.cpp) and the readers it calls; the tests replay
// the bundled examples and check that the logger asks for no key the table
// lacks.
#pragma once

#include <string>
#include <vector>

struct EventTypeKeys {
    const char* type;
    bool step;                       // recorded as a step (the report filter applies)
    std::vector<std::string> keys;   // the description keys its handlers read
};

// The types the logger handles by name, in the order of its event table.
const std::vector<EventTypeKeys>& KnownEventTypes();

// The entry of a type the logger handles by name; null for any other type
// (which the logger records as a step only when the settings list it as
// "Eve1", "Eve2", ...). Types are compared as the logger compares them:
// exactly.
const EventTypeKeys* FindEventType(const std::string& type);

// The keys read for an event of a type that is not handled by name but
// recorded as a step (one that the settings list).
const std::vector<std::string>& OtherStepKeys();
