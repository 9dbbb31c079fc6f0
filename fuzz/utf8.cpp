// The UTF-8/UTF-16 converters: any bytes decode under both rules, well-formed
// UTF-8 comes back byte for byte, and any UTF-16 encodes to valid UTF-8.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "pal/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    for (PalUtf8Rule rule : {PalUtf8Rule::Tolerant, PalUtf8Rule::Windows}) {
        bool clean = true;
        size_t units = PalDecodeUtf8(bytes, size, nullptr, rule, &clean);
        std::vector<WCHAR> wide(units + 1);
        bool cleanAgain = true;
        fuzz::Check(PalDecodeUtf8(bytes, size, wide.data(), rule, &cleanAgain) == units, "the count is the units");
        fuzz::Check(clean == cleanAgain, "counting and decoding agree");
        size_t length = PalUtf8Length(wide.data(), units);
        std::string encoded(length, '\0');
        fuzz::Check(PalEncodeUtf8(wide.data(), units, &encoded[0]) == length, "the length is the bytes");
        if (clean && rule == PalUtf8Rule::Windows)
            fuzz::Check(encoded == std::string(bytes, size), "well-formed UTF-8 comes back unchanged");
        bool valid = true;
        PalDecodeUtf8(encoded.data(), encoded.size(), nullptr, PalUtf8Rule::Windows, &valid);
        fuzz::Check(valid, "what is encoded is well-formed UTF-8");
    }
    // The bytes as UTF-16 units.
    WideString units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<WCHAR>(data[i] | (data[i + 1] << 8)));
    std::string encoded = PalToUtf8(units);
    bool valid = true;
    PalDecodeUtf8(encoded.data(), encoded.size(), nullptr, PalUtf8Rule::Windows, &valid);
    fuzz::Check(valid, "any UTF-16 encodes to well-formed UTF-8");
    return 0;
}
