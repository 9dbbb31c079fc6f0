#include "annalist/RepairCommand.h"

#include <filesystem>
#include <system_error>

#include "annalist/OutputFile.h"
#include "results/ByteSource.h"
#include "results/ReportRepair.h"
#include "results/ResultsFolder.h"
#include "results/ResultsReader.h"

namespace {

std::string Shown(const std::filesystem::path& path)
{
    std::error_code code;
    std::filesystem::path absolute = std::filesystem::absolute(path, code);
    std::filesystem::path shown = code ? path : absolute.lexically_normal();
    return shown.make_preferred().u8string();
}

bool IsSymbolicLink(const std::filesystem::path& path)
{
    std::error_code code;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path, code));
}

// Copies a byte source into a file being written; false with the reason.
bool CopyInto(COutputFile& out, results::CByteSource& source, std::string& error)
{
    char block[1 << 16];
    for (size_t got; (got = source.Read(block, sizeof(block))) > 0;)
        out.Write(block, got);
    if (source.Failed()) {
        error = "reading the original failed";
        return false;
    }
    return true;
}

// Writes a file whole from bytes in memory (through a temporary file that
// replaces it at the end); false with the reason.
bool WriteFileBytes(const std::filesystem::path& path, const std::string& bytes, std::string& error)
{
    COutputFile out;
    if (!out.Open(path.u8string(), error))
        return false;
    out.Write(bytes);
    return out.Commit(error);
}

// The repaired report written over the torn one. The torn file is closed
// before it is replaced (Windows replaces no file that is open).
bool WriteRepairedReport(const std::string& resultsFile, const results::ReportRepair& repair, std::string& error)
{
    COutputFile out;
    if (!out.Open(resultsFile, error))
        return false;
    {
        results::CFileByteSource original;
        if (!original.Open(resultsFile, error))
            return false;
        results::CRepairedByteSource repaired(original, repair);
        if (!CopyInto(out, repaired, error))
            return false;
    }
    return out.Commit(error);
}

std::string Joined(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

} // namespace

int RunRepairCommand(const RepairOptions& options, CConsole& console)
{
    std::string resultsFile, error;
    if (!results::FindResultsFile(options.resultsFolder, resultsFile, error)) {
        console.Message("annalist: " + error);
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::u8path(options.resultsFolder);
    const std::filesystem::path report = std::filesystem::u8path(resultsFile);
    const std::filesystem::path info = folder / "GeneralInfo.ini";
    // A link planted in the folder could make the repair read or replace a
    // file elsewhere: links are not followed.
    for (const std::filesystem::path& file : {report, info}) {
        if (IsSymbolicLink(file)) {
            console.Message("annalist: \"" + Shown(file) + "\" is a symbolic link; a results folder's files are "
                            "repaired only when they are files of their own");
            return 2;
        }
    }

    // Reads the report from its start with read(source); false (said) when
    // it cannot be opened.
    auto readReport = [&](auto read) {
        results::CFileByteSource source;
        if (!source.Open(resultsFile, error)) {
            console.Message("annalist: cannot read \"" + Shown(report) + "\": " + error);
            return false;
        }
        read(source);
        return true;
    };
    results::ReportRepair repair;
    if (!readReport([&](results::CFileByteSource& source) { repair = results::PlanReportRepair(source); }))
        return 2;
    switch (repair.state) {
    case results::ReportRepair::State::Foreign:
        console.Message("annalist: \"" + Shown(report) + "\" is not a results file: " + repair.problem);
        return 2;
    case results::ReportRepair::State::Unrepairable:
        console.Message("annalist: cannot repair \"" + Shown(report) + "\": " + repair.problem);
        return 2;
    default:
        break;
    }

    bool changed = false;
    if (repair.state == results::ReportRepair::State::Repaired) {
        // The repaired report is checked before it replaces the torn one.
        {
            results::CFileByteSource check;
            if (!check.Open(resultsFile, error)) {
                console.Message("annalist: cannot read \"" + Shown(report) + "\": " + error);
                return 2;
            }
            results::CRepairedByteSource checked(check, repair);
            results::CResultsReader reader(checked);
            while (reader.Next()) {
            }
            if (!reader.Outcome().Complete() || reader.Outcome().reportOpen) {
                console.Message("annalist: the repair of \"" + Shown(report) +
                                "\" would not give a complete report (" + reader.Outcome().problem +
                                "); nothing was changed");
                return 1;
            }
        }
        if (!WriteRepairedReport(resultsFile, repair, error)) {
            console.Message("annalist: cannot write the repaired report: " + error);
            return 1;
        }
        changed = true;
        uint64_t dropped = repair.size - repair.keep;
        console.Print("Results.xml: " + repair.problem + ".\n  Cut back to its last complete record (byte " +
                      std::to_string(repair.keep) + " of " + std::to_string(repair.size) + ", " +
                      std::to_string(dropped) + (dropped == 1 ? " byte" : " bytes") + " of an unfinished record dropped)" +
                      (repair.closed.empty() ? std::string(".") : "; closed: " + Joined(repair.closed) + ".") + "\n" +
                      (repair.markedStopped ? "  The run is marked as not completed (stopped=\"True\").\n" : ""));
    }

    // GeneralInfo.ini: rebuilt when it is missing, its Total raised when the
    // report holds higher node numbers.
    results::GeneralInfo rebuilt;
    if (!readReport([&](results::CFileByteSource& source) { rebuilt = results::GeneralInfoFromReport(source); }))
        return 2;
    std::error_code code;
    if (!std::filesystem::exists(info, code)) {
        if (!WriteFileBytes(info, results::GeneralInfoFileBytes(rebuilt), error)) {
            console.Message("annalist: cannot write GeneralInfo.ini: " + error);
            return 1;
        }
        changed = true;
        console.Print("GeneralInfo.ini: rebuilt from the report (Total=" + std::to_string(rebuilt.total) +
                      ", GlobalIteration=" + std::to_string(rebuilt.globalIteration) + ").\n");
    } else {
        std::string bytes;
        if (!results::ReadSmallFile(info.u8string(), 1 << 20, bytes, error)) {
            console.Message("annalist: cannot read \"" + Shown(info) + "\": " + error);
            return 2;
        }
        long before = results::ParseGeneralInfo(bytes).total;
        if (results::RaiseGeneralInfoTotal(bytes, rebuilt.total)) {
            if (!WriteFileBytes(info, bytes, error)) {
                console.Message("annalist: cannot write GeneralInfo.ini: " + error);
                return 1;
            }
            changed = true;
            console.Print("GeneralInfo.ini: Total raised from " + std::to_string(before) + " to " +
                          std::to_string(rebuilt.total) + " (the report holds nodes up to T" +
                          std::to_string(rebuilt.total) + ").\n");
        }
    }
    if (!changed)
        console.Print("Nothing to repair: \"" + Shown(folder) + "\" is complete.\n");
    else
        console.Print("Repaired: \"" + Shown(folder) + "\".\n");
    return 0;
}
