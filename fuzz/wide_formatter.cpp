// The wide printf formatter: templates made of any text around one
// conversion whose argument has the type the conversion reads (any flags,
// width, precision, size prefix). The measured length is the length written,
// and integer and floating-point conversions give what the C library's
// snprintf gives.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "text/WideFormatter.h"

namespace {

class CInput {
public:
    CInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    uint64_t Bits()
    {
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value = (value << 8) | Byte();
        return value;
    }
    std::string Rest() { return std::string(reinterpret_cast<const char*>(m_data + m_at), m_size - m_at); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

std::string Narrowed(const WideString& text)
{
    std::string narrow;
    for (WCHAR c : text)
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return narrow;
}

// Stops with both texts when they differ.
void Same(const WideString& made, const char* expected, const std::string& format, const char* rule)
{
    WideString wanted;
    for (const char* c = expected; *c; ++c)
        wanted.push_back(static_cast<unsigned char>(*c));
    if (made != wanted)
        std::fprintf(stderr, "format \"%s\": made \"%s\", snprintf \"%s\"\n", format.c_str(), Narrowed(made).c_str(),
                     expected);
    fuzz::Check(made == wanted, rule);
}

WideString Widened(const std::string& text)
{
    WideString wide;
    for (unsigned char c : text)
        wide.push_back(c);
    return wide;
}

// Formats and checks that measuring and writing agree; the text made.
template <typename... Args> WideString Format(const WideString& format, Args... args)
{
    size_t length = WideFormat(nullptr, 0, format.c_str(), args...);
    if (length == kWideFormatFailed || length > (1u << 20))
        return WideString();
    std::vector<WCHAR> buffer(length + 1);
    fuzz::Check(WideFormat(buffer.data(), buffer.size(), format.c_str(), args...) == length,
                "the measured length is the length written");
    fuzz::Check(buffer[length] == 0, "the text is terminated");
    std::vector<WCHAR> small(length / 2 + 1);
    WideFormat(small.data(), small.size(), format.c_str(), args...);
    fuzz::Check(small.back() == 0, "a short buffer is terminated");
    return WideString(buffer.data(), length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CInput input(data, size);
    static const char kFlags[] = "-+ #0";
    static const char* const kSizes[] = {"", "h", "hh", "l", "ll", "I64", "I32"};
    static const char kConversions[] = "diuoxXcCsSeEfgGaA%"; // F is a size prefix here
    std::string directive = "%";
    uint8_t flags = input.Byte();
    for (int i = 0; i < 5; ++i)
        if (flags & (1 << i))
            directive += kFlags[i];
    uint8_t width = input.Byte() % 40, precision = input.Byte() % 40;
    bool hasWidth = width > 0, hasPrecision = precision > 0;
    if (hasWidth)
        directive += std::to_string(width - 1);
    if (hasPrecision)
        directive += "." + std::to_string(precision - 1);
    const char* sizePrefix = kSizes[input.Byte() % 7];
    char conversion = kConversions[input.Byte() % (sizeof(kConversions) - 1)];
    uint64_t bits = input.Bits();
    std::string text = input.Rest();
    std::string before = text.substr(0, text.size() / 2);
    std::string after = text.substr(text.size() / 2);
    // Percent signs in the surrounding text would read arguments: doubled.
    for (std::string* piece : {&before, &after})
        for (size_t at = piece->find('%'); at != std::string::npos; at = piece->find('%', at + 2))
            piece->insert(at, "%");

    const bool integer = std::strchr("diuoxX", conversion) != nullptr;
    const bool real = std::strchr("eEfgGaA", conversion) != nullptr;
    const bool text_ = std::strchr("cCsS", conversion) != nullptr;
    std::string prefix = integer ? sizePrefix : "";
    if (text_ && (std::string(sizePrefix) == "h" || std::string(sizePrefix) == "l"))
        prefix = sizePrefix; // h: narrow, l: wide
    // Which kind of text or character the conversion reads.
    const bool wideText = (conversion == 's' || conversion == 'c') ? prefix != "h" : prefix == "l";
    WideString format = Widened(before + directive + prefix + conversion + after);
    WideString made;
    const bool wide64 = prefix == "ll" || prefix == "I64";
    if (integer) {
        made = wide64 ? Format(format, static_cast<long long>(bits)) : Format(format, static_cast<int>(bits));
        std::string cFormat = before + directive + (wide64 ? "ll" : prefix == "h" || prefix == "hh" ? prefix : "") +
                              conversion + after;
        char expected[4096];
        int n = wide64 ? std::snprintf(expected, sizeof expected, cFormat.c_str(), static_cast<long long>(bits))
                       : std::snprintf(expected, sizeof expected, cFormat.c_str(), static_cast<int>(bits));
        if (n >= 0 && static_cast<size_t>(n) < sizeof expected)
            Same(made, expected, cFormat, "integers format as snprintf formats them");
    } else if (real) {
        const bool checked = conversion != 'a' && conversion != 'A'; // hexadecimal forms may differ
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        made = Format(format, value);
        std::string cFormat = before + directive + conversion + after;
        char expected[4096];
        int n = std::snprintf(expected, sizeof expected, cFormat.c_str(), value);
        if (checked && n >= 0 && static_cast<size_t>(n) < sizeof expected)
            Same(made, expected, cFormat, "doubles format as snprintf formats them");
    } else if (conversion == 'c' || conversion == 'C') {
        made = Format(format, static_cast<int>(wideText ? bits & 0xFFFF : bits & 0xFF));
    } else if (conversion == 's' || conversion == 'S') {
        if (wideText) {
            WideString argument = Widened(text);
            made = Format(format, argument.c_str());
            made = Format(format, static_cast<const WCHAR*>(nullptr));
        } else {
            made = Format(format, text.c_str());
        }
    } else {
        made = Format(format);
    }
    return 0;
}
