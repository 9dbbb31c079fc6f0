#include "report/SummaryData.h"

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"
#include "report/XmlText.h"

using namespace results_xml;

HRESULT SummaryData::SetSummary(const WCHAR* returnValueText, const SummaryParamList& parameterList,
                                const WCHAR* startTimeText, const WCHAR* endTimeText, LONG passedCount,
                                LONG failedCount, LONG warningCount, bool stoppedFlag,
                                const WCHAR* maintenanceSummaryText) noexcept
{
    HRESULT copied = AllCopied({CopyText(returnValue, returnValueText), CopyText(sTime, startTimeText),
                                CopyText(eTime, endTimeText), CopyText(maintenanceSummary, maintenanceSummaryText)});
    passed = passedCount;
    failed = failedCount;
    warnings = warningCount;
    stopped = stoppedFlag;
    try {
        parameters = parameterList;
    } catch (...) {
        parameters.clear();
        return E_OUTOFMEMORY;
    }
    return copied;
}

void SummaryData::GetXMLText(CBstrString& text) const noexcept
{
    text.Empty();
    CBstrString attributes;
    if (!sTime.IsEmpty() && !eTime.IsEmpty()) {
        CXmlSafeText safeStart(sTime, XmlPlace::Attribute);
        CXmlSafeText safeEnd(eTime, XmlPlace::Attribute);
        attributes += FormatPiece(kSummaryTimes, safeStart.c_str(), safeEnd.c_str());
    }
    if (passed != -1 && failed != -1 && warnings != -1)
        attributes += FormatPiece(kSummaryCounts, static_cast<int>(passed), static_cast<int>(failed),
                                  static_cast<int>(warnings));
    if (!returnValue.IsEmpty()) {
        CXmlSafeText safe(returnValue, XmlPlace::Attribute);
        attributes += FormatPiece(kSummaryReturnValue, safe.c_str());
    }
    if (stopped)
        attributes += kSummaryStopped;
    if (attributes.IsEmpty())
        return;

    CBstrString params;
    for (const SummaryParam& parameter : parameters) {
        CXmlSafeText safeName(parameter.name, XmlPlace::CData);
        CXmlSafeText safeValue(parameter.value, XmlPlace::CData);
        params += FormatPiece(kParam, parameter.direction != 0 ? kParamOut : W(""), safeName.c_str(), safeValue.c_str());
    }
    CXmlSafeText maintenance(maintenanceSummary, XmlPlace::Markup);
    text.Format(kSummary, attributes.c_str(), params.c_str(), maintenance.c_str());
}
