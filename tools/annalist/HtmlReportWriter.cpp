#include "annalist/HtmlReportWriter.h"

#include <cctype>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "annalist/HtmlToText.h"
#include "annalist/JsonText.h"
#include "annalist/ReportPage.h"
#include "component/Version.h"
#include "results/ByteSource.h"
#include "results/DurationClock.h"

namespace {

const char kTreeMarker[] = "<!--ANNALIST:TREE-->";
const char kRunMarker[] = "<!--ANNALIST:RUN-->";
const size_t kFlushSize = 1 << 20;
const size_t kMaxPicture = 32u << 20;
const size_t kMaxPictures = 256u << 20;

int KindCode(results::NodeKind kind) { return static_cast<int>(kind); }

int StatusCode(results::Status status) { return static_cast<int>(status); }

std::string Base64(const std::string& bytes)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned value = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                         static_cast<unsigned char>(bytes[i + 2]);
        out += digits[value >> 18];
        out += digits[(value >> 12) & 63];
        out += digits[(value >> 6) & 63];
        out += digits[value & 63];
    }
    if (i < bytes.size()) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += digits[value >> 18];
        out += digits[(value >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(value >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string MediaType(const std::string& path)
{
    std::string extension = std::filesystem::u8path(path).extension().u8string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".png")
        return "image/png";
    if (extension == ".jpg" || extension == ".jpeg")
        return "image/jpeg";
    if (extension == ".gif")
        return "image/gif";
    if (extension == ".bmp")
        return "image/bmp";
    if (extension == ".webp")
        return "image/webp";
    return std::string();
}

// The text of a JSON value made safe inside a script element.
std::string ScriptSafe(const std::string& json)
{
    std::string out;
    out.reserve(json.size());
    for (char c : json) {
        if (c == '<')
            out += "\\u003c";
        else
            out += c;
    }
    return out;
}

} // namespace

bool PictureLink(const std::string& path, std::string& link)
{
    link.clear();
    if (path.empty() || path[0] == '\\' || path[0] == '/' || path.find(':') != std::string::npos)
        return false;
    std::string segment;
    auto finish = [&]() {
        if (segment == "..")
            return false;
        static const char hex[] = "0123456789ABCDEF";
        for (unsigned char c : segment) {
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
                c == '_' || c == '~') {
                link += static_cast<char>(c);
            } else {
                link += '%';
                link += hex[c >> 4];
                link += hex[c & 15];
            }
        }
        segment.clear();
        return true;
    };
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!finish())
                return false;
            link += '/';
        } else {
            segment += c;
        }
    }
    return finish();
}

CHtmlReportWriter::CHtmlReportWriter(COutputFile& out, const HtmlReportSettings& settings)
    : m_out(out), m_settings(settings), m_page(reinterpret_cast<const char*>(kReportPageBytes), kReportPageSize)
{
}

void CHtmlReportWriter::Flush(bool always)
{
    if (always || m_buffer.size() >= kFlushSize) {
        m_out.Write(m_buffer);
        m_buffer.clear();
    }
}

void CHtmlReportWriter::Begin()
{
    size_t tree = m_page.find(kTreeMarker);
    m_buffer.append(m_page, 0, tree);
    m_buffer += '\n';
}

void CHtmlReportWriter::Key(const char* key, bool& first)
{
    if (!first)
        m_buffer += ',';
    first = false;
    m_buffer += '"';
    m_buffer += key;
    m_buffer += "\":";
}

void CHtmlReportWriter::Text(const char* key, const std::string& value, bool& first)
{
    if (value.empty())
        return;
    Key(key, first);
    AppendJsonString(m_buffer, value);
}

void CHtmlReportWriter::Number(const char* key, long long value, bool& first)
{
    Key(key, first);
    m_buffer += std::to_string(value);
}

void CHtmlReportWriter::StartFields(const results::Node& node, bool& first)
{
    Text("n", node.nameIsPlain ? node.name : HtmlToText(node.name), first);
    Text("d", node.details, first);
    Text("h", node.html, first);
    Text("v", node.value, first);
    Text("tm", node.time, first);
    Text("r", node.returnValue, first);
    if (node.iteration != 0)
        Number("it", node.iteration, first);
    Text("res", node.resultName, first);
    Text("dver", node.version, first);
    Text("tset", node.testSet, first);
    Text("tinst", node.testInstance, first);
    if (node.kind == results::NodeKind::Test && node.testType != "Test")
        Text("ty", node.testType, first);
    if (!node.runType.empty()) {
        std::string flags;
        for (const std::string& flag : node.runType)
            flags += (flags.empty() ? "" : " ") + flag;
        Text("rt", flags, first);
    }
}

void CHtmlReportWriter::EndFields(const results::Node& node, bool& first)
{
    const results::NodeArgs& args = node.args;
    Text("e", args.eventType, first);
    Text("nt", args.nodeType, first);
    if (args.display != node.name)
        Text("disp", args.display, first);
    if (!args.bottomPanePath.empty()) {
        Text("p", args.bottomPanePath, first);
        std::string link;
        if (PictureLink(args.bottomPanePath, link)) {
            Text("pu", m_settings.resultsLink + link, first);
            if (m_settings.embedPictures && m_pictures.size() < 100000)
                m_pictures.insert(args.bottomPanePath);
        }
    }
    if (args.viewerType != "HTML")
        Text("vt", args.viewerType, first);
    const results::Summary& summary = node.summary;
    if (summary.present) {
        Key("sum", first);
        m_buffer += '{';
        bool inner = true;
        Text("s", summary.startTime, inner);
        Text("e", summary.endTime, inner);
        if (summary.passed >= 0) {
            Number("p", summary.passed, inner);
            Number("f", summary.failed, inner);
            Number("w", summary.warnings, inner);
        }
        Text("r", summary.returnValue, inner);
        if (summary.stopped)
            Number("st", 1, inner);
        if (!summary.params.empty()) {
            Key("pa", inner);
            m_buffer += '[';
            for (size_t i = 0; i < summary.params.size(); ++i) {
                const results::SummaryParam& param = summary.params[i];
                m_buffer += i ? ",[" : "[";
                AppendJsonString(m_buffer, param.name);
                m_buffer += ',';
                AppendJsonString(m_buffer, param.value);
                m_buffer += param.output ? ",1]" : ",0]";
            }
            m_buffer += ']';
        }
        m_buffer += '}';
        int64_t seconds = 0;
        if (results::SummaryDuration(summary, seconds))
            Number("dur", seconds, first);
    }
    if (!node.IsStep() && node.kind != results::NodeKind::DataTable && node.kind != results::NodeKind::AdditionalInfo) {
        Key("c", first);
        m_buffer += '[' + std::to_string(node.counts.passed) + ',' + std::to_string(node.counts.failed) + ',' +
                    std::to_string(node.counts.warnings) + ',' + std::to_string(node.counts.steps) + ']';
    }
}

void CHtmlReportWriter::WriteNode(const results::Node& node, Line line)
{
    int flags = 0;
    if (!node.complete && line != Line::Start)
        flags |= 1;
    if (!node.nameIsPlain)
        flags |= 2;
    if (!node.detailsArePlain)
        flags |= 4;
    if (line == Line::Start)
        flags |= 16;
    m_buffer += '[';
    m_buffer += std::to_string(node.depth);
    m_buffer += ',';
    m_buffer += std::to_string(line == Line::End ? -1 : KindCode(node.kind));
    m_buffer += ',';
    m_buffer += std::to_string(line == Line::Start ? -1 : StatusCode(node.status));
    m_buffer += ',';
    int64_t tick = 0;
    if (line != Line::End && node.StepTime(tick))
        m_buffer += std::to_string(tick);
    else
        m_buffer += "null";
    m_buffer += ',';
    m_buffer += std::to_string(flags);
    m_buffer += ",{";
    bool first = true;
    if (line != Line::End)
        StartFields(node, first);
    if (line != Line::Start)
        EndFields(node, first);
    m_buffer += "}]\n";
    Flush(false);
}

void CHtmlReportWriter::Observe(const results::CResultsReader& reader)
{
    switch (reader.Current()) {
    case results::CResultsReader::Event::NodeStart:
        // A node seen starting before this one has nodes inside.
        if (m_pendingStart)
            WriteNode(*reader.Ancestor(0), Line::Start);
        m_pendingStart = true;
        break;
    case results::CResultsReader::Event::NodeEnd:
        WriteNode(reader.CurrentNode(), m_pendingStart ? Line::Whole : Line::End);
        m_pendingStart = false;
        break;
    default:
        break;
    }
}

namespace {

// Whether the file, with every link in its path followed, lies inside the
// folder: a link planted in a results folder must not put a file from
// elsewhere into the report.
bool InsideFolder(const std::string& folder, const std::string& file)
{
    std::error_code code;
    std::filesystem::path base = std::filesystem::canonical(std::filesystem::u8path(folder), code);
    if (code)
        return false;
    std::filesystem::path target = std::filesystem::canonical(std::filesystem::u8path(file), code);
    if (code)
        return false;
    std::filesystem::path relative = target.lexically_relative(base);
    return !relative.empty() && *relative.begin() != "..";
}

} // namespace

std::string CHtmlReportWriter::EmbeddedPictures()
{
    std::string out = "{";
    size_t total = 0;
    bool first = true;
    for (const std::string& path : m_pictures) {
        std::string type = MediaType(path);
        std::string link;
        if (type.empty() || !PictureLink(path, link))
            continue;
        std::string bytes, error;
        std::string relative = path;
        for (char& c : relative)
            if (c == '\\')
                c = '/';
        std::string file = (std::filesystem::u8path(m_settings.resultsFolder) / std::filesystem::u8path(relative)).u8string();
        if (!InsideFolder(m_settings.resultsFolder, file) ||
            !results::ReadSmallFile(file, kMaxPicture, bytes, error) || total + bytes.size() > kMaxPictures)
            continue;
        total += bytes.size();
        if (!first)
            out += ',';
        first = false;
        AppendJsonString(out, path);
        out += ":\"data:" + type + ";base64," + Base64(bytes) + "\"";
    }
    return out + "}";
}

void CHtmlReportWriter::Finish(const results::CResultsReader& reader, const CRunOverview& overview,
                               const results::GeneralInfo& info)
{
    const results::ReadOutcome& outcome = reader.Outcome();
    const results::ReportInfo& report = reader.Report();
    nlohmann::ordered_json run;
    overview.PutRunFacts(run, info, report);
    run["location"] = !info.testLocation.empty() ? info.testLocation : report.location;
    run["businessProcess"] = overview.BusinessProcess();
    nlohmann::ordered_json tests = nlohmann::ordered_json::array();
    for (const TestOverview& test : overview.Tests()) {
        nlohmann::ordered_json item;
        item["name"] = test.name;
        item["type"] = test.type;
        PutScopeFacts(item, test);
        item["duration"] = test.hasDuration ? nlohmann::ordered_json(test.duration) : nlohmann::ordered_json(nullptr);
        tests.push_back(item);
    }
    run["tests"] = tests;
    run["complete"] = outcome.Complete();
    run["problem"] = outcome.problem;
    run["nodes"] = outcome.nodes;
    run["steps"] = outcome.steps;
    run["folder"] = m_settings.folderShown;
    run["generator"] = std::string("annalist ") + AnnalistVersionText();

    const size_t tree = m_page.find(kTreeMarker) + sizeof(kTreeMarker) - 1;
    const size_t runAt = m_page.find(kRunMarker);
    m_buffer.append(m_page, tree, runAt - tree);
    std::string json = ScriptSafe(run.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    json.pop_back(); // the closing brace: the pictures go in too
    m_buffer += json;
    m_buffer += ",\"pictures\":";
    m_buffer += m_settings.embedPictures ? EmbeddedPictures() : std::string("{}");
    m_buffer += '}';
    m_buffer.append(m_page, runAt + sizeof(kRunMarker) - 1, std::string::npos);
    Flush(true);
}
