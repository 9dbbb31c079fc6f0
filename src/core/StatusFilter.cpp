#include "core/StatusFilter.h"

#include "core/Description.h"
#include "core/LoggerInterfaces.h"

bool PassesFilter(LONG filter, LONG status) noexcept
{
    switch (filter) {
    case rfEnableAll:
        return true;
    case rfEnableErrorsAndWarnings:
        return status == kovFail || status == kovWarning;
    case rfEnableErrorsOnly:
        return status == kovFail;
    default:
        return false;
    }
}

bool PassesStatusFilter(LONG filter, CDescription& description)
{
    if (filter == rfEnableAll)
        return true;
    if (filter == rfDisableAll)
        return false;
    if (!description.IsPresent())
        return true;
    LONG status = kovDone;
    if (!description.ReadInt(keys::Status, status, kovDone) || !IsValidStatus(status))
        status = kovDone;
    return PassesFilter(filter, status);
}
