#include "results/ReportRepair.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "results/GeneralInfo.h"
#include "results/ResultsReader.h"
#include "results/Utf8Text.h"
#include "results/XmlPullParser.h"

namespace results {

namespace {

// The node elements, and which of them the logger writes whole (no record
// boundary inside them).
bool IsNodeName(const std::string& name)
{
    static const char* const names[] = {"BPT", "Doc", "DIter", "Action", "AIter", "Step", "HtmlStep", "DT",
                                        "AdditionalInfo"};
    for (const char* node : names)
        if (name == node)
            return true;
    return false;
}

bool IsWholeRecord(const std::string& name) { return name == "DT" || name == "AdditionalInfo"; }

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Whether a node's leading part (one record) is complete once its element
// `last` has ended: the logger writes these last.
bool LeadingPartEndsWith(const std::string& node, const std::string& last, bool stepsHaveTicks)
{
    if (node == "Step")
        return last == "TimeTick" || (last == "Time" && !stepsHaveTicks);
    if (node == "HtmlStep")
        return last == "TimeTick" || (last == "HTML" && !stepsHaveTicks);
    if (node == "Action")
        return last == "AName";
    if (node == "Doc")
        return last == "Res" || last == "DVer" || last == "TSet" || last == "TInst" || last == "RunType";
    if (node == "BPT")
        return last == "NodeArgs";
    return false;
}

// The text that closes an open element at the end of a run.
std::string ClosingOf(const std::string& name)
{
    if (name == "Doc" || name == "Action")
        return "<Summary stopped=\"True\" ></Summary>\r\n</" + name + ">\r\n";
    if (name == "BPT" || name == "Report")
        return "</" + name + ">";
    return "</" + name + ">\r\n";
}

// Counts the bytes read through it.
class CCountingSource final : public CByteSource {
public:
    explicit CCountingSource(CByteSource& source) : m_source(source) {}
    size_t Read(char* buffer, size_t size) override
    {
        size_t got = m_source.Read(buffer, size);
        m_count += got;
        return got;
    }
    bool Failed() const override { return m_source.Failed(); }
    uint64_t Count() const { return m_count; }

private:
    CByteSource& m_source;
    uint64_t m_count = 0;
};

class CRepairPlanner {
public:
    explicit CRepairPlanner(CByteSource& source) : m_source(source), m_parser(m_source) {}

    ReportRepair Plan()
    {
        ReportRepair repair;
        bool sawElement = false;
        bool textFirst = false;
        for (CXmlPullParser::Token token; (token = m_parser.Next()) != CXmlPullParser::Token::End;) {
            switch (token) {
            case CXmlPullParser::Token::StartTag:
                if (!sawElement) {
                    sawElement = true;
                    if (textFirst)
                        return Foreign("it is not XML");
                    const std::string& name = m_parser.Name();
                    if (name != "Report" && name != "General" && name != "Doc" && name != "BPT")
                        return Foreign("its first element is <" + name + ">, not <Report>");
                }
                if (m_frames.size() >= ReaderLimits().maxDepth) {
                    repair.state = ReportRepair::State::Unrepairable;
                    repair.problem = "its elements are nested deeper than " +
                                     std::to_string(ReaderLimits().maxDepth) + " levels";
                    return repair;
                }
                StartTag();
                break;
            case CXmlPullParser::Token::EndTag:
                EndTag();
                break;
            case CXmlPullParser::Token::Text:
                if (IsBlank(m_parser.Text())) {
                    if (m_atRecordEnd)
                        Candidate(m_parser.TokenEnd()); // the line end of the record
                } else if (!sawElement) {
                    textFirst = true; // not XML, unless the file ends before anything else
                } else {
                    m_atRecordEnd = false;
                }
                break;
            default:
                break;
            }
        }
        repair.size = m_source.Count();
        if (m_source.Failed()) {
            repair.state = ReportRepair::State::Unrepairable;
            repair.problem = "reading it failed";
            return repair;
        }
        const bool endsClean = !m_parser.EndedInsideMarkup();
        if (!sawElement) {
            repair.state = ReportRepair::State::Unrepairable;
            repair.problem = repair.size == 0 ? "it is empty" : "it ends before its first complete record";
            return repair;
        }
        if (endsClean && (m_frames.empty() || (m_frames.size() == 1 && m_frames[0].kind == Kind::Report &&
                                               m_atRecordEnd && m_cut.offset == repair.size))) {
            repair.state = ReportRepair::State::Intact;
            repair.keep = repair.size;
            return repair;
        }
        if (!m_haveCut || !m_cut.keepsElement) {
            repair.state = ReportRepair::State::Unrepairable;
            repair.problem = repair.size == 0 ? "it is empty" : "it ends before its first complete record";
            return repair;
        }
        repair.state = ReportRepair::State::Repaired;
        repair.keep = m_cut.offset;
        repair.problem = Problem(endsClean);
        for (auto it = m_cut.open.rbegin(); it != m_cut.open.rend(); ++it) {
            repair.closing += ClosingOf(it->name);
            repair.closed.push_back(it->id.empty() ? it->name : it->name + " " + it->id);
            repair.markedStopped = repair.markedStopped || it->name == "Doc" || it->name == "Action";
        }
        return repair;
    }

private:
    enum class Kind { Report, Node, General, Part, Skip };
    struct Frame {
        Kind kind;
        std::string name;
        std::string id;
        bool endPart = false;     // a node's end part has begun
    };
    struct Open {
        std::string name;
        std::string id;
    };
    struct Cut {
        uint64_t offset = 0;
        std::vector<Open> open; // the elements open there, outermost first
        bool keepsElement = false; // an element begins before it
    };

    ReportRepair Foreign(const std::string& problem)
    {
        ReportRepair repair;
        repair.state = ReportRepair::State::Foreign;
        repair.problem = problem;
        repair.size = m_source.Count();
        return repair;
    }

    std::string Problem(bool endsClean) const
    {
        for (auto it = m_frames.rbegin(); it != m_frames.rend(); ++it)
            if (it->kind == Kind::Node)
                return "it ends inside the element <" + it->name + (it->id.empty() ? "" : " rID=\"" + it->id + "\"") +
                       "> (the run was cut short)";
        return endsClean ? "its last record is not complete" : "it ends inside an element (the file was cut short)";
    }

    Frame* Top() { return m_frames.empty() ? nullptr : &m_frames.back(); }

    // A place where the file may end: everything before it is whole records,
    // and only node elements and the Report element are open there.
    void Candidate(uint64_t offset)
    {
        if (m_insideWhole > 0)
            return; // a table or additional information is one record
        m_cut.offset = offset;
        m_cut.keepsElement = m_elementsEnded > 0 || !m_frames.empty();
        m_haveCut = true;
        // Only the elements opened since the last candidate are copied.
        m_cut.open.resize(std::min(m_cut.open.size(), m_lowWater));
        for (size_t i = m_cut.open.size(); i < m_frames.size(); ++i)
            m_cut.open.push_back(Open{m_frames[i].name, m_frames[i].id});
        m_lowWater = m_frames.size();
    }

    void Push(Kind kind)
    {
        Frame frame{kind, m_parser.Name(), std::string(), false};
        if (kind == Kind::Node || kind == Kind::Report) {
            if (const std::string* id = m_parser.Attribute("rID"))
                frame.id = *id;
        }
        if (kind == Kind::Node && IsWholeRecord(frame.name))
            ++m_insideWhole;
        m_frames.push_back(std::move(frame));
    }

    void StartTag()
    {
        const std::string& name = m_parser.Name();
        const uint64_t start = m_parser.TokenStart();
        Frame* top = Top();
        m_atRecordEnd = false;
        if (!top || top->kind == Kind::Report) {
            if (name == "Report" && !top) {
                Push(Kind::Report);
                m_atRecordEnd = true; // the prologue record ends with the start tag
                Candidate(m_parser.Offset());
            } else if (name == "General") {
                Candidate(start);
                Push(Kind::General);
            } else if (name == "Doc" || name == "BPT") {
                Candidate(start);
                Push(Kind::Node);
            } else {
                Push(Kind::Skip);
            }
            return;
        }
        if (top->kind != Kind::Node) {
            Push(Kind::Skip);
            return;
        }
        const bool whole = IsWholeRecord(top->name);
        if (IsNodeName(name)) {
            if (!whole)
                Candidate(start);
            Push(Kind::Node);
            return;
        }
        if (name == "TimeTick")
            m_stepsHaveTicks = true;
        if ((name == "Summary" || name == "NodeArgs") && !top->endPart && !whole && top->name != "BPT") {
            Candidate(start);
            top->endPart = true;
        }
        Push(Kind::Part);
    }

    void EndTag()
    {
        if (m_frames.empty())
            return; // an end tag without its start ends nothing
        Frame frame = std::move(m_frames.back());
        if ((frame.kind == Kind::Node && !frame.endPart && !IsWholeRecord(frame.name)) || frame.kind == Kind::Report)
            Candidate(m_parser.TokenStart()); // the end record is the end tag alone
        m_frames.pop_back();
        ++m_elementsEnded;
        m_lowWater = std::min(m_lowWater, m_frames.size());
        if (frame.kind == Kind::Node && IsWholeRecord(frame.name))
            --m_insideWhole;
        m_atRecordEnd = frame.kind == Kind::Node || frame.kind == Kind::General || frame.kind == Kind::Report;
        if (frame.kind == Kind::Part) {
            Frame* parent = Top();
            if (parent && parent->kind == Kind::Node && !parent->endPart)
                m_atRecordEnd = LeadingPartEndsWith(parent->name, frame.name, m_stepsHaveTicks);
        }
        if (m_atRecordEnd)
            Candidate(m_parser.Offset());
    }

    CCountingSource m_source;
    CXmlPullParser m_parser;
    std::vector<Frame> m_frames;
    Cut m_cut;
    bool m_haveCut = false;
    size_t m_lowWater = 0;     // the fewest frames open since the last candidate
    bool m_atRecordEnd = false; // the last token ended a record
    bool m_stepsHaveTicks = false;
    int m_insideWhole = 0;     // tables and additional informations open
    uint64_t m_elementsEnded = 0;
};

// "T12" as 12; 0 for anything else.
long IdNumber(const std::string& id)
{
    if (id.size() < 2 || id[0] != 'T')
        return 0;
    long long value = 0;
    for (size_t i = 1; i < id.size(); ++i) {
        if (id[i] < '0' || id[i] > '9')
            return 0;
        value = std::min<long long>(value * 10 + (id[i] - '0'), INT_MAX);
    }
    return static_cast<long>(value);
}

long OsVersionOf(const std::string& name)
{
    static const char* const names[] = {"Windows NT version 4.0", "Windows 2000", "Windows Millennium",
                                        "Windows XP", "Windows 2003", "Windows Vista"};
    for (long i = 0; i < 6; ++i)
        if (name == names[i])
            return i + 4;
    return -1;
}

// A value on one line of the file.
std::string OneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string Utf8ToUtf16Le(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        uint32_t code = c;
        size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        if (length > 1) {
            code = c & (0xFF >> (length + 1));
            for (size_t k = 1; k < length && i + k < text.size(); ++k)
                code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += length;
        auto unit = [&out](uint32_t u) {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        };
        if (code >= 0x10000) {
            code -= 0x10000;
            unit(0xD800 + (code >> 10));
            unit(0xDC00 + (code & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out;
}

} // namespace

ReportRepair PlanReportRepair(CByteSource& source) { return CRepairPlanner(source).Plan(); }

size_t CRepairedByteSource::Read(char* buffer, size_t size)
{
    size_t given = 0;
    while (m_left > 0 && given < size) {
        size_t wanted = static_cast<size_t>(std::min<uint64_t>(m_left, size - given));
        size_t got = m_original.Read(buffer + given, wanted);
        if (got == 0) {
            m_short = true;
            return given;
        }
        given += got;
        m_left -= got;
    }
    size_t closing = std::min(size - given, m_closing.size() - m_closingAt);
    std::copy(m_closing.data() + m_closingAt, m_closing.data() + m_closingAt + closing, buffer + given);
    m_closingAt += closing;
    return given + closing;
}

std::string RepairReportBytes(const std::string& bytes, ReportRepair* repair)
{
    CMemoryByteSource source(bytes);
    ReportRepair plan = PlanReportRepair(source);
    std::string repaired = plan.state == ReportRepair::State::Repaired
                               ? bytes.substr(0, static_cast<size_t>(plan.keep)) + plan.closing
                               : bytes;
    if (repair)
        *repair = std::move(plan);
    return repaired;
}

GeneralInfo GeneralInfoFromReport(CByteSource& source)
{
    GeneralInfo info;
    info.found = true;
    long highest = 0;
    bool haveTest = false;
    long long iteration = 0;
    size_t testDepth = 0;
    CResultsReader reader(source);
    while (reader.Next()) {
        if (reader.Current() != CResultsReader::Event::NodeStart)
            continue;
        const Node& node = reader.CurrentNode();
        highest = std::max(highest, IdNumber(node.id));
        const Node* parent = reader.Ancestor(0);
        if (node.kind == NodeKind::Test &&
            (!parent || (parent->kind == NodeKind::BusinessProcess && !reader.Ancestor(1)))) {
            haveTest = true;
            iteration = 0;
            testDepth = static_cast<size_t>(node.depth);
        } else if (node.kind == NodeKind::TestIteration && haveTest && parent && parent->kind == NodeKind::Test &&
                   static_cast<size_t>(parent->depth) == testDepth) {
            iteration = node.iteration;
        }
    }
    const ReportInfo& report = reader.Report();
    info.product = report.productName;
    info.version = report.productVersion;
    info.testHost = report.host;
    info.vaultServer = report.vaultServer;
    info.vaultProject = report.vaultProject;
    info.testLocation = report.location;
    info.osVersion = OsVersionOf(report.os);
    info.total = highest;
    long long global = haveTest ? iteration * 1000 : -1;
    info.globalIteration = static_cast<long>(std::max<long long>(std::min<long long>(global, INT_MAX), INT_MIN));
    return info;
}

std::string GeneralInfoFileBytes(const GeneralInfo& info)
{
    std::string text = "[General]\r\n";
    auto line = [&text](const char* key, const std::string& value) {
        text += std::string(key) + "=" + OneLine(value) + "\r\n";
    };
    line("Product", info.product);
    line("Version", info.version);
    line("Total", std::to_string(info.total));
    line("Title", info.title);
    line("OSVersion", std::to_string(info.osVersion));
    line("TestLocation", info.testLocation);
    line("TestOnHost", info.testHost);
    line("GlobalIteration", std::to_string(info.globalIteration));
    if (!info.userName.empty()) {
        line("UserName", info.userName);
        line("Password", std::string());
    }
    line("VaultServer", info.vaultServer);
    line("VaultProject", info.vaultProject);
    return "\xFF\xFE" + Utf8ToUtf16Le(text);
}

bool RaiseGeneralInfoTotal(std::string& bytes, long total)
{
    const bool utf16 = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    const bool utf8Mark = !utf16 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    std::string text = utf16 ? Utf16LeToUtf8(bytes.data() + 2, bytes.size() - 2) : bytes.substr(utf8Mark ? 3 : 0);
    // Lines with their ends; the section header line of [General], the Total line.
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    bool inGeneral = false;
    size_t header = lines.size(), totalLine = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = TrimmedIniText(lines[i].substr(0, lines[i].find('\n')));
        if (!line.empty() && line[0] == '[') {
            size_t close = line.find(']');
            inGeneral = close != std::string::npos && SameIniName(TrimmedIniText(line.substr(1, close - 1)), "General");
            if (inGeneral && header == lines.size())
                header = i;
            continue;
        }
        size_t equals = line.find('=');
        if (inGeneral && equals != std::string::npos && SameIniName(TrimmedIniText(line.substr(0, equals)), "Total") &&
            totalLine == lines.size())
            totalLine = i;
    }
    std::string lineEnd = text.find("\r\n") != std::string::npos || text.empty() ? "\r\n" : "\n";
    std::string newLine = "Total=" + std::to_string(total) + lineEnd;
    if (totalLine < lines.size()) {
        std::string line = TrimmedIniText(lines[totalLine].substr(0, lines[totalLine].find('\n')));
        std::string value = TrimmedIniText(line.substr(line.find('=') + 1));
        char* end = nullptr;
        long long current = std::strtoll(value.c_str(), &end, 10);
        if (end != value.c_str() && current >= total)
            return false;
        lines[totalLine] = newLine;
    } else if (header < lines.size()) {
        if (lines[header].empty() || lines[header].back() != '\n')
            lines[header] += lineEnd;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(header) + 1, newLine);
    } else {
        if (!lines.empty() && lines.back().back() != '\n')
            lines.back() += lineEnd;
        lines.push_back("[General]" + lineEnd);
        lines.push_back(newLine);
    }
    std::string joined;
    for (const std::string& line : lines)
        joined += line;
    bytes = utf16 ? "\xFF\xFE" + Utf8ToUtf16Le(joined) : (utf8Mark ? "\xEF\xBB\xBF" : "") + joined;
    return true;
}

} // namespace results
