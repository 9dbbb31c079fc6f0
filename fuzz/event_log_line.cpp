// The event log as the replay reads it: the file split into lines, each line
// read as a call, and a call's description made into the dictionary and host
// objects the logger would receive.
#include <string>

#include "FuzzSupport.h"
#include "annalist/DescriptionBuilder.h"
#include "annalist/EventLogReader.h"
#include "annalist/ReplayCall.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool comInitialised = SUCCEEDED(CoInitialize(nullptr));
    (void)comInitialised;
    CEventLogReader reader;
    std::string reason;
    if (!reader.Open(fuzz::WriteScratchFile("events.jsonl", data, size), reason))
        return 0;
    long expected = reader.CountEventLines();
    std::string line;
    long number = 0, count = 0;
    while (reader.Next(line, number)) {
        ++count;
        ReplayCall call;
        if (!ParseReplayCall(line, call, reason)) {
            fuzz::Check(!reason.empty(), "a refused line says why");
            continue;
        }
        if (call.kind == CallKind::LogEvent && call.hasDescription) {
            CInterfacePtr<IDictionary> description;
            if (!BuildDescription(call.description, description, reason))
                fuzz::Check(!reason.empty(), "a refused description says why");
        }
        ShortJson(call.description);
    }
    fuzz::Check(count == expected, "the lines counted are the lines read");
    return 0;
}
