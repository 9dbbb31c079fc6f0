// The summary of a test, an action or one of their iterations (the Summary
// element with its parameters and the maintenance-summary markup after it).
#pragma once

#include "report/SummaryParam.h"
#include "text/BstrString.h"

class SummaryData {
public:
    SummaryData() noexcept = default;

    // Sets every value (the parameter list is copied). S_OK, or E_OUTOFMEMORY
    // when a copy cannot be made.
    HRESULT SetSummary(const WCHAR* returnValueText, const SummaryParamList& parameterList, const WCHAR* startTimeText,
                       const WCHAR* endTimeText, LONG passedCount, LONG failedCount, LONG warningCount,
                       bool stoppedFlag, const WCHAR* maintenanceSummaryText) noexcept;

    // The Summary element, its parameters and the maintenance-summary markup;
    // an empty text when none of the summary's attributes is given.
    void GetXMLText(CBstrString& text) const noexcept;

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
