#include "annalist/ResultsCommands.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "annalist/ExportWriters.h"
#include "annalist/HtmlReportWriter.h"
#include "annalist/OutputFile.h"
#include "annalist/RunCollector.h"
#include "annalist/RunOverview.h"
#include "pal/tool_support.h"
#include "results/ByteSource.h"
#include "results/GeneralInfo.h"
#include "results/ResultsFolder.h"
#include "results/ResultsReader.h"

namespace {

// A path for display: absolute, with the platform's separators.
std::string Shown(const std::string& utf8Path)
{
    std::error_code code;
    std::filesystem::path path = std::filesystem::absolute(std::filesystem::u8path(utf8Path), code);
    if (code)
        return utf8Path;
    return path.lexically_normal().make_preferred().u8string();
}

// The results folder opened for reading, or a one-line error.
class CResultsInput {
public:
    bool Open(const std::string& folder, CConsole& console)
    {
        std::string error;
        if (!results::FindResultsFile(folder, m_file, error)) {
            console.Message("annalist: " + error);
            return false;
        }
        if (!m_source.Open(m_file, error)) {
            console.Message("annalist: cannot read \"" + Shown(m_file) + "\": " + error);
            return false;
        }
        m_info = results::ReadGeneralInfo(folder);
        m_reader = std::make_unique<results::CResultsReader>(m_source);
        return true;
    }

    results::CResultsReader& Reader() { return *m_reader; }
    const results::GeneralInfo& Info() const { return m_info; }

    // Reads the whole file, showing each event to every observer; then
    // whether what was read is Usable.
    template <typename... Observers>
    bool ReadAll(CConsole& console, bool& incomplete, Observers&... observers)
    {
        while (m_reader->Next())
            (observers.Observe(*m_reader), ...);
        return Usable(console, incomplete);
    }

    // After reading: false (with the message given) when there is nothing
    // to write; `incomplete` when what there is was cut short.
    bool Usable(CConsole& console, bool& incomplete) const
    {
        const results::ReadOutcome& outcome = m_reader->Outcome();
        incomplete = !outcome.Complete();
        if (outcome.foreign) {
            console.Message("annalist: \"" + Shown(m_file) + "\" is not a results file: " + outcome.problem);
            return false;
        }
        if (incomplete && outcome.runs == 0) {
            console.Message("annalist: cannot read \"" + Shown(m_file) + "\": " + outcome.problem);
            return false;
        }
        return true;
    }

    void WarnIncomplete(CConsole& console, const std::string& what) const
    {
        console.Message("annalist: warning: \"" + Shown(m_file) + "\" is incomplete: " +
                        m_reader->Outcome().problem + "; " + what + " shows what was read");
    }

private:
    std::string m_file;
    results::CFileByteSource m_source;
    results::GeneralInfo m_info;
    std::unique_ptr<results::CResultsReader> m_reader;
};

// The results folder as a URL relative to the report's folder ("" when
// they are the same folder); false when there is no relative way.
bool RelativeLink(const std::string& resultsFolder, const std::string& reportFile, std::string& link)
{
    std::error_code code;
    std::filesystem::path results = std::filesystem::absolute(std::filesystem::u8path(resultsFolder), code);
    std::filesystem::path report =
        std::filesystem::absolute(std::filesystem::u8path(reportFile), code).parent_path();
    if (code)
        return false;
    std::filesystem::path relative = results.lexically_normal().lexically_relative(report.lexically_normal());
    if (relative.empty())
        return false;
    link = relative.generic_u8string();
    if (link == ".")
        link.clear();
    else if (!link.empty() && link.back() != '/')
        link += '/';
    std::string encoded;
    for (unsigned char c : link) {
        static const char hex[] = "0123456789ABCDEF";
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    link = encoded;
    return true;
}

std::string FileUrl(const std::string& path)
{
    std::string generic = std::filesystem::u8path(path).generic_u8string();
    std::string url = "file://";
    if (generic.empty() || generic[0] != '/')
        url += '/';
    for (unsigned char c : generic) {
        static const char hex[] = "0123456789ABCDEF";
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/' || c == ':')
            url += static_cast<char>(c);
        else
            url += '%', url += hex[c >> 4], url += hex[c & 15];
    }
    return url;
}

std::string Counts(const CRunOverview& overview)
{
    return "passed " + std::to_string(overview.Passed()) + ", failed " + std::to_string(overview.Failed()) +
           ", warnings " + std::to_string(overview.Warnings());
}

} // namespace

int RunReportCommand(const ReportOptions& options, CConsole& console)
{
    CResultsInput input;
    if (!input.Open(options.resultsFolder, console))
        return 2;
    std::string outputFile = options.outputFile.empty()
                                 ? (std::filesystem::u8path(options.resultsFolder) / "report.html").u8string()
                                 : options.outputFile;
    HtmlReportSettings settings;
    settings.resultsFolder = options.resultsFolder;
    settings.folderShown = Shown(options.resultsFolder);
    settings.embedPictures = options.embedPictures;
    if (!RelativeLink(options.resultsFolder, outputFile, settings.resultsLink))
        settings.embedPictures = true; // no way to link them from where the report goes
    COutputFile out;
    std::string error;
    if (!out.Open(outputFile, error)) {
        console.Message("annalist: cannot write the report: " + error);
        return 2;
    }
    CRunOverview overview;
    CHtmlReportWriter writer(out, settings);
    writer.Begin();
    bool incomplete = false;
    if (!input.ReadAll(console, incomplete, overview, writer))
        return 2;
    results::CResultsReader& reader = input.Reader();
    writer.Finish(reader, overview, input.Info());
    if (!out.Commit(error)) {
        console.Message("annalist: " + error);
        return 2;
    }
    if (incomplete)
        input.WarnIncomplete(console, "the report");
    console.Print("Report of \"" + overview.Name(input.Info()) + "\": " + results::StatusName(overview.Status()) +
                  " (" + Counts(overview) + ")\n");
    console.Print("Written to " + Shown(outputFile) + "\n");
    if (PAL_IsTerminal(stdout))
        console.Print("Open it in a browser: " + FileUrl(Shown(outputFile)) + "\n");
    if (incomplete)
        return 2;
    return OutcomeFails(options.failOn, overview.Status()) ? 1 : 0;
}

int RunExportCommand(const ExportOptions& options, CConsole& console)
{
    CResultsInput input;
    if (!input.Open(options.resultsFolder, console))
        return 2;
    struct Target {
        const std::string& path;
        const char* what;
        COutputFile file;
    };
    Target junit{options.junitFile, "JUnit XML", {}};
    Target summary{options.summaryJsonFile, "summary", {}};
    for (Target* target : {&junit, &summary}) {
        std::string error;
        if (!target->path.empty() && !target->file.Open(target->path, error)) {
            console.Message(std::string("annalist: cannot write the ") + target->what + ": " + error);
            return 2;
        }
    }
    CRunOverview overview;
    CRunCollector collector;
    bool incomplete = false;
    if (!input.ReadAll(console, incomplete, overview, collector))
        return 2;
    results::CResultsReader& reader = input.Reader();
    ExportInput exportInput{collector, overview, input.Info(), reader};
    if (!junit.path.empty())
        junit.file.Write(JUnitXml(exportInput));
    if (!summary.path.empty())
        summary.file.Write(SummaryJson(exportInput));
    for (Target* target : {&junit, &summary}) {
        std::string error;
        if (!target->path.empty() && !target->file.Commit(error)) {
            console.Message("annalist: " + error);
            return 2;
        }
    }
    if (incomplete)
        input.WarnIncomplete(console, "the export");
    for (Target* target : {&junit, &summary})
        if (!target->path.empty() && target->path != "-")
            console.Message(std::string(target->what == std::string("summary") ? "Summary" : "JUnit XML") +
                            " written to " + Shown(target->path));
    if (incomplete)
        return 2;
    return OutcomeFails(options.failOn, overview.Status()) ? 1 : 0;
}

bool ReadRecordedStatus(const std::string& resultsFolder, results::Status& status, std::string& error)
{
    std::string file;
    if (!results::FindResultsFile(resultsFolder, file, error))
        return false;
    results::CFileByteSource source;
    if (!source.Open(file, error))
        return false;
    results::CResultsReader reader(source);
    CRunOverview overview;
    while (reader.Next())
        overview.Observe(reader);
    if (!reader.Outcome().Complete()) {
        error = "\"" + Shown(file) + "\" is incomplete: " + reader.Outcome().problem;
        return false;
    }
    status = overview.Status();
    return true;
}
