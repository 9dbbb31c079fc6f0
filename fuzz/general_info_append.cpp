// GeneralInfo.ini as an appended run reads it (any file), written again and
// read back to the same record.
#include "FuzzSupport.h"
#include "report/GeneralInfoFile.h"

namespace {

bool Same(const GeneralInfo& a, const GeneralInfo& b)
{
    return a.total == b.total && a.osVersion == b.osVersion && a.globalIteration == b.globalIteration &&
           a.product == b.product && a.version == b.version && a.title == b.title && a.userName == b.userName &&
           a.password == b.password && a.testLocation == b.testLocation && a.testOnHost == b.testOnHost &&
           a.vaultServer == b.vaultServer && a.vaultProject == b.vaultProject;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (ProductLevel level : {ProductLevel::Current, ProductLevel::Earlier}) {
        WideString path = fuzz::WriteScratchFile("GeneralInfo.ini", data, size);
        GeneralInfo read;
        ReadGeneralInfo(path.c_str(), &read, level);
        WideString copy = fuzz::Wide(fuzz::ScratchPath("GeneralInfo-copy.ini"));
        WriteGeneralInfo(copy.c_str(), &read, level);
        GeneralInfo again;
        ReadGeneralInfo(copy.c_str(), &again, level);
        fuzz::Check(Same(read, again), "a record written is read back the same");
    }
    return 0;
}
