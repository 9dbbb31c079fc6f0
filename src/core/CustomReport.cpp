// The step page of a checkpoint or output step, built from the text that the
// step's custom report object gives.
#include "core/Description.h"
#include "core/StepDetails.h"
#include "host/HostInterfaces.h"
#include "pal/interface_ptr.h"
#include "pal/variant_holder.h"
#include "report/EventTime.h"
#include "report/StatusNames.h"
#include "text/ResourceStrings.h"

namespace {

// The object's text for the step; the method's result is not examined, only
// the text it leaves.
CBstrString CallCustomReport(IKovCustomReport* report, VARIANT* viewType)
{
    CBstrString text;
    report->GetReportText(text.Out(), &V_BSTR(viewType));
    return text;
}

} // namespace

void ApplyCustomReportObject(CDescription& description, VARIANT* viewType, EventNode* node)
{
    if (!description.IsPresent() || !node || !viewType)
        return;
    if (!description.Has(keys::CustomObjUnk))
        return;

    CBstrString receivedName = node->displayName;
    CBstrString action;
    description.ReadText(keys::Action, action);
    if (action == W("Check"))
        node->displayName.FormatResource(IDS_CHECKPOINT_NAME, receivedName.c_str());
    else if (action == W("Output"))
        node->displayName.FormatResource(IDS_OUTPUT_NAME, receivedName.c_str());

    CVariantValue object;
    description.ReadRaw(keys::CustomObjUnk, object.Get());
    CInterfacePtr<IKovCustomReport> report;
    if (FAILED(report.QueryFrom(ObjectOfValue(object.Get()), IID_IKovCustomReport)) || !report)
        return;

    LONG useReportFormat = 1;
    description.ReadInt(keys::UseCRFormat, useReportFormat, 1);
    if (useReportFormat == 0) {
        CBstrString text = CallCustomReport(report.Get(), viewType);
        if (!text.IsEmpty())
            node->htmlText = text;
        return;
    }

    CBstrString header = LoadResourceString(IDS_DETAILS_PAGE_HEADER);
    CBstrString footer = LoadResourceString(IDS_DETAILS_PAGE_FOOTER);
    const WCHAR* styleClass = StatusStyleClass(node->status);
    CBstrString statusWord = StatusDisplayWord(node->status);
    LONG usedTime = 0;
    LONG fullTime = 0;
    CBstrString stepName;
    description.ReadInt(keys::TimeoutUsedTime, usedTime, 0);
    description.ReadInt(keys::TimeoutFullTime, fullTime, 0);
    description.ReadText(keys::StepName, stepName);
    CBstrString dateTime;
    FormatEventDateTime(node->eventTime, dateTime);
    CBstrString timeoutRow;
    if (usedTime > 0 || fullTime > 0)
        timeoutRow.FormatResource(IDS_CHECKPOINT_TIMEOUT_ROW, static_cast<int>(usedTime), static_cast<int>(fullTime));

    CBstrString page;
    page.Format(header.c_str(), stepName.c_str(), receivedName.c_str(), styleClass, statusWord.c_str(),
                dateTime.c_str(), timeoutRow.c_str());

    CBstrString text = CallCustomReport(report.Get(), viewType);
    if (text.IsEmpty())
        return;
    page += text;
    page += footer;
    node->htmlText = page;
}
