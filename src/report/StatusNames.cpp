#include "report/StatusNames.h"

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
    switch (status) {
    case 0:
        return W("Passed");
    case 1:
        return W("Failed");
    case 2:
        return W("Done");
    case 3:
        return W("Warning");
    case 4:
        return W("Information");
    default:
        return W("");
    }
}
