#include "report/GeneralInfo.h"

bool GetComputerNameText(CBstrString& name)
{
    WCHAR buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(buffer, &size)) {
        name.Empty();
        return false;
    }
    name.Assign(buffer, size <= MAX_COMPUTERNAME_LENGTH ? size : MAX_COMPUTERNAME_LENGTH);
    return true;
}
