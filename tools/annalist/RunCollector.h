// CRunCollector: the run's tests, actions and iterations with their status,
// counts and durations, its test cases (for JUnit) and its failed steps,
// gathered while the results are read. It keeps one small record per test,
// action, iteration and failed step (texts cut to a few kilobytes), nothing
// per passed step.
//
// Test cases: each action iteration of an action that is not called from
// another action; such an action itself when it has no iterations (or has
// steps outside them); the iterations of a test or business component that
// hold steps outside actions; the test itself when it holds such steps
// outside iterations. A step belongs to the innermost of these around it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "annalist/ScopeFacts.h"
#include "results/DurationClock.h"
#include "results/ResultsReader.h"

struct StepNote {
    std::vector<std::string> path; // names of the nodes it lies in, outermost first, and its own
    std::string name;
    std::string type;    // the event type ("Replay", "Verification", ...)
    std::string time;
    std::string details; // as plain text
};

struct IterationRecord {
    int number = 0;
    results::Status status = results::Status::Done;
    long passed = 0, failed = 0, warnings = 0;
    size_t clock = 0;
    bool complete = true;
};

struct ActionRecord : ScopeFacts {
    std::string name;
    int testIteration = 0; // the test iteration it ran in (0: none)
    size_t clock = 0;
    std::vector<IterationRecord> iterations;
};

struct TestRecord : ScopeFacts {
    std::string name;
    std::string type = "Test";
    int componentIteration = 0;
    size_t clock = 0;
    std::vector<IterationRecord> iterations;
    std::vector<ActionRecord> actions;
};

struct CaseRecord {
    enum Kind { Test, TestIteration, Action, ActionIteration };
    Kind kind = Test;
    size_t test = 0;
    int action = -1;          // index in the test's actions; -1 for the test's own steps
    std::string name;
    int number = 0;           // the iteration
    results::Status status = results::Status::Done;
    long steps = 0;           // steps that belong to it
    size_t clock = 0;
    bool hasSummaryDuration = false;
    int64_t summaryDuration = 0;
    bool used = false;        // it is a test case (decided at its end)
    bool complete = true;
    bool hasFailure = false;
    StepNote failure;         // its first failed step
    long warningCount = 0;
    std::vector<StepNote> warnings; // the first few
};

class CRunCollector {
public:
    // Every event of the reader.
    void Observe(const results::CResultsReader& reader);

    const std::vector<TestRecord>& Tests() const { return m_tests; }
    const std::vector<CaseRecord>& Cases() const { return m_cases; }
    const std::vector<StepNote>& FailedSteps() const { return m_failedSteps; }
    // Failed steps beyond the first 100000, not kept.
    long FailedStepsLeftOut() const { return m_failedStepsLeftOut; }
    const std::string& BusinessProcess() const { return m_businessProcess; }
    const results::CDurationClock& Clock() const { return m_clock; }
    bool Duration(size_t clock, int64_t& seconds) const { return m_clock.Duration(clock, seconds); }

private:
    struct Context {
        int test = -1;
        int action = -1;
        int actionDepth = -1;
        int caseIndex = -1;
        int testIteration = 0;
        bool ownsCase = false;
    };
    void Start(const results::CResultsReader& reader);
    void End(const results::CResultsReader& reader);
    StepNote Note(const results::CResultsReader& reader) const;
    int NewCase(CaseRecord::Kind kind, const Context& context, const std::string& name, int number);

    results::CDurationClock m_clock;
    std::vector<Context> m_contexts;
    std::vector<std::string> m_path; // names of the open nodes
    std::vector<TestRecord> m_tests;
    std::vector<CaseRecord> m_cases;
    std::vector<StepNote> m_failedSteps;
    long m_failedStepsLeftOut = 0;
    std::string m_businessProcess;
};

// The name of a node as the path of a step shows it.
std::string PathName(const results::Node& node);
