// The part of a logger's run state that the record factory reads when it
// builds records. The core owns it and alone changes it (apart from the
// factory's logStatus merge and its removal of closed nodes); everything here
// lives on the logging thread.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "report/EventNode.h"
#include "report/GeneralInfo.h"
#include "report/RunScope.h"
#include "text/BstrString.h"

struct RunState {
    // Every test, action or business component started in the run, in start
    // order; a scope's position identifies it.
    std::vector<RunScope> scopes;
    // Positions in `scopes` of the open scopes, outermost first.
    std::vector<LONG> scopeStack;
    // EventId -> node, for every recorded node not yet closed.
    std::map<LONG, std::unique_ptr<EventNode>> nodesById;

    LONG logStatus = 2;
    bool runNotCompleted = false;
    bool appendMode = false;

    // The running business process.
    CBstrString businessProcessName;
    CBstrString businessProcessResultsName;
    // Run identity texts ("ReportPrepareRun").
    CBstrString testVersion;
    CBstrString testSet;
    CBstrString testInstance;
    // Update-mode flags of the run.
    bool updateDescriptions = false;
    bool updateObjects = false;
    bool updateSnapshots = false;

    std::unique_ptr<GeneralInfo> generalInfo;
};
