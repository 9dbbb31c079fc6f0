// One started test, action or business component of a run, as the core
// fills it (its status counters are the run model's).
#pragma once

#include "report/SummaryParam.h"
#include "text/BstrString.h"

struct RunScope {
    LONG ended = 0;
    LONG iteration = 0;
    LONG closeToId = -1;
    LONG iterationCloseToId = -1;
    CBstrString name;
    CBstrString resultsName;
    CBstrString documentType;
    CBstrString productName;
    CBstrString folderName;
    SYSTEMTIME startTime = {};
    SYSTEMTIME endTime = {};
    BYTE fromStep = 0;
    LONG componentIteration = 0;
    CBstrString returnValue;
    CBstrString maintenanceSummary;
    SummaryParamList parameters;
};
