#include "support/TreeDump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "support/TestSupport.h"

namespace test {

namespace {

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\', out += c;
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out + "\"";
}

void Field(std::string& line, const char* name, const std::string& value)
{
    if (!value.empty())
        line += std::string(" ") + name + "=" + Quoted(value);
}

class CDumper {
public:
    std::string Run(results::CByteSource& source)
    {
        results::CResultsReader reader(source);
        while (reader.Next()) {
            switch (reader.Current()) {
            case results::CResultsReader::Event::ReportStart:
                m_lines.push_back("report ver=" + reader.Report().version + " tmZone=" + reader.Report().timeZone);
                break;
            case results::CResultsReader::Event::General: {
                const results::ReportInfo& report = reader.Report();
                std::string line = "general";
                Field(line, "product", report.productName);
                Field(line, "version", report.productVersion);
                Field(line, "os", report.os);
                Field(line, "host", report.host);
                Field(line, "server", report.vaultServer);
                Field(line, "project", report.vaultProject);
                Field(line, "location", report.location);
                m_lines.push_back(line);
                break;
            }
            case results::CResultsReader::Event::NodeStart:
                if (reader.CurrentNode().hasTimeTick && !m_hasBase) {
                    m_hasBase = true;
                    m_base = reader.CurrentNode().timeTick;
                }
                m_open.push_back(m_lines.size());
                m_lines.emplace_back();
                break;
            case results::CResultsReader::Event::NodeEnd:
                NodeEnd(reader.CurrentNode());
                break;
            case results::CResultsReader::Event::End: {
                const results::ReadOutcome& outcome = reader.Outcome();
                std::string line = std::string("end ") + (outcome.Complete() ? "complete" : "incomplete");
                if (outcome.foreign)
                    line += " foreign";
                if (outcome.truncated)
                    line += " truncated";
                if (outcome.tooDeep)
                    line += " too-deep";
                if (outcome.reportOpen)
                    line += " report-open";
                line += " reports=" + std::to_string(outcome.reports) + " runs=" + std::to_string(outcome.runs) +
                        " nodes=" + std::to_string(outcome.nodes) + " steps=" + std::to_string(outcome.steps);
                Field(line, "problem", outcome.problem);
                m_lines.push_back(line);
                break;
            }
            }
        }
        std::string out;
        for (const std::string& line : m_lines)
            out += line + "\n";
        return out;
    }

private:
    std::string Tick(int64_t tick)
    {
        if (!m_hasBase) {
            m_hasBase = true;
            m_base = tick;
        }
        return "+" + std::to_string(tick - m_base);
    }

    void NodeEnd(const results::Node& node)
    {
        const std::string indent(static_cast<size_t>(node.depth) * 2, ' ');
        std::string line = indent + results::NodeKindName(node.kind);
        if (!node.id.empty())
            line += " " + node.id;
        line += " " + Quoted(node.Title()) + " " + results::StatusName(node.status);
        if (node.recordedStatus != node.status)
            line += std::string(" (recorded ") + results::StatusName(node.recordedStatus) + ")";
        if (!node.complete)
            line += " INCOMPLETE";
        if (node.iteration)
            line += " iteration=" + std::to_string(node.iteration);
        if (!node.nameIsPlain)
            line += " name-html";
        Field(line, "details", node.details);
        if (!node.detailsArePlain)
            line += " details-html";
        Field(line, "html", node.html);
        Field(line, "value", node.value);
        Field(line, "time", node.time);
        if (node.hasTimeTick)
            line += " tick=" + Tick(node.timeTick);
        Field(line, "retval", node.returnValue);
        Field(line, "res", node.resultName);
        Field(line, "dver", node.version);
        Field(line, "tset", node.testSet);
        Field(line, "tinst", node.testInstance);
        if (node.kind == results::NodeKind::Test) {
            line += " type=" + node.testType;
            Field(line, "product", node.productName);
        }
        for (const std::string& flag : node.runType)
            line += " run:" + flag;
        if (node.textCut)
            line += " text-cut";
        const results::NodeArgs& args = node.args;
        if (args.present) {
            line += " | eType=" + args.eventType + " icon=" + args.icon + " nRep=" + args.eventId;
            Field(line, "iconSel", args.selectedIcon);
            Field(line, "nType", args.nodeType);
            if (!args.filtered)
                line += " filter=False";
            Field(line, "movie", args.movieMarker);
            Field(line, "source", args.source);
            Field(line, "sourceLine", args.sourceLine);
            if (args.display != node.name)
                Field(line, "disp", args.display);
            Field(line, "top", args.topPanePath);
            Field(line, "vType", args.viewerType);
            Field(line, "path", args.bottomPanePath);
            Field(line, "wr", args.bottomPaneWr);
            Field(line, "hilite", args.highlight);
        }
        const bool leaf = node.kind == results::NodeKind::AdditionalInfo || node.kind == results::NodeKind::DataTable;
        if ((!node.IsStep() && !leaf) || node.counts.steps > 1) {
            line += " | steps=" + std::to_string(node.counts.steps) + " p" + std::to_string(node.counts.passed) +
                    " f" + std::to_string(node.counts.failed) + " w" + std::to_string(node.counts.warnings);
        }
        if (node.hasTicks && (!node.IsStep() || node.firstTick != node.lastTick))
            line += " ticks=" + Tick(node.firstTick) + ".." + Tick(node.lastTick);
        m_lines[m_open.back()] = line;
        m_open.pop_back();
        const results::Summary& summary = node.summary;
        if (summary.present) {
            std::string text = indent + "  summary";
            Field(text, "sTime", summary.startTime);
            Field(text, "eTime", summary.endTime);
            if (summary.passed >= 0 || summary.failed >= 0 || summary.warnings >= 0)
                text += " counts=" + std::to_string(summary.passed) + "/" + std::to_string(summary.failed) + "/" +
                        std::to_string(summary.warnings);
            Field(text, "retval", summary.returnValue);
            if (summary.stopped)
                text += " stopped";
            m_lines.push_back(text);
            for (const results::SummaryParam& param : summary.params)
                m_lines.push_back(indent + "    param " + (param.output ? "out " : "in ") + Quoted(param.name) + "=" +
                                  Quoted(param.value));
        }
    }

    std::vector<std::string> m_lines;
    std::vector<size_t> m_open;
    bool m_hasBase = false;
    int64_t m_base = 0;
};

} // namespace

std::string DumpResultsTree(results::CByteSource& source) { return CDumper().Run(source); }

std::string DumpResultsTree(const std::string& bytes)
{
    results::CMemoryByteSource source(bytes);
    return DumpResultsTree(source);
}

void ExpectTreeMatches(const std::string& dump, const std::string& golden)
{
    const std::filesystem::path path = DataPath("results/" + golden);
    const char* update = std::getenv("ANNALIST_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        WriteFileBytes(path, dump);
        return;
    }
    EXPECT_EQ(dump, ReadFileBytes(path)) << "tree of " << golden;
}

} // namespace test
