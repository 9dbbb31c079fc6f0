#include "LoggedRun.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "AllocationCounter.h"
#include "CallerDescription.h"
#include "ProcessMemory.h"
#include "RunShape.h"
#include "WriterStarvation.h"
#include "annalist/LoggerFactory.h"
#include "annalist/ReplaySettings.h"
#include "annalist/TextConversion.h"
#include "core/LoggerInterfaces.h"
#include "pal/interface_ptr.h"

namespace {

using Clock = std::chrono::steady_clock;

const WCHAR* const kRegistryRoot = W("SOFTWARE\\Annalist");

// COM for the thread while the object lives.
class CApartment {
public:
    CApartment() : m_hr(CoInitialize(nullptr)) {}
    ~CApartment()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    CApartment(const CApartment&) = delete;
    CApartment& operator=(const CApartment&) = delete;
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};

// The event type texts, allocated once (before the timed span for the
// framing; on first use for the step types).
class CTypeTexts {
public:
    CTypeTexts() = default;
    CTypeTexts(const CTypeTexts&) = delete;
    CTypeTexts& operator=(const CTypeTexts&) = delete;
    ~CTypeTexts()
    {
        for (auto& entry : m_texts)
            SysFreeString(entry.second);
    }
    BSTR For(const BenchText& type)
    {
        for (auto& entry : m_texts)
            if (PAL_wcscmp(entry.first, type.wide) == 0)
                return entry.second;
        m_texts.emplace_back(type.wide, SysAllocString(type.wide));
        return m_texts.back().second;
    }

private:
    std::vector<std::pair<const WCHAR*, BSTR>> m_texts;
};

// The logger's work on one call, in functions of their own (never inlined or
// merged: noipa) so that callgrind charges a step's LogEvent and a framing
// event's apart.
[[gnu::noipa]] HRESULT LogStepEvent(ILogMedia3* logger, BSTR type, IDictionary* description, LONG parent, LONG id)
{
    VARIANT noTime;
    VariantInit(&noTime); // the logger takes the current time
    return logger->LogEvent(type, description, parent, id, noTime);
}

[[gnu::noipa]] HRESULT LogRunEvent(ILogMedia3* logger, BSTR type, IDictionary* description, LONG parent, LONG id)
{
    VARIANT noTime;
    VariantInit(&noTime);
    return logger->LogEvent(type, description, parent, id, noTime);
}

std::string HresultMessage(const char* what, HRESULT hr) { return std::string(what) + " failed: " + HresultText(hr); }

} // namespace

std::string CLoggedRun::ResultsFile() const { return m_settings.resultsFolder + "/Results.xml"; }

bool CLoggedRun::Run(RunFigures& figures, std::string& error)
{
    figures = RunFigures();
    std::error_code failure;
    std::filesystem::path folder = std::filesystem::absolute(m_settings.resultsFolder, failure);
    if (failure || (std::filesystem::exists(folder) && !std::filesystem::is_empty(folder, failure))) {
        error = "the results folder " + m_settings.resultsFolder + " must be new or empty";
        return false;
    }
    std::filesystem::create_directories(folder, failure);
    if (failure) {
        error = "cannot create " + m_settings.resultsFolder + ": " + failure.message();
        return false;
    }

    CPrivateRegistry registry;
    if (!registry.Begin(error) || !WriteDefaultSettings(kRegistryRoot, error))
        return false;
    CApartment apartment;
    if (FAILED(apartment.Result())) {
        error = HresultMessage("CoInitialize", apartment.Result());
        return false;
    }
    SetEnvironmentVariableW(W("ANNALIST_PRODUCT_LEVEL"), W("current"));
    CInterfacePtr<ILogMedia3> logger;
    HRESULT hr = CreateLogger(logger);
    if (FAILED(hr)) {
        error = HresultMessage("creating the logger through its class object", hr);
        return false;
    }
    BSTR root = SysAllocString(kRegistryRoot);
    hr = logger->SetRegistryRoot(root);
    SysFreeString(root);
    if (FAILED(hr)) {
        error = HresultMessage("SetRegistryRoot", hr);
        return false;
    }
    WideString widePath = WideFromUtf8Lenient(folder.string());
    BSTR path = SysAllocString(widePath.c_str());
    hr = logger->put_ReportPath(path);
    SysFreeString(path);
    if (FAILED(hr)) {
        error = HresultMessage("ReportPath", hr);
        return false;
    }

    const std::vector<BenchEvent> opening = OpeningEvents();
    const std::vector<BenchEvent> closing = ClosingEvents();
    CTypeTexts types;
    for (const BenchEvent& event : opening)
        types.For(event.type);
    for (const BenchEvent& event : closing)
        types.For(event.type);
    CLatencySamples latency(static_cast<size_t>(m_settings.steps));
    figures.latencyArrayBytes = latency.Bytes();
    std::vector<long> checkpoints = m_settings.residentCheckpoints;
    checkpoints.push_back(m_settings.steps);
    std::sort(checkpoints.begin(), checkpoints.end());
    size_t nextCheckpoint = 0;
    while (nextCheckpoint < checkpoints.size() && checkpoints[nextCheckpoint] <= 0)
        ++nextCheckpoint;
    figures.residentBeforeKb = ResidentKb();
    std::vector<pid_t> threadsBefore = ThreadIds();

    // A framing event: made, logged, freed (not sampled).
    auto logFraming = [&](const BenchEvent& event) {
        IDictionary* description = nullptr;
        HRESULT made = BuildCallerDescription(event, &description);
        if (FAILED(made)) {
            error = HresultMessage("building a description", made);
            return false;
        }
        if (FAILED(LogRunEvent(logger.Get(), types.For(event.type), description, event.parent, event.id)))
            ++figures.failedCalls;
        FreeCallerDescription(description);
        return true;
    };

    Clock::time_point start = Clock::now();
    for (const BenchEvent& event : opening) {
        if (!logFraming(event))
            return false;
        if (m_settings.starveWriter && &event == &opening.front()) {
            std::vector<pid_t> started = NewThreads(threadsBefore, ThreadIds());
            if (started.size() != 1) {
                error = "expected StartRepLog to start one writer thread, found " + std::to_string(started.size());
                return false;
            }
            if (!StarveThreads(started, error))
                return false;
            figures.starvedThreads = static_cast<long>(started.size());
        }
    }
    BenchEvent step;
    bench::AllocatorCalls insideLogEvent;
    const bench::AllocatorCalls processBefore = bench::ProcessAllocatorCalls();
    const bench::AllocatorCalls threadBefore = bench::ThreadAllocatorCalls();
    for (long index = 0; index < m_settings.steps; ++index) {
        StepEvent(index, step);
        IDictionary* description = nullptr;
        HRESULT made = BuildCallerDescription(step, &description);
        if (FAILED(made)) {
            error = HresultMessage("building a description", made);
            return false;
        }
        BSTR type = types.For(step.type);
        const bench::AllocatorCalls callsBefore = bench::ThreadAllocatorCalls();
        Clock::time_point before = Clock::now();
        HRESULT logged = LogStepEvent(logger.Get(), type, description, step.parent, step.id);
        Clock::time_point after = Clock::now();
        const bench::AllocatorCalls callsAfter = bench::ThreadAllocatorCalls();
        insideLogEvent.allocations += callsAfter.allocations - callsBefore.allocations;
        insideLogEvent.frees += callsAfter.frees - callsBefore.frees;
        latency.Add(after - before);
        if (FAILED(logged))
            ++figures.failedCalls;
        FreeCallerDescription(description);
        if (nextCheckpoint < checkpoints.size() && index + 1 == checkpoints[nextCheckpoint]) {
            figures.residentKb.emplace_back(index + 1, ResidentKb());
            while (nextCheckpoint < checkpoints.size() && checkpoints[nextCheckpoint] <= index + 1)
                ++nextCheckpoint;
        }
    }
    if (bench::Counting()) {
        const bench::AllocatorCalls process = bench::ProcessAllocatorCalls();
        const bench::AllocatorCalls thread = bench::ThreadAllocatorCalls();
        figures.logEventAllocations = insideLogEvent.allocations;
        figures.logEventFrees = insideLogEvent.frees;
        figures.otherThreadAllocations =
            (process.allocations - processBefore.allocations) - (thread.allocations - threadBefore.allocations);
        figures.otherThreadFrees = (process.frees - processBefore.frees) - (thread.frees - threadBefore.frees);
    }
    for (const BenchEvent& event : closing)
        if (!logFraming(event))
            return false;
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();

    logger.Release();
    figures.peakResidentKb = PeakResidentKb();
    figures.latency = latency.Summarise();
    return true;
}
