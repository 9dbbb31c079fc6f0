#include "annalist/ReplayDriver.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>

#include "annalist/DescriptionBuilder.h"
#include "annalist/DescriptionKeys.h"
#include "annalist/LoggerFactory.h"
#include "annalist/NameSuggestion.h"
#include "annalist/RegFileImporter.h"
#include "annalist/ResultsCommands.h"
#include "annalist/RunOverview.h"
#include "annalist/TextConversion.h"
#include "core/StatusFilter.h"
#include "pal/tool_support.h"

namespace {

// A BSTR freed when it goes away.
class CScopedBstr {
public:
    explicit CScopedBstr(const WideString& text)
        : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    ~CScopedBstr() { SysFreeString(m_text); }
    CScopedBstr(const CScopedBstr&) = delete;
    CScopedBstr& operator=(const CScopedBstr&) = delete;
    BSTR Get() const { return m_text; }

private:
    BSTR m_text;
};

// COM for the thread while the object lives.
class CComApartment {
public:
    CComApartment() : m_hr(CoInitialize(nullptr)) {}
    ~CComApartment()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};

// The description of the error information the failed call left, or "".
std::string ErrorText()
{
    CInterfacePtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Out()) != S_OK || !info)
        return std::string();
    BSTR description = nullptr;
    std::string text;
    if (SUCCEEDED(info->GetDescription(&description)))
        text = Utf8FromBstr(description);
    SysFreeString(description);
    return text;
}

// How a call failed: its HRESULT, then the error information's text if any.
std::string FailureText(HRESULT hr)
{
    std::string text = ErrorText();
    return HresultText(hr) + (text.empty() ? "" : ": " + text);
}

// A path for display, with the platform's separator.
std::string Shown(const WideString& path)
{
    std::string text = Utf8FromWide(path);
    char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    for (char& c : text)
        if (c == '\\' || c == '/')
            c = separator;
    return text;
}

// A path of the logger (Windows-style: the platform layer takes backslashes
// everywhere) as the standard library takes it. It never throws: a lone
// surrogate (which the tool refuses before the replay) becomes U+FFFD, as
// the POSIX platform layer makes it in a file name.
std::filesystem::path PathOf(const WideString& path)
{
    std::string text = Utf8FromWide(path);
    for (char& c : text)
        if (c == '\\' || c == '/')
            c = static_cast<char>(std::filesystem::path::preferred_separator);
    try {
        return std::filesystem::u8path(text);
    } catch (const std::exception&) {
        return std::filesystem::path();
    }
}

// A path of the standard library as the logger takes it; never throws (a
// name that is not UTF-8 is taken byte by byte).
WideString WideOf(const std::filesystem::path& path)
{
    try {
        return WideFromUtf8Lenient(path.u8string());
    } catch (const std::exception&) {
        return WideString();
    }
}

// How many lines of each kind of warning are shown; the rest are counted.
// A log without times usually lacks them all: one line says so.
const long kShownWarnings[] = {10, 10, 10, 1, 10};

// What the closing line says of the warnings of a kind not shown.
const char* const kWarningKindNames[] = {
    "keys that mean nothing for their call",
    "events of a type the logger does not know",
    "description keys that no handler reads",
    "events without \"time\"",
    "events whose parent was never started",
};

// " (did you mean "X"?)" when a name is close to the word, else "".
std::string DidYouMean(const std::string& word, const std::vector<std::string>& names)
{
    std::string closest = ClosestName(word, names);
    return closest.empty() ? std::string() : " (did you mean \"" + closest + "\"?)";
}

// The status a step's description gives it, as the report filter reads it
// (an integer "Status" that is a valid status, else Done).
LONG FilteredStatus(const ReplayCall& call)
{
    if (!call.hasDescription)
        return kovDone;
    auto it = call.description.find("Status");
    if (it == call.description.end())
        return kovDone;
    const Json* value = &*it;
    if (value->is_object() && value->size() == 1 && value->contains("$i2"))
        value = &(*value)["$i2"];
    if (!value->is_number_integer())
        return kovDone;
    long long number = value->get<long long>();
    LONG status = static_cast<LONG>(number);
    if (number != status || !IsValidStatus(status))
        return kovDone;
    return status;
}

// A folder for comparing: absolute, the links resolved as far as it exists.
std::filesystem::path Resolved(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path.lexically_normal() : resolved;
}

// Whether `inner` is `outer` or lies inside it.
bool IsInside(const std::filesystem::path& inner, const std::filesystem::path& outer)
{
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty() && std::next(o) == outer.end())
            break; // "dir/" ends with an empty part
        if (i == inner.end() || *i != *o)
            return false;
    }
    return true;
}

// The files that make a folder a results folder, those that are present.
std::vector<std::string> ResultsFilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> present;
    std::error_code error;
    for (const char* name : {"Results.xml", "GeneralInfo.ini"})
        if (std::filesystem::is_regular_file(folder / name, error))
            present.push_back(name);
    return present;
}

} // namespace

CReplayDriver::CReplayDriver(const ReplayOptions& options, CConsole& console) : m_options(options), m_console(console)
{
}

void CReplayDriver::Fatal(const std::string& message) { m_console.Message("annalist: " + message); }

bool CReplayDriver::PrepareResultsFolder()
{
    // The logger's paths are Unicode text: a name that is not UTF-8 (or
    // spells a lone surrogate) would become another name on the way.
    if (!IsStrictUtf8(m_options.resultsFolder)) {
        Fatal("cannot use the results folder \"" + ShownBytes(m_options.resultsFolder) +
              "\": the name is not valid UTF-8");
        return false;
    }
    WideString given = WideFromUtf8Lenient(m_options.resultsFolder);
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(PathOf(given), error);
    if (error || m_options.resultsFolder.empty()) {
        Fatal("cannot use the results folder \"" + m_options.resultsFolder + "\": " +
              (error ? error.message() : std::string("the name is empty")));
        return false;
    }
    folder = folder.lexically_normal();
    if (!folder.has_filename() && folder != folder.root_path())
        folder = folder.parent_path(); // "results/" names the folder "results"
    m_resultsPath = WideOf(folder);
    const std::string shown = Shown(m_resultsPath);
    // The settings must keep the logger's folders inside this one.
    OutputSettings settings;
    settings.reportPath = m_resultsPath;
    if (!ReadDirectorySetting(m_root, settings.directory))
        settings.directory = W("."); // ReportPath will say what is missing
    if (!ReadSettingText(m_root, W("IterDir"), settings.iterDir))
        settings.iterDir = W("Row");
    m_iterDir = settings.iterDir;
    if (std::string problem = SettingsProblem(settings); !problem.empty()) {
        Fatal("cannot use the settings: " + problem);
        return false;
    }
    if (std::filesystem::exists(folder, error) && !std::filesystem::is_directory(folder, error)) {
        Fatal("cannot use the results folder \"" + shown + "\": it is a file, not a folder");
        return false;
    }
    if (!CheckEarlierResults(folder))
        return false;
    for (std::filesystem::path missing = folder; !missing.empty() && !std::filesystem::exists(missing, error);
         missing = missing.parent_path()) {
        m_createdFolders.insert(m_createdFolders.begin(), WideOf(missing));
        if (missing == missing.parent_path())
            break;
    }
    std::filesystem::create_directories(folder, error);
    if (error) {
        Fatal("cannot create the results folder \"" + shown + "\": " + error.message());
        RemoveCreatedFolders();
        return false;
    }
    // The logger writes there: try it.
    WideString probe = WideOf(folder / ("annalist-write-test-" + std::to_string(GetCurrentProcessId())));
    FILE* file = nullptr;
    errno_t failure = _wfopen_s(&file, probe.c_str(), W("wb"));
    if (failure != 0 || !file) {
        Fatal("cannot write in the results folder \"" + shown + "\": " + std::strerror(failure ? failure : EACCES));
        RemoveCreatedFolders();
        return false;
    }
    fclose(file);
    DeleteFileW(probe.c_str());
    return true;
}

bool CReplayDriver::CheckEarlierResults(const std::filesystem::path& outputFolder)
{
    // The logger writes into the -o folder, or into the folder "Directory"
    // names inside it.
    WideString directory;
    if (!ReadDirectorySetting(m_root, directory))
        directory = W(".");
    std::filesystem::path folder = PathOf(ResultsFolderFor(WideOf(outputFolder), directory)).lexically_normal();
    const std::string shown = Shown(WideOf(folder));
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return true; // missing: made for the run (a file there fails later)
    std::vector<std::string> results = ResultsFilesIn(folder);
    if (!m_options.clean) {
        if (!results.empty()) {
            m_earlierResults = results[0] + (results.size() > 1 ? ", " + results[1] : "");
            m_earlierFolder = shown;
        }
        return true;
    }
    if (std::filesystem::directory_iterator(folder, error) == std::filesystem::directory_iterator())
        return true; // empty (or unreadable: the write test tells)
    // A mistyped -o must never empty a folder that is not a results folder.
    std::string refusal;
    std::filesystem::path resolved = Resolved(folder);
    const std::string home = PAL_HomeFolder();
    if (results.empty())
        refusal = "it holds no Results.xml or GeneralInfo.ini, so it is not a results folder (empty it yourself if "
                  "you mean to)";
    else if (resolved == resolved.root_path())
        refusal = "it is the root of a file system";
    else if (!home.empty() && IsInside(Resolved(std::filesystem::u8path(home)), resolved))
        refusal = "it is or holds your home folder";
    if (refusal.empty() && m_options.eventsFile != "-" &&
        IsInside(Resolved(std::filesystem::absolute(std::filesystem::u8path(m_options.eventsFile), error)), resolved))
        refusal = "it holds the event log";
    if (refusal.empty() && !m_options.settingsFile.empty() &&
        IsInside(Resolved(std::filesystem::absolute(std::filesystem::u8path(m_options.settingsFile), error)),
                 resolved))
        refusal = "it holds the settings file";
    if (!refusal.empty()) {
        Fatal("--clean refuses to empty \"" + shown + "\": " + refusal);
        return false;
    }
    // Each entry goes (a link, not what it leads to).
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code failure;
        std::filesystem::remove_all(it->path(), failure);
        if (failure) {
            Fatal("--clean cannot empty \"" + shown + "\": cannot remove \"" + Shown(WideOf(it->path())) +
                  "\": " + failure.message());
            return false;
        }
    }
    if (error) {
        Fatal("--clean cannot empty \"" + shown + "\": " + error.message());
        return false;
    }
    return true;
}

void CReplayDriver::WarnAboutEarlierResults(const ReplayCall& call, long line)
{
    if (m_earlierResults.empty() || (call.type != "StartRepLog" && call.type != "EndBP"))
        return;
    bool append = false;
    if (call.hasDescription) {
        auto it = call.description.find("ReportAppendMode");
        append = it != call.description.end() &&
                 ((it->is_boolean() && it->get<bool>()) || (it->is_number_integer() && it->get<long long>() != 0));
    }
    if (!append) {
        ++m_statistics.warnings;
        m_console.Warning("line " + std::to_string(line) + ": warning: the results folder \"" + m_earlierFolder +
                          "\" already holds results (" + m_earlierResults +
                          "); this run is mixed with them (--clean empties the folder first)");
    }
    m_earlierResults.clear();
}

void CReplayDriver::Warn(WarningKind kind, long line, const std::string& text)
{
    ++m_statistics.warnings;
    if (m_shownWarnings[kind] == kShownWarnings[kind]) {
        ++m_hiddenWarnings[kind];
        return;
    }
    ++m_shownWarnings[kind];
    m_console.Warning("line " + std::to_string(line) + ": warning: " + text);
}

void CReplayDriver::ReportHiddenWarnings()
{
    for (int kind = 0; kind < kWarningKinds; ++kind) {
        if (m_hiddenWarnings[kind] != 0)
            m_console.Warning("annalist: warning: " + std::to_string(m_hiddenWarnings[kind]) + " more " +
                              kWarningKindNames[kind] + " (not shown one by one)");
    }
}

void CReplayDriver::NoteRecordedTypes(const WideString& root)
{
    for (int number = 1;; ++number) {
        WideString type;
        WideString name = WideFromUtf8Lenient("Eve" + std::to_string(number));
        if (!ReadSettingText(root, name.c_str(), type))
            break;
        m_recordedTypes.insert(Utf8FromWide(type));
    }
}

void CReplayDriver::CheckEvent(const ReplayCall& call, long line)
{
    const EventTypeKeys* entry = FindEventType(call.type);
    const bool recorded = m_recordedTypes.count(call.type) != 0;
    if (!entry && !recorded) {
        std::vector<std::string> names(m_recordedTypes.begin(), m_recordedTypes.end());
        for (const EventTypeKeys& known : KnownEventTypes())
            names.push_back(known.type);
        Warn(UnknownType, line,
             "the logger does not know the event type \"" + call.type + "\"" + DidYouMean(call.type, names) +
                 "; nothing is recorded for it");
    } else if (call.hasDescription) {
        const std::vector<std::string>& keys = entry ? entry->keys : OtherStepKeys();
        for (auto it = call.description.begin(); it != call.description.end(); ++it) {
            if (std::find(keys.begin(), keys.end(), it.key()) == keys.end())
                Warn(UnreadKey, line,
                     "no handler of \"" + call.type + "\" reads the description key \"" + it.key() + "\"" +
                         DidYouMean(it.key(), keys));
        }
    }
    if (!call.hasTime)
        Warn(NoTime, line, "no \"time\"; the event is stamped with this machine's clock");
    if (call.parent != 0 && !Started(call.parent))
        Warn(UnknownParent, line,
             "the parent " + std::to_string(call.parent) + " was never started (no earlier event has that id)");
    if (call.id == 0)
        return;
    NoteStarted(call.id);
    m_notRecorded.erase(call.id);
    // A step the report filter drops is not recorded: SetStatus then fails.
    const bool step = entry ? entry->step : recorded;
    if (!entry && !recorded) {
        NotRecorded& note = m_notRecorded[call.id];
        note.typeUnknown = true;
        note.type = call.type;
    } else if (step && m_filter != rfEnableAll && !PassesFilter(m_filter, FilteredStatus(call)) &&
               (m_filter == rfDisableAll || call.hasDescription)) {
        m_notRecorded[call.id].filterLine = m_filterLine;
    }
}

bool CReplayDriver::Started(LONG id) const
{
    if (id >= 0 && static_cast<size_t>(id) < m_startedIds.size())
        return m_startedIds[static_cast<size_t>(id)];
    return m_otherStartedIds.count(id) != 0;
}

void CReplayDriver::NoteStarted(LONG id)
{
    const LONG kMostBits = 1L << 24;
    if (id >= 0 && id < kMostBits) {
        if (static_cast<size_t>(id) >= m_startedIds.size())
            m_startedIds.resize(std::max<size_t>(static_cast<size_t>(id) + 1, 2 * m_startedIds.size()));
        m_startedIds[static_cast<size_t>(id)] = true;
    } else {
        m_otherStartedIds.insert(id);
    }
}

std::string CReplayDriver::NotRecordedNote(LONG id) const
{
    auto it = m_notRecorded.find(id);
    if (it == m_notRecorded.end())
        return std::string();
    const NotRecorded& note = it->second;
    if (note.typeUnknown)
        return "the event with id " + std::to_string(id) + " was not logged: the logger does not know its type \"" +
               note.type + "\"";
    return "the step with id " + std::to_string(id) + " was not logged: " +
           (note.filterLine == 0 ? std::string("--filter")
                                 : "the Filter call on line " + std::to_string(note.filterLine)) +
           " dropped it";
}

void CReplayDriver::RemoveCreatedFolders()
{
    std::error_code error;
    for (auto it = m_createdFolders.rbegin(); it != m_createdFolders.rend(); ++it)
        std::filesystem::remove(PathOf(*it), error); // only when empty
    m_createdFolders.clear();
}

bool CReplayDriver::PrepareSettings(CPrivateRegistry& registry)
{
    std::string error;
    if (!registry.Begin(error)) {
        Fatal(error);
        return false;
    }
    if (m_options.settingsFile.empty()) {
        if (!WriteDefaultSettings(m_root, error)) {
            Fatal("cannot write the default settings under HKEY_LOCAL_MACHINE\\" + Utf8FromWide(m_root) + ": " +
                  error);
            return false;
        }
        return true;
    }
    if (!ImportRegFile(WideFromUtf8Lenient(m_options.settingsFile), kPrivateKeyOptions, error)) {
        Fatal("cannot import the settings \"" + m_options.settingsFile + "\": " + error);
        return false;
    }
    return true;
}

bool CReplayDriver::StartLogger()
{
    SetEnvironmentVariableW(W("ANNALIST_PRODUCT_LEVEL"), m_options.earlierLevel ? W("earlier") : W("current"));
    HRESULT hr = CreateLogger(m_logger);
    if (FAILED(hr)) {
        Fatal("cannot create the logger through its class object: " + HresultText(hr));
        return false;
    }
    SetErrorInfo(0, nullptr);
    hr = m_logger->SetRegistryRoot(CScopedBstr(m_root).Get());
    if (FAILED(hr)) {
        Fatal("SetRegistryRoot failed: " + FailureText(hr));
        return false;
    }
    if (!UseResultsFolder())
        return false;
    NoteRecordedTypes(m_root);
    if (m_options.hasFilter) {
        m_filter = m_options.filter;
        SetErrorInfo(0, nullptr);
        hr = m_logger->put_Filter(static_cast<tagReportFilter>(m_options.filter));
        if (FAILED(hr)) {
            Fatal("Filter failed: " + FailureText(hr));
            return false;
        }
    }
    return true;
}

bool CReplayDriver::UseResultsFolder()
{
    SetErrorInfo(0, nullptr);
    HRESULT hr = m_logger->put_ReportPath(CScopedBstr(m_resultsPath).Get());
    const std::string failure = FAILED(hr) ? FailureText(hr) : std::string();
    WideString directory;
    const bool hasDirectory = ReadDirectorySetting(m_root, directory);
    if (FAILED(hr)) {
        Fatal("the logger cannot use the results folder \"" + Shown(m_resultsPath) + "\": ReportPath failed: " +
              failure +
              (hasDirectory ? "" : " (the settings have no \"Directory\" value under HKEY_LOCAL_MACHINE\\" +
                                       Utf8FromWide(m_root) + "; see --settings and --root)"));
        return false;
    }
    m_pathFolder = m_resultsFolder = ResultsFolderFor(m_resultsPath, directory);
    return true;
}

bool CReplayDriver::Refused(const OutputSettings& settings, const char* call, long line)
{
    std::string problem = SettingsProblem(settings);
    if (!problem.empty())
        Skipped(line, std::string(call) + " refused: " + problem);
    return !problem.empty();
}

void CReplayDriver::BeginCall()
{
    ++m_statistics.calls;
    SetErrorInfo(0, nullptr);
}

std::string CReplayDriver::SettingsProblem(const OutputSettings& settings) const
{
    std::string problem = UnusableSettingProblem(settings);
    if (problem.empty() && !m_options.allowOutside) {
        problem = OutsideProblem(m_resultsPath, settings);
        if (!problem.empty())
            problem += " (--allow-outside allows it)";
    }
    return problem;
}

void CReplayDriver::CallFailed(long line, const std::string& what, HRESULT hr, const std::string& note)
{
    ++m_statistics.failedCalls;
    // The note (why the call may have failed) names the line's own id, so a
    // failure with a note is never a repeat.
    std::string failure = what + " failed: " + FailureText(hr) + (note.empty() ? "" : " (" + note + ")");
    if (failure == m_lastFailure) {
        ++m_repeatedFailures;
        m_lastRepeatLine = line;
        return;
    }
    TellRepeatedFailures();
    m_lastFailure = failure;
    m_console.Message("line " + std::to_string(line) + ": " + failure);
    if (hr == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION) && !m_toldFolderInUse) {
        m_toldFolderInUse = true;
        m_console.Message("annalist: another run is writing into the results folder \"" + Shown(m_resultsFolder) +
                          "\"; the results of this replay are not written there");
    }
}

void CReplayDriver::TellRepeatedFailures()
{
    if (m_repeatedFailures != 0)
        m_console.Message("annalist: " + std::to_string(m_repeatedFailures) + " more call" +
                          (m_repeatedFailures == 1 ? "" : "s") + " failed the same way (the last on line " +
                          std::to_string(m_lastRepeatLine) + ")");
    m_repeatedFailures = 0;
}

void CReplayDriver::Skipped(long line, const std::string& reason)
{
    TellRepeatedFailures();
    m_lastFailure.clear();
    ++m_statistics.skippedLines;
    m_console.Message("line " + std::to_string(line) + ": " + reason + "; line skipped");
}

void CReplayDriver::NoteRunEvents(const std::string& type, long line)
{
    // Results are opened (in the folder of the last ReportPath) by these two.
    if (type == "StartRepLog" || type == "EndBP") {
        m_resultsFolder = m_pathFolder;
        m_runStarted = true;
    }
    if (type == "StartRepLog" && m_runStartLine == 0)
        m_runStartLine = line;
    else if (type == "EndRepLog" || type == "EndBP")
        m_runStartLine = 0;
}

bool CReplayDriver::Perform(const ReplayCall& call, long line)
{
    HRESULT hr = S_OK;
    switch (call.kind) {
    case CallKind::LogEvent: {
        CInterfacePtr<IDictionary> description;
        std::string reason;
        if (call.hasDescription && !BuildDescription(call.description, description, reason)) {
            Skipped(line, reason);
            return false;
        }
        CheckEvent(call, line);
        WarnAboutEarlierResults(call, line);
        WideString type;
        WideFromUtf8(call.type, type);
        CScopedBstr typeText(type);
        VARIANT time;
        VariantInit(&time);
        if (call.hasTime) {
            V_VT(&time) = VT_DATE;
            V_DATE(&time) = call.time;
        }
        BeginCall();
        hr = m_logger->LogEvent(typeText.Get(), description.Get(), call.parent, call.id, time);
        NoteRunEvents(call.type, line);
        break;
    }
    case CallKind::SetStatus:
        BeginCall();
        hr = m_logger->SetStatus(call.id, static_cast<tagKovReportEvent>(call.status));
        if (FAILED(hr)) {
            CallFailed(line, CallName(call.kind), hr, NotRecordedNote(call.id));
            return false;
        }
        break;
    case CallKind::Filter:
        BeginCall();
        hr = m_logger->put_Filter(static_cast<tagReportFilter>(call.filter));
        if (SUCCEEDED(hr)) {
            m_filter = call.filter;
            m_filterLine = line;
        }
        break;
    case CallKind::SetRegistryRoot: {
        WideString root;
        WideFromUtf8(call.text, root);
        // The logger takes "IterDir" from a root it can open ("Row" when the
        // value is missing); iteration folders go into the current results
        // folder.
        OutputSettings settings;
        settings.reportPath = m_pathFolder;
        settings.directory = W(".");
        settings.iterDir = m_iterDir;
        if (RootExists(root) && !ReadSettingText(root, W("IterDir"), settings.iterDir))
            settings.iterDir = W("Row");
        if (Refused(settings, "SetRegistryRoot", line))
            return false;
        BeginCall();
        hr = m_logger->SetRegistryRoot(CScopedBstr(root).Get());
        m_root = root;
        NoteRecordedTypes(root);
        m_iterDir = settings.iterDir;
        break;
    }
    case CallKind::ReportPath: {
        WideString path;
        WideFromUtf8(call.text, path);
        std::error_code error;
        std::filesystem::path absolute = std::filesystem::absolute(PathOf(path), error);
        OutputSettings settings;
        settings.reportPath = error ? path : WideOf(absolute.lexically_normal());
        if (!ReadDirectorySetting(m_root, settings.directory))
            settings.directory = W("."); // the call fails
        settings.iterDir = m_iterDir;
        if (Refused(settings, "ReportPath", line))
            return false;
        BeginCall();
        hr = m_logger->put_ReportPath(CScopedBstr(path).Get());
        if (SUCCEEDED(hr))
            m_pathFolder = ResultsFolderFor(settings.reportPath, settings.directory);
        break;
    }
    }
    if (FAILED(hr)) {
        CallFailed(line, CallName(call.kind), hr);
        return false;
    }
    return true;
}

void CReplayDriver::ReplayLines(CEventLogReader& reader)
{
    m_console.StartProgress(m_console.ProgressAllowed() ? reader.CountEventLines() : 0);
    std::string text;
    long line = 0;
    while (reader.Next(text, line)) {
        if (PAL_Interrupted()) {
            m_statistics.interrupted = true;
            m_console.Message("annalist: interrupted before line " + std::to_string(line));
            break;
        }
        ++m_statistics.lines;
        m_lastLine = line;
        // Nothing a line holds may end the replay: whatever is thrown while
        // it is read or converted (the logger's calls throw nothing) skips it.
        try {
            ReplayCall call;
            std::string reason;
            if (!ParseReplayCall(text, call, reason)) {
                Skipped(line, reason);
            } else {
                for (const std::string& key : call.ignoredKeys)
                    Warn(IgnoredKey, line, "\"" + key + "\" means nothing for " + CallName(call.kind) + "; ignored");
                Perform(call, line);
            }
        } catch (const std::bad_alloc&) {
            Skipped(line, "out of memory");
        } catch (const std::exception& error) {
            Skipped(line, std::string("cannot be replayed: ") + error.what());
        }
        m_console.Progress(m_statistics.lines);
    }
    m_console.EndProgress();
}

void CReplayDriver::EndOpenRun()
{
    if (m_runStartLine == 0)
        return;
    TellRepeatedFailures();
    ++m_statistics.warnings;
    m_statistics.closedOpenRun = true;
    m_console.Warning(std::string("annalist: warning: ") +
                      (m_statistics.interrupted ? "the replay stopped" : "the event log ends") +
                      " inside the run started on line " + std::to_string(m_runStartLine) +
                      " (no \"EndRepLog\"); the run is ended as \"EndRepLog\" would end it");
    CScopedBstr type(W("EndRepLog"));
    VARIANT time;
    VariantInit(&time);
    SetErrorInfo(0, nullptr);
    HRESULT hr = m_logger->LogEvent(type.Get(), nullptr, 0, 0, time);
    if (FAILED(hr)) {
        ++m_statistics.failedCalls;
        m_console.Message("annalist: ending the open run failed: LogEvent failed: " + FailureText(hr));
    }
    m_runStartLine = 0;
}

void CReplayDriver::PrintSummary()
{
    ReplaySummaryInput input;
    input.eventsFile = m_options.eventsFile == "-" ? "standard input" : m_options.eventsFile;
    input.resultsFolder = Shown(m_resultsFolder);
    input.statistics = m_statistics;
    input.runStarted = m_runStarted;
    std::string error;
    WideString results = m_resultsFolder + W("\\Results.xml");
    input.reportRead = GetFileAttributesW(results.c_str()) != INVALID_FILE_ATTRIBUTES &&
                       ReadReportContents(results, input.report, error);
    std::error_code failure;
    std::filesystem::path folder = PathOf(m_resultsFolder);
    for (std::filesystem::directory_iterator it(folder, failure), end; !failure && it != end; it.increment(failure)) {
        std::string name = Utf8FromWide(WideOf(it->path().filename()));
        if (it->is_directory(failure))
            name += static_cast<char>(std::filesystem::path::preferred_separator);
        input.files.push_back(name);
    }
    std::sort(input.files.begin(), input.files.end());
    m_console.Print(FormatReplaySummary(input));
}

int CReplayDriver::Run()
{
    // From here on an interrupt (Ctrl-C, SIGTERM) ends the replay as the end
    // of the log would: the run is closed, the private registry removed.
    PAL_WatchInterrupt();
    m_console.SetQuiet(m_options.quiet);
    CEventLogReader reader;
    std::string reason;
    if (m_options.eventsFile == "-") {
        reader.OpenStandardInput();
    } else if (!reader.Open(WideFromUtf8Lenient(m_options.eventsFile), reason)) {
        Fatal("cannot read the event log \"" + m_options.eventsFile + "\": " + reason);
        return 2;
    }
    m_root = NormalizeRegistryRoot(WideFromUtf8Lenient(m_options.root));
    CPrivateRegistry registry;
    if (!PrepareSettings(registry) || !PrepareResultsFolder())
        return 2;
    bool readFailed = false;
    {
        CComApartment apartment;
        if (FAILED(apartment.Result())) {
            Fatal("cannot initialise COM: " + HresultText(apartment.Result()));
            return 2;
        }
        if (!StartLogger()) {
            m_logger.Release();
            RemoveCreatedFolders();
            return 2;
        }
        auto start = std::chrono::steady_clock::now();
        ReplayLines(reader);
        if (PAL_Interrupted() && !m_statistics.interrupted) {
            // During the last line (a prompt answered Cancel, for one).
            m_statistics.interrupted = true;
            m_console.Message("annalist: interrupted after line " + std::to_string(m_lastLine));
        }
        readFailed = reader.ReadFailed();
        if (readFailed)
            Fatal("cannot read the event log \"" + m_options.eventsFile + "\" after line " +
                  std::to_string(m_lastLine) + ": read error");
        TellRepeatedFailures();
        ReportHiddenWarnings();
        EndOpenRun();
        m_logger.Release(); // a writer still running ends here
        TellRepeatedFailures();
        m_statistics.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (!m_options.quiet)
        PrintSummary();
    if (m_statistics.interrupted)
        return PAL_InterruptExitStatus();
    if (readFailed)
        return 2;
    bool clean = m_statistics.failedCalls == 0 && m_statistics.skippedLines == 0 && !m_statistics.interrupted;
    if (m_options.failOn != FailOn::Nothing && m_runStarted) {
        results::Status status = results::Status::Done;
        std::string error;
        if (!ReadRecordedStatus(PathOf(m_resultsFolder).u8string(), status, error)) {
            Fatal("--fail-on: cannot read the recorded outcome: " + error);
            return 2;
        }
        if (OutcomeFails(m_options.failOn, status)) {
            m_console.Message(std::string("annalist: the recorded run is ") + results::StatusName(status) +
                              " (--fail-on " + (m_options.failOn == FailOn::Failed ? "failed" : "warning") + ")");
            return 1;
        }
    }
    return clean ? 0 : 1;
}
