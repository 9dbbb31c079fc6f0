// One started test, action or business component of a run.
#pragma once

#include "report/SummaryParam.h"
#include "text/BstrString.h"

struct RunScope {
    LONG ended = 0;
    LONG iteration = 0;
    LONG failedCount = 0;
    LONG warningCount = 0;
    LONG passedCount = 0;
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
