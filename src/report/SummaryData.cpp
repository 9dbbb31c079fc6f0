#include "report/SummaryData.h"

namespace {

// target = a copy of text (null: empty). S_OK, or E_OUTOFMEMORY.
HRESULT CopyText(CBstrString& target, const WCHAR* text) noexcept
{
    if (!text)
        text = W("");
    return target.Assign(text, static_cast<UINT>(PAL_wcslen(text)));
}

} // namespace

HRESULT SummaryData::SetSummary(const WCHAR* returnValueText, const SummaryParamList& parameterList,
                                const WCHAR* startTimeText, const WCHAR* endTimeText, LONG passedCount,
                                LONG failedCount, LONG warningCount, bool stoppedFlag,
                                const WCHAR* maintenanceSummaryText) noexcept
{
    HRESULT copied = S_OK;
    for (HRESULT hr : {CopyText(returnValue, returnValueText), CopyText(sTime, startTimeText),
                       CopyText(eTime, endTimeText), CopyText(maintenanceSummary, maintenanceSummaryText)})
        if (FAILED(hr))
            copied = E_OUTOFMEMORY;
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

void SummaryData::Write(CXmlOutput& out) const
{
    const bool times = !sTime.IsEmpty() && !eTime.IsEmpty();
    const bool counts = passed != -1 && failed != -1 && warnings != -1;
    if (!times && !counts && returnValue.IsEmpty() && !stopped)
        return;
    // "<Summary %s>%s</Summary>\r\n%s": the attributes, the parameters, the
    // maintenance summary.
    out.Put("<Summary ");
    if (times)
        out.Put("sTime=\"").Attribute(sTime).Put("\" eTime=\"").Attribute(eTime).Put("\" ");
    if (counts) {
        out.Put("passed=\"").Number(passed).Put("\" failed=\"").Number(failed);
        out.Put("\" warnings=\"").Number(warnings).Put("\" ");
    }
    if (!returnValue.IsEmpty())
        out.Put("retval=\"").Attribute(returnValue).Put("\" ");
    if (stopped)
        out.Put("stopped=\"True\" ");
    out.Put(">");
    for (const SummaryParam& parameter : parameters) {
        out.Put("<Param ");
        if (parameter.direction != 0)
            out.Put("paramInOut = \"Out\"");
        out.Put("><ParamName><![CDATA[").CData(parameter.name).Put("]]></ParamName><ParamVal><![CDATA[");
        out.CData(parameter.value).Put("]]></ParamVal>\r\n</Param>\r\n");
    }
    out.Put("</Summary>\r\n").Markup(maintenanceSummary);
}
