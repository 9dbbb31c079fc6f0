#include "core/RunFacts.h"

#include "core/Description.h"
#include "pal/variant_holder.h"

bool ReadGeneralInfoEvent(CDescription& description, GeneralInfo& info, bool appendMode, ProductLevel level)
{
    description.ReadText(W("UserName"), info.userName);
    description.ReadText(W("Password"), info.password);
    if (appendMode)
        return false;
    description.ReadText(W("ProductName"), info.product);
    description.ReadText(W("Version"), info.version);
    description.ReadText(W("Title"), info.title);
    description.ReadText(W("TestLocation"), info.testLocation);
    description.ReadInt(W("ToolOsVersion"), info.osVersion, 0);
    if (level == ProductLevel::Current) {
        description.ReadText(W("VaultServer"), info.vaultServer);
        description.ReadText(W("VaultProject"), info.vaultProject);
    }
    GetComputerNameText(info.testOnHost);
    return true;
}

void ReadRunIdentity(CDescription& description, RunIdentity& identity)
{
    LONG debugRun = 0;
    if (!description.ReadInt(W("DebugRunMode"), debugRun, 0) || debugRun != 0)
        return;
    CBstrString testSet;
    if (description.ReadText(W("ShortTestset"), testSet))
        identity.testSet = testSet;
    CBstrString instance;
    description.ReadText(W("TestInstance"), instance);
    identity.testInstance = instance.IsEmpty() ? CBstrString(W("1")) : instance;
    description.ReadText(W("TestVersionInVC"), identity.testVersion);
}

bool ReadsNotCompleted(CDescription& description)
{
    if (!description.Has(W("FINAL_STATUS")))
        return false;
    CVariantValue value;
    description.ReadRaw(W("FINAL_STATUS"), value.Get());
    return value.Type() == VT_BSTR && CBstrString::FromBstr(V_BSTR(value.Get())) == W("Not Completed");
}
