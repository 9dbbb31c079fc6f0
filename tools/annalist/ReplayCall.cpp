#include "annalist/ReplayCall.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "annalist/PlainJsonReader.h"
#include "annalist/TextConversion.h"

namespace {

struct CallEntry {
    const char* name;
    CallKind kind;
    std::string_view keys[6]; // the keys the call reads, besides "call"; an empty one ends them
};

const CallEntry kCalls[] = {
    {"LogEvent", CallKind::LogEvent, {"type", "id", "parent", "time", "desc"}},
    {"SetStatus", CallKind::SetStatus, {"id", "status"}},
    {"Filter", CallKind::Filter, {"value"}},
    {"SetRegistryRoot", CallKind::SetRegistryRoot, {"root"}},
    {"ReportPath", CallKind::ReportPath, {"path"}},
};

const CallEntry* FindCall(const std::string& name)
{
    for (const CallEntry& entry : kCalls)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

bool Known(const CallEntry& entry, std::string_view key)
{
    if (key == "call")
        return true;
    for (const std::string_view* k = entry.keys; !k->empty(); ++k)
        if (key == *k)
            return true;
    return false;
}

// nlohmann's parse message without its prefixes: "column 9: syntax error ...".
std::string ParseMessage(const char* what)
{
    std::string message = what;
    size_t bracket = message.find("] ");
    if (message.compare(0, 1, "[") == 0 && bracket != std::string::npos)
        message.erase(0, bracket + 2);
    const char* prefix = "parse error at line 1, ";
    if (message.compare(0, std::strlen(prefix), prefix) == 0)
        message.erase(0, std::strlen(prefix));
    else if (message.compare(0, 12, "parse error ") == 0)
        message.erase(0, 12);
    // The parser quotes what it read, which may be bytes that are not UTF-8:
    // they are shown as "\xFF", so that the message itself stays UTF-8.
    return ShownBytes(message);
}

// An integer member within 32 bits; absent gives `fallback`.
bool ReadInteger(const Json& object, const char* key, bool required, LONG fallback, LONG& value, std::string& reason)
{
    auto it = object.find(key);
    if (it == object.end()) {
        if (required) {
            reason = std::string("\"") + key + "\" is missing";
            return false;
        }
        value = fallback;
        return true;
    }
    if (it->is_number_integer()) {
        if (it->is_number_unsigned()) {
            auto n = it->get<unsigned long long>();
            if (n <= static_cast<unsigned long long>(std::numeric_limits<LONG>::max())) {
                value = static_cast<LONG>(n);
                return true;
            }
        } else {
            auto n = it->get<long long>();
            if (n >= std::numeric_limits<LONG>::min() && n <= std::numeric_limits<LONG>::max()) {
                value = static_cast<LONG>(n);
                return true;
            }
        }
    }
    reason = std::string("\"") + key + "\" must be an integer from -2147483648 to 2147483647, not " + ShortJson(*it);
    return false;
}

bool ReadText(const Json& object, const char* key, std::string& value, std::string& reason)
{
    auto it = object.find(key);
    if (it == object.end()) {
        reason = std::string("\"") + key + "\" is missing";
        return false;
    }
    if (!it->is_string()) {
        reason = std::string("\"") + key + "\" must be a text, not " + ShortJson(*it);
        return false;
    }
    value = it->get<std::string>();
    return true;
}

bool ReadDigits(const std::string& text, size_t& at, size_t count, int& value)
{
    value = 0;
    for (size_t i = 0; i < count; ++i, ++at) {
        if (at >= text.size() || text[at] < '0' || text[at] > '9')
            return false;
        value = value * 10 + (text[at] - '0');
    }
    return true;
}

bool Expect(const std::string& text, size_t& at, char c)
{
    if (at >= text.size() || text[at] != c)
        return false;
    ++at;
    return true;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The compact JSON text of a value, but only its first ~70 bytes: a value
// of any size costs no more than that. Arrays and objects deeper than the
// line reader lets through are shown as "...".
void AppendShortJson(const Json& value, int depth, std::string& out)
{
    const size_t room = 70;
    if (out.size() > room)
        return;
    switch (value.type()) {
    case Json::value_t::object:
    case Json::value_t::array: {
        bool object = value.is_object();
        out += object ? '{' : '[';
        if (depth >= kMaxJsonDepth) {
            out += "...";
        } else {
            bool first = true;
            for (auto it = value.begin(); it != value.end() && out.size() <= room; ++it) {
                if (!first)
                    out += ',';
                first = false;
                if (object) {
                    AppendShortJson(Json(it.key().substr(0, room)), depth + 1, out);
                    out += ':';
                }
                AppendShortJson(*it, depth + 1, out);
            }
        }
        out += object ? '}' : ']';
        return;
    }
    case Json::value_t::string:
        // A cut in the middle of a UTF-8 sequence is shown as U+FFFD.
        out += Json(value.get_ref<const std::string&>().substr(0, room))
                   .dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
        return;
    default:
        out += value.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
        return;
    }
}

} // namespace

std::string ShortJson(const Json& value)
{
    std::string text;
    AppendShortJson(value, 0, text);
    if (Utf8Width(text) <= 60)
        return text;
    size_t cut = 0;
    for (size_t width = 0; cut < text.size(); ++cut) {
        if ((static_cast<unsigned char>(text[cut]) & 0xC0) != 0x80 && ++width > 56)
            break;
    }
    return text.substr(0, cut) + " ...";
}

size_t JsonNestingDepth(const std::string& text)
{
    size_t depth = 0, deepest = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i; // the escaped character cannot end the string
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > deepest)
                deepest = depth;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

const char* CallName(CallKind kind)
{
    for (const CallEntry& entry : kCalls)
        if (entry.kind == kind)
            return entry.name;
    return "?";
}

bool ParseEventTime(const std::string& text, DATE& date)
{
    size_t at = 0;
    int year, month, day, hour, minute, second;
    if (!ReadDigits(text, at, 4, year) || !Expect(text, at, '-') || !ReadDigits(text, at, 2, month) ||
        !Expect(text, at, '-') || !ReadDigits(text, at, 2, day) || !Expect(text, at, 'T') ||
        !ReadDigits(text, at, 2, hour) || !Expect(text, at, ':') || !ReadDigits(text, at, 2, minute) ||
        !Expect(text, at, ':') || !ReadDigits(text, at, 2, second))
        return false;
    if (at < text.size()) {
        if (!Expect(text, at, '.'))
            return false;
        size_t digits = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
            ++digits;
        if (digits == 0 || digits > 9 || at != text.size())
            return false;
    }
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return false;
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    return SystemTimeToVariantTime(&time, &date) != 0;
}

bool ParseReplayCall(const std::string& line, ReplayCall& call, std::string& reason)
{
    call = ReplayCall();
    Json object;
    // Nearly every line is read by the plain reader; the general parser
    // takes the others and says what is wrong with them.
    if (!ReadPlainJson(line, object)) {
        if (JsonNestingDepth(line) > kMaxJsonDepth) {
            reason = "the JSON is nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
            return false;
        }
        try {
            object = Json::parse(line);
        } catch (const Json::exception& error) {
            // A syntax error, and also a number too large for a double ("1e400").
            reason = "invalid JSON: " + ParseMessage(error.what());
            return false;
        }
    }
    if (!object.is_object()) {
        reason = "not a JSON object";
        return false;
    }

    const CallEntry* entry = &kCalls[0];
    auto callIt = object.find("call");
    if (callIt != object.end()) {
        if (!callIt->is_string()) {
            reason = "\"call\" must be a text, not " + ShortJson(*callIt);
            return false;
        }
        entry = FindCall(callIt->get<std::string>());
        if (!entry) {
            reason = "unknown call " + ShortJson(*callIt) +
                     " (known: LogEvent, SetStatus, Filter, SetRegistryRoot, ReportPath)";
            return false;
        }
    }
    call.kind = entry->kind;
    for (auto it = object.begin(); it != object.end(); ++it)
        if (!Known(*entry, it.key()))
            call.ignoredKeys.push_back(it.key());

    switch (call.kind) {
    case CallKind::LogEvent: {
        auto typeIt = object.find("type");
        if (typeIt == object.end()) {
            reason = "LogEvent without \"type\"";
            return false;
        }
        if (!ReadText(object, "type", call.type, reason) || !ReadInteger(object, "id", false, 0, call.id, reason) ||
            !ReadInteger(object, "parent", false, 0, call.parent, reason))
            return false;
        auto timeIt = object.find("time");
        if (timeIt != object.end()) {
            if (!timeIt->is_string() || !ParseEventTime(timeIt->get<std::string>(), call.time)) {
                reason = "\"time\" must be a local time \"YYYY-MM-DDTHH:MM:SS\" (optionally \".fff\"), not " +
                         ShortJson(*timeIt);
                return false;
            }
            call.hasTime = true;
        }
        auto descIt = object.find("desc");
        if (descIt != object.end() && !descIt->is_null()) {
            if (!descIt->is_object()) {
                reason = "\"desc\" must be an object or null, not " + ShortJson(*descIt);
                return false;
            }
            call.hasDescription = true;
            call.description = std::move(*descIt);
        }
        return true;
    }
    case CallKind::SetStatus:
        return ReadInteger(object, "id", true, 0, call.id, reason) &&
               ReadInteger(object, "status", true, 0, call.status, reason);
    case CallKind::Filter:
        return ReadInteger(object, "value", true, 0, call.filter, reason);
    case CallKind::SetRegistryRoot:
        return ReadText(object, "root", call.text, reason);
    case CallKind::ReportPath:
        return ReadText(object, "path", call.text, reason);
    }
    return false;
}
