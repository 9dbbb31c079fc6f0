#include "report/StatusNames.h"

#include "text/ResourceStrings.h"

namespace {

// The texts of each status, in status order.
struct StatusTexts {
    const WCHAR* reportName;
    const WCHAR* styleClass;
    UINT displayWord;
};

const StatusTexts kStatusTexts[] = {
    {W("Passed"), W("PassedHigh"), IDS_STATUS_PASSED},
    {W("Failed"), W("FailedHigh"), IDS_STATUS_FAILED},
    {W("Done"), W("DoneHigh"), IDS_STATUS_DONE},
    {W("Warning"), W("WarningHigh"), IDS_STATUS_WARNING},
    {W("Information"), W("InformationHigh"), IDS_STATUS_INFORMATION},
};
const LONG kDone = 2;

bool IsKnownStatus(LONG status) noexcept { return status >= 0 && status <= 4; }

// The texts of a status; Done's for any other value.
const StatusTexts& TextsOrDone(LONG status) noexcept { return kStatusTexts[IsKnownStatus(status) ? status : kDone]; }

} // namespace

LONG MergeStatus(LONG current, LONG incoming) noexcept
{
    switch (incoming) {
    case 0:
        return (current == 1 || current == 3) ? current : 0;
    case 1:
        return 1;
    case 3:
        return current == 1 ? current : 3;
    default:
        return current;
    }
}

const WCHAR* ReportStatusName(LONG status) noexcept
{
    return IsKnownStatus(status) ? kStatusTexts[status].reportName : W("");
}

CBstrString StatusDisplayWord(LONG status) { return LoadResourceString(TextsOrDone(status).displayWord); }

const WCHAR* StatusStyleClass(LONG status) noexcept { return TextsOrDone(status).styleClass; }
