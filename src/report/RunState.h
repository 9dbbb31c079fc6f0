// The facts of a run that the core learns from its events and the record
// factory writes into the records: append mode, completion, the running
// business process, the run's identity, the update modes and the general
// information. The core alone writes them; the factory only reads them. The
// scopes, nodes and statuses are the run model's (RunModel.h).
#pragma once

#include <memory>

#include "report/GeneralInfo.h"
#include "report/RunIdentity.h"
#include "text/BstrString.h"

struct RunState {
    bool runNotCompleted = false;
    bool appendMode = false;

    // The running business process.
    CBstrString businessProcessName;
    CBstrString businessProcessResultsName;
    RunIdentity identity;
    // Update-mode flags of the run.
    bool updateDescriptions = false;
    bool updateObjects = false;
    bool updateSnapshots = false;

    std::unique_ptr<GeneralInfo> generalInfo;
};
