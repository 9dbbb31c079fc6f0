// CLoggedRun: one run of the benchmark against a logger created through the
// library's class object (DllGetClassObject, then IClassFactory::
// CreateInstance, as `annalist replay` creates it), with the logger's
// settings in a private registry (the replay's defaults: every step type
// enabled, results straight in the folder).
//
// The timed span runs from the first LogEvent ("StartRepLog") to the return
// of the last ("EndRepLog", which drains the writer and closes Results.xml).
// It includes the caller's work on the descriptions; the duration of each
// step's LogEvent alone is sampled on the caller's thread.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "LatencySamples.h"

struct RunSettings {
    long steps = 0;
    std::string resultsFolder; // created; must not exist or be empty
    bool starveWriter = false; // see WriterStarvation.h
    // Steps after which the resident set is read (the last step always is).
    std::vector<long> residentCheckpoints = {10000, 100000, 1000000};
};

struct RunFigures {
    double seconds = 0;    // the timed span
    long failedCalls = 0;  // LogEvent calls that returned a failure
    CLatencySamples::Summary latency;
    size_t latencyArrayBytes = 0;
    long residentBeforeKb = 0;                      // before the first LogEvent
    std::vector<std::pair<long, long>> residentKb;  // (steps logged, VmRSS)
    long peakResidentKb = 0;                        // VmHWM after the run
    long starvedThreads = 0;
    // Allocator calls over the steps (-1: not counted in this build): the
    // steps' LogEvent on the caller's thread, and the other threads (the
    // writer) while the steps were logged.
    long long logEventAllocations = -1;
    long long logEventFrees = -1;
    long long otherThreadAllocations = -1;
    long long otherThreadFrees = -1;
};

class CLoggedRun {
public:
    explicit CLoggedRun(const RunSettings& settings) : m_settings(settings) {}

    // False with the reason when the run could not be made (a LogEvent that
    // fails is counted, not fatal).
    bool Run(RunFigures& figures, std::string& error);

    // The results file of the run.
    std::string ResultsFile() const;

private:
    const RunSettings& m_settings;
};
