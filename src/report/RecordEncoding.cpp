#include "report/RecordEncoding.h"

#include "text/Utf8.h"

bool EncodeRecord(CXMLNodeDataBase& record, std::string& output) noexcept
{
    const size_t before = output.size();
    try {
        CBstrString text;
        record.GetXMLText(text);
        if (text.IsEmpty())
            return true;
        // The size with the terminating zero, then the bytes in place.
        size_t size = WideToUtf8(text.c_str(), nullptr, 0);
        if (size <= 1)
            return false;
        output.resize(before + size);
        if (WideToUtf8(text.c_str(), &output[before], size) != size) {
            output.resize(before);
            return false;
        }
        output.resize(before + size - 1); // without the zero
        return true;
    } catch (...) {
        output.resize(before);
        return false;
    }
}
