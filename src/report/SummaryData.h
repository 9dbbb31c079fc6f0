// The summary of a test, an action or one of their iterations (the Summary
// element with its parameters and the maintenance-summary markup after it).
#pragma once

#include "report/SummaryParam.h"
#include "report/XmlOutput.h"
#include "text/BstrString.h"

class SummaryData {
public:
    SummaryData() noexcept = default;

    // Sets every value (the parameter list is copied). S_OK, or E_OUTOFMEMORY
    // when a copy cannot be made.
    HRESULT SetSummary(const WCHAR* returnValueText, const SummaryParamList& parameterList, const WCHAR* startTimeText,
                       const WCHAR* endTimeText, LONG passedCount, LONG failedCount, LONG warningCount,
                       bool stoppedFlag, const WCHAR* maintenanceSummaryText) noexcept;

    // Appends the Summary element, its parameters and the maintenance-summary
    // markup to out; nothing when none of the summary's attributes is given.
    void Write(CXmlOutput& out) const;

    CBstrString sTime;
    CBstrString eTime;
    CBstrString returnValue;
    LONG passed = -1; // -1: not given
    LONG failed = -1;
    LONG warnings = -1;
    bool stopped = false;
    SummaryParamList parameters;
    CBstrString maintenanceSummary;
};
