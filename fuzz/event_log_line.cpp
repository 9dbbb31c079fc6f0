// The event log as the replay reads it: the file split into lines, each line
// read as a call, and a call's description made into the dictionary and host
// objects the logger would receive. A line the plain reader takes must be
// the value the general parser makes of it, member by member, type by type.
#include <string>

#include "FuzzSupport.h"
#include "annalist/DescriptionBuilder.h"
#include "annalist/EventLogReader.h"
#include "annalist/PlainJsonReader.h"
#include "annalist/ReplayCall.h"

namespace {

// Equal values of equal types (== takes 1 and 1u, or 1 and 1.0, as equal).
bool SameJson(const Json& a, const Json& b)
{
    if (a.type() != b.type() || a.size() != b.size())
        return false;
    if (a.is_object()) {
        for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
            if (i.key() != j.key() || !SameJson(*i, *j))
                return false;
        return true;
    }
    if (a.is_array()) {
        for (size_t i = 0; i < a.size(); ++i)
            if (!SameJson(a[i], b[i]))
                return false;
        return true;
    }
    return a == b;
}

void CheckPlainReading(const std::string& line)
{
    Json plain;
    if (!ReadPlainJson(line, plain))
        return;
    Json general;
    try {
        general = Json::parse(line);
    } catch (const Json::exception&) {
        fuzz::Check(false, "the plain reader takes only what the general parser takes");
    }
    fuzz::Check(SameJson(plain, general), "the plain reader makes the value the general parser makes");
}

} // namespace

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
        CheckPlainReading(line);
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
