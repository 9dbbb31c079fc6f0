#include "core/RunFacts.h"

#include "core/Description.h"
#include "pal/variant_holder.h"

bool ReadGeneralInfoEvent(CDescription& description, GeneralInfo& info, bool appendMode, ProductLevel level)
{
    description.ReadText(keys::UserName, info.userName);
    description.ReadText(keys::Password, info.password);
    if (appendMode)
        return false;
    description.ReadText(keys::ProductName, info.product);
    description.ReadText(keys::Version, info.version);
    description.ReadText(keys::Title, info.title);
    description.ReadText(keys::TestLocation, info.testLocation);
    description.ReadInt(keys::ToolOsVersion, info.osVersion, 0);
    if (level == ProductLevel::Current) {
        description.ReadText(keys::VaultServer, info.vaultServer);
        description.ReadText(keys::VaultProject, info.vaultProject);
    }
    GetComputerNameText(info.testOnHost);
    return true;
}

void ReadRunIdentity(CDescription& description, RunIdentity& identity)
{
    LONG debugRun = 0;
    if (!description.ReadInt(keys::DebugRunMode, debugRun, 0) || debugRun != 0)
        return;
    CBstrString testSet;
    if (description.ReadText(keys::ShortTestset, testSet))
        identity.testSet = testSet;
    CBstrString instance;
    description.ReadText(keys::TestInstance, instance);
    identity.testInstance = instance.IsEmpty() ? CBstrString(W("1")) : instance;
    description.ReadText(keys::TestVersionInVC, identity.testVersion);
}

bool ReadsNotCompleted(CDescription& description)
{
    if (!description.Has(keys::FinalStatus))
        return false;
    CVariantValue value;
    description.ReadRaw(keys::FinalStatus, value.Get());
    return value.Type() == VT_BSTR && CBstrString::FromBstr(V_BSTR(value.Get())) == W("Not Completed");
}
