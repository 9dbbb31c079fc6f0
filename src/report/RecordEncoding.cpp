#include "report/RecordEncoding.h"

bool EncodeRecord(CXMLNodeDataBase& record, CXmlOutput& output) noexcept
{
    const size_t before = output.Size();
    try {
        record.GetXMLText(output);
        return true;
    } catch (...) {
        output.Shrink(before);
        return false;
    }
}
