#include "core/RunFacts.h"

#include <limits>
#include <string>

#include "core/Description.h"
#include "pal/variant_holder.h"
#include "text/Utf8.h"

namespace {

const LONG kLargest = std::numeric_limits<LONG>::max();
const LONG kSmallest = std::numeric_limits<LONG>::min();

} // namespace

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

LONG NextRecordNumber(LONG total) noexcept { return total < kLargest ? total + 1 : kLargest; }

LONG GlobalIterationOf(LONG iteration) noexcept
{
    long long global = static_cast<long long>(iteration) * 1000;
    if (global > kLargest)
        return kLargest;
    if (global < kSmallest)
        return kSmallest;
    return static_cast<LONG>(global);
}

namespace {

CBstrString WideOf(const std::string& utf8)
{
    size_t units = Utf8ToWide(utf8.c_str(), nullptr, 0);
    if (units <= 1)
        return CBstrString();
    WideString text(units, WCHAR(0));
    if (Utf8ToWide(utf8.c_str(), &text[0], units) != units)
        return CBstrString();
    return CBstrString(text.c_str());
}

LONG Clamped(long value) noexcept
{
    if (value > kLargest)
        return kLargest;
    if (value < kSmallest)
        return kSmallest;
    return static_cast<LONG>(value);
}

} // namespace

void TakeGeneralInfoFromReport(const results::GeneralInfo& read, GeneralInfo& info)
{
    info.product = WideOf(read.product);
    info.version = WideOf(read.version);
    info.testLocation = WideOf(read.testLocation);
    info.testOnHost = WideOf(read.testHost);
    info.vaultServer = WideOf(read.vaultServer);
    info.vaultProject = WideOf(read.vaultProject);
    info.osVersion = Clamped(read.osVersion);
    info.total = Clamped(read.total);
}
