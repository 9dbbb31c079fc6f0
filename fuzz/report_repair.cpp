// The repair of a torn Results.xml on any bytes: a repaired file reads
// complete and needs no second repair; what the repair keeps is the file's
// own beginning; GeneralInfo.ini is rebuilt from it and its Total raised.
#include <cstdio>

#include "FuzzSupport.h"
#include "results/ReportRepair.h"
#include "results/ResultsReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    results::ReportRepair repair;
    const std::string repaired = results::RepairReportBytes(bytes, &repair);
    fuzz::Check(repair.size == size, "the whole file is read");
    if (repair.state != results::ReportRepair::State::Repaired) {
        fuzz::Check(repaired == bytes, "a file that is not repaired is kept");
        return 0;
    }
    fuzz::Check(repair.keep <= size && repaired.compare(0, repair.keep, bytes, 0, repair.keep) == 0,
                "the repair keeps the file's beginning");
    results::CMemoryByteSource source(repaired);
    results::CResultsReader reader(source);
    while (reader.Next()) {
    }
    if (!reader.Outcome().Complete())
        std::fprintf(stderr, "the reader: %s (kept %llu of %llu bytes, closed with \"%s\")\n",
                     reader.Outcome().problem.c_str(), static_cast<unsigned long long>(repair.keep),
                     static_cast<unsigned long long>(repair.size), repair.closing.c_str());
    fuzz::Check(reader.Outcome().Complete(), "a repaired file reads complete");
    fuzz::Check(!reader.Outcome().reportOpen, "a repaired file ends its report");
    results::ReportRepair again;
    fuzz::Check(results::RepairReportBytes(repaired, &again) == repaired &&
                    again.state == results::ReportRepair::State::Intact,
                "a repaired file needs no second repair");
    results::CMemoryByteSource infoSource(repaired);
    results::GeneralInfo info = results::GeneralInfoFromReport(infoSource);
    std::string file = results::GeneralInfoFileBytes(info);
    fuzz::Check(results::ParseGeneralInfo(file).total == info.total, "GeneralInfo.ini holds the Total");
    fuzz::Check(!results::RaiseGeneralInfoTotal(file, info.total), "a Total as high is kept");
    return 0;
}
