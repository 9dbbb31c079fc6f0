// ScopeFacts: what the results say of a test or an action as a whole (its
// status, its counts, its start and end, the duration its summary gives, and
// whether it was completed), read from its node at its end; and the same
// facts as fields of a JSON object, as the summary and the report's data
// give them.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "results/ResultsReader.h"

struct ScopeFacts {
    results::Status status = results::Status::Done;
    long passed = 0, failed = 0, warnings = 0;
    std::string start, end; // the logger's date and time texts ("" when not written)
    bool hasSummaryDuration = false;
    int64_t summaryDuration = 0; // seconds
    bool complete = true;

    // Takes the facts of a node that has ended: the counts its summary gives,
    // else the counts of the steps inside it.
    void Read(const results::Node& node);
};

// Puts "status", "passed", "failed", "warnings", "start" and "end" into item.
void PutScopeFacts(nlohmann::ordered_json& item, const ScopeFacts& facts);
