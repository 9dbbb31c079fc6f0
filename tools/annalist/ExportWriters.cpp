#include "annalist/ExportWriters.h"

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "results/TimeText.h"

namespace {

std::string Seconds(int64_t seconds)
{
    return std::to_string(seconds) + ".000";
}

// The logger's date and time text as an XML date and time (local time,
// without zone), or "".
std::string IsoTime(const std::string& text)
{
    int64_t seconds = 0;
    if (!results::ParseTimeText(text, seconds))
        return std::string();
    int64_t days = seconds / 86400, rest = seconds % 86400;
    if (rest < 0)
        rest += 86400, --days;
    // Civil date from days since 1970-01-01.
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthPart = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthPart + 2) / 5 + 1;
    const int64_t month = monthPart < 10 ? monthPart + 3 : monthPart - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2);
    char out[128];
    std::snprintf(out, sizeof(out), "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    return out;
}

std::string FirstLine(const std::string& text, size_t limit)
{
    std::string line = text.substr(0, text.find('\n'));
    if (line.size() > limit) {
        size_t at = limit;
        while (at > 0 && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80)
            --at;
        line = line.substr(0, at) + "...";
    }
    return line;
}

std::string JoinPath(const std::vector<std::string>& path)
{
    std::string out;
    for (const std::string& part : path)
        out += (out.empty() ? "" : " > ") + part;
    return out;
}

struct Suite {
    std::string name;
    std::vector<size_t> cases;
    long failures = 0, errors = 0, warnings = 0;
    int64_t time = 0;
    std::string start;
};

} // namespace

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out += "\xEF\xBF\xBD";
            else if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                     (static_cast<unsigned char>(text[i + 2]) == 0xBE || static_cast<unsigned char>(text[i + 2]) == 0xBF))
                out += "\xEF\xBF\xBD", i += 2; // U+FFFE and U+FFFF
            else
                out += static_cast<char>(c);
        }
    }
    return out;
}

std::string JUnitXml(const ExportInput& input)
{
    const CRunCollector& collector = input.collector;
    const std::vector<TestRecord>& tests = collector.Tests();
    const std::string prefix = collector.BusinessProcess().empty() ? "" : collector.BusinessProcess() + " / ";
    const std::string host = !input.info.testHost.empty() ? input.info.testHost : input.reader.Report().host;

    // Suites in the order their first case appears.
    std::vector<Suite> suites;
    std::map<std::pair<size_t, int>, size_t> suiteOf;
    for (size_t index = 0; index < collector.Cases().size(); ++index) {
        const CaseRecord& record = collector.Cases()[index];
        if (!record.used)
            continue;
        const TestRecord& test = tests[record.test];
        auto key = std::make_pair(record.test, record.action);
        auto found = suiteOf.find(key);
        if (found == suiteOf.end()) {
            Suite suite;
            suite.name = prefix + test.name;
            if (record.action >= 0) {
                const ActionRecord& action = test.actions[static_cast<size_t>(record.action)];
                suite.name += " / " + action.name;
                if (test.iterations.size() > 1)
                    suite.name += " (test iteration " + std::to_string(action.testIteration) + ")";
                suite.start = action.start;
            } else {
                suite.start = test.start;
            }
            suites.push_back(suite);
            found = suiteOf.emplace(key, suites.size() - 1).first;
        }
        suites[found->second].cases.push_back(index);
    }

    long totalTests = 0, totalFailures = 0, totalErrors = 0;
    std::string body;
    for (const Suite& suite : suites) {
        long failures = 0, errors = 0, warnings = 0;
        int64_t time = 0;
        std::string cases;
        for (size_t index : suite.cases) {
            const CaseRecord& record = collector.Cases()[index];
            int64_t seconds = 0;
            if (record.hasSummaryDuration)
                seconds = record.summaryDuration;
            else if (!collector.Duration(record.clock, seconds))
                seconds = 0;
            time += seconds;
            cases += "    <testcase name=\"" + XmlEscaped(record.name) + "\" classname=\"" + XmlEscaped(suite.name) +
                     "\" time=\"" + Seconds(seconds) + "\">\n";
            if (!record.complete) {
                ++errors;
                cases += "      <error message=\"the run was cut short here: its results end inside this test case\" "
                         "type=\"Incomplete\"/>\n";
            }
            if (record.status == results::Status::Failed) {
                ++failures;
                std::string message, text;
                if (record.hasFailure) {
                    message = record.failure.name;
                    std::string first = FirstLine(record.failure.details, 300);
                    if (!first.empty())
                        message += ": " + first;
                    text = "Step: " + JoinPath(record.failure.path) + "\n";
                    if (!record.failure.time.empty())
                        text += "Time: " + record.failure.time + "\n";
                    if (!record.failure.details.empty())
                        text += "\n" + record.failure.details + "\n";
                } else {
                    message = record.name + " failed";
                }
                cases += "      <failure message=\"" + XmlEscaped(message) + "\" type=\"" +
                         XmlEscaped(record.hasFailure && !record.failure.type.empty() ? record.failure.type : "Failed") +
                         "\">" + XmlEscaped(text) + "</failure>\n";
            }
            if (record.warningCount > 0) {
                warnings += record.warningCount;
                std::string out;
                for (const StepNote& note : record.warnings) {
                    out += "Warning: " + JoinPath(note.path);
                    std::string first = FirstLine(note.details, 300);
                    if (!first.empty())
                        out += ": " + first;
                    out += "\n";
                }
                if (record.warningCount > static_cast<long>(record.warnings.size()))
                    out += "... and " + std::to_string(record.warningCount - static_cast<long>(record.warnings.size())) +
                           " more warnings\n";
                cases += "      <system-out>" + XmlEscaped(out) + "</system-out>\n";
            }
            cases += "    </testcase>\n";
        }
        totalTests += static_cast<long>(suite.cases.size());
        totalFailures += failures;
        totalErrors += errors;
        body += "  <testsuite name=\"" + XmlEscaped(suite.name) + "\" tests=\"" + std::to_string(suite.cases.size()) +
                "\" failures=\"" + std::to_string(failures) + "\" errors=\"" + std::to_string(errors) +
                "\" skipped=\"0\" time=\"" + Seconds(time) + "\"";
        std::string timestamp = IsoTime(suite.start);
        if (!timestamp.empty())
            body += " timestamp=\"" + timestamp + "\"";
        if (!host.empty())
            body += " hostname=\"" + XmlEscaped(host) + "\"";
        body += ">\n    <properties>\n      <property name=\"warnings\" value=\"" + std::to_string(warnings) +
                "\"/>\n    </properties>\n" + cases + "  </testsuite>\n";
    }
    int64_t runTime = 0;
    input.overview.Duration(runTime);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<testsuites name=\"" + XmlEscaped(input.overview.Name(input.info)) + "\" tests=\"" +
           std::to_string(totalTests) + "\" failures=\"" + std::to_string(totalFailures) + "\" errors=\"" +
           std::to_string(totalErrors) + "\" time=\"" + Seconds(runTime) + "\">\n";
    out += body;
    out += "</testsuites>\n";
    return out;
}

namespace {

using Json = nlohmann::ordered_json;

Json Duration(bool known, int64_t seconds) { return known ? Json(seconds) : Json(nullptr); }

Json Iterations(const CRunCollector& collector, const std::vector<IterationRecord>& iterations)
{
    Json list = Json::array();
    for (const IterationRecord& iteration : iterations) {
        int64_t seconds = 0;
        const bool known = collector.Duration(iteration.clock, seconds);
        Json item = {{"iteration", iteration.number},  {"status", results::StatusName(iteration.status)},
                     {"passed", iteration.passed},     {"failed", iteration.failed},
                     {"warnings", iteration.warnings}, {"duration", Duration(known, seconds)}};
        if (!iteration.complete)
            item["complete"] = false;
        list.push_back(item);
    }
    return list;
}

// A test's or an action's facts, duration (from its summary, else from its
// time ticks), completion and iterations.
void PutScope(Json& item, const ScopeFacts& facts, size_t clock, const std::vector<IterationRecord>& iterations,
              const CRunCollector& collector)
{
    PutScopeFacts(item, facts);
    int64_t seconds = facts.summaryDuration;
    const bool known = facts.hasSummaryDuration || collector.Duration(clock, seconds);
    item["duration"] = Duration(known, seconds);
    if (!facts.complete)
        item["complete"] = false;
    item["iterations"] = Iterations(collector, iterations);
}

} // namespace

std::string SummaryJson(const ExportInput& input)
{
    const CRunCollector& collector = input.collector;
    const CRunOverview& overview = input.overview;
    const results::ReadOutcome& outcome = input.reader.Outcome();
    const results::ReportInfo& report = input.reader.Report();
    Json root;
    root["format"] = "annalist-summary";
    root["formatVersion"] = 1;
    root["complete"] = outcome.Complete();
    root["problem"] = outcome.problem;
    Json run;
    overview.PutRunFacts(run, input.info, report);
    run["businessProcess"] = collector.BusinessProcess();
    run["steps"] = outcome.steps;
    root["run"] = run;

    Json tests = Json::array();
    for (const TestRecord& test : collector.Tests()) {
        Json item = {{"name", test.name}, {"type", test.type}};
        if (test.componentIteration > 0)
            item["componentIteration"] = test.componentIteration;
        PutScope(item, test, test.clock, test.iterations, collector);
        Json actions = Json::array();
        for (const ActionRecord& action : test.actions) {
            Json entry = {{"name", action.name}, {"testIteration", action.testIteration}};
            PutScope(entry, action, action.clock, action.iterations, collector);
            actions.push_back(entry);
        }
        item["actions"] = actions;
        tests.push_back(item);
    }
    root["tests"] = tests;

    Json failed = Json::array();
    for (const StepNote& note : collector.FailedSteps())
        failed.push_back(Json{{"path", note.path},
                              {"name", note.name},
                              {"type", note.type},
                              {"time", note.time},
                              {"details", note.details}});
    root["failedSteps"] = failed;
    if (collector.FailedStepsLeftOut() > 0)
        root["failedStepsLeftOut"] = collector.FailedStepsLeftOut();
    return root.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}
