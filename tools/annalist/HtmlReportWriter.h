// CHtmlReportWriter: the HTML report of a results folder, written while the
// results are read, in one pass and in memory bounded by the tree's depth.
//
// The page is a template (report/report-page.html: style sheet and script
// inline) around two data blocks. The tree block holds one line per node in
// the order of the file, each a JSON array:
//   [depth, kind, status, tick, flags, {fields}]
// kind 0 business process, 1 test, 2 test iteration, 3 action, 4 action
// iteration, 5 step, 6 HTML step, 7 data table, 8 additional information;
// status 0 passed, 1 failed, 2 done, 3 warning, 4 information; tick the
// step's time in seconds or null; flags 1 cut short, 2 the name was HTML,
// 4 the details are HTML, 16 a node with nodes inside. A node without nodes
// inside is one line. A node with nodes inside is a line with status -1
// (not known yet) before them and a line of kind -1 after them with its
// status and the fields of its end (node arguments, summary). The page
// parses a line only when it shows the node, so a run of a million steps
// opens in seconds. The run block (JSON) holds the header figures.
#pragma once

#include <set>
#include <string>

#include "annalist/OutputFile.h"
#include "annalist/RunOverview.h"
#include "results/GeneralInfo.h"
#include "results/ResultsReader.h"

struct HtmlReportSettings {
    std::string resultsFolder; // UTF-8 path
    std::string resultsLink;   // the results folder as a relative URL from the report ("" or ".../")
    std::string folderShown;   // the results folder for the header
    bool embedPictures = false;
};

class CHtmlReportWriter {
public:
    CHtmlReportWriter(COutputFile& out, const HtmlReportSettings& settings);
    CHtmlReportWriter(const CHtmlReportWriter&) = delete;
    CHtmlReportWriter& operator=(const CHtmlReportWriter&) = delete;

    void Begin();
    // Every event of the reader.
    void Observe(const results::CResultsReader& reader);
    // After the End event.
    void Finish(const results::CResultsReader& reader, const CRunOverview& overview,
                const results::GeneralInfo& info);

private:
    enum class Line { Whole, Start, End };
    void WriteNode(const results::Node& node, Line line);
    void StartFields(const results::Node& node, bool& first);
    void EndFields(const results::Node& node, bool& first);
    void Key(const char* key, bool& first);
    void Text(const char* key, const std::string& value, bool& first);
    void Number(const char* key, long long value, bool& first);
    void Flush(bool always);
    std::string EmbeddedPictures();

    COutputFile& m_out;
    HtmlReportSettings m_settings;
    std::string m_buffer;
    bool m_pendingStart = false;
    std::set<std::string> m_pictures; // distinct picture paths, for embedding
    std::string m_page;
};

// A picture's path as written by the logger ("Act1\Row2\Snapshot3.png",
// relative to the results folder) as a relative URL, percent-encoded; false
// for a path that is absolute or leads out of the results folder.
bool PictureLink(const std::string& path, std::string& link);
