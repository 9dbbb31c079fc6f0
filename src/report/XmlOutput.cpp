#include "report/XmlOutput.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "report/XmlSyntax.h"
#include "report/XmlText.h"
#include "text/DecimalText.h"
#include "text/Utf8.h"

namespace {

// What an ASCII unit asks of a rule (bits of kAscii).
enum : uint8_t {
    kNotXml = 1,    // a control XML does not allow: U+FFFD
    kInAttribute = 2, // '<', '"', '&'
    kInCData = 4,     // ']', which may begin "]]>"
    kToEscape = 8,    // '&', '"', '>', '<' and LF of a node attribute
};

struct AsciiTable {
    uint8_t bits[128];
    constexpr AsciiTable() : bits()
    {
        for (int c = 0; c < 0x20; ++c)
            if (c != 0x09 && c != 0x0A && c != 0x0D)
                bits[c] = kNotXml;
        bits[static_cast<int>('<')] = kInAttribute | kToEscape;
        bits[static_cast<int>('"')] = kInAttribute | kToEscape;
        bits[static_cast<int>('&')] = kInAttribute | kToEscape;
        bits[static_cast<int>('>')] = kToEscape;
        bits[0x0A] = kToEscape;
        bits[static_cast<int>(']')] = kInCData;
    }
};
constexpr AsciiTable kAscii;

uint8_t MaskOf(CXmlOutput::Rule rule)
{
    switch (rule) {
    case CXmlOutput::Rule::Attribute: return kNotXml | kInAttribute;
    case CXmlOutput::Rule::CData:
    case CXmlOutput::Rule::StepCData: return kNotXml | kInCData;
    case CXmlOutput::Rule::NodeEscape: return kNotXml | kToEscape;
    case CXmlOutput::Rule::Characters: return 0;
    }
    return 0;
}

// The most bytes one unit can become under the rule ("&lt;br&gt;" for a line
// feed of a node attribute, "&quot;" in an attribute).
size_t MostBytesPerUnit(CXmlOutput::Rule rule) { return rule == CXmlOutput::Rule::NodeEscape ? 10 : 6; }

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char* PutAscii(char* out, const char* text, size_t length)
{
    std::memcpy(out, text, length);
    return out + length;
}

template <size_t N>
char* PutAscii(char* out, const char (&text)[N])
{
    return PutAscii(out, text, N - 1);
}

char* PutReplacement(char* out)
{
    out[0] = static_cast<char>(0xEF);
    out[1] = static_cast<char>(0xBF);
    out[2] = static_cast<char>(0xBD);
    return out + 3;
}

// Whether the text holds one of the entities that keep a node attribute as
// it is ("&amp;", "&quot;", "&gt;", "&lt;").
bool HoldsEscapedEntity(const WCHAR* p)
{
    static const char* const kEntities[] = {"&amp;", "&quot;", "&gt;", "&lt;"};
    for (; *p; ++p) {
        if (*p != '&')
            continue;
        for (const char* entity : kEntities) {
            size_t i = 1;
            while (entity[i] && p[i] == static_cast<WCHAR>(entity[i]))
                ++i;
            if (!entity[i])
                return true;
        }
    }
    return false;
}

} // namespace

CXmlOutput::~CXmlOutput() { std::free(m_data); }

void CXmlOutput::Release() noexcept
{
    std::free(m_data);
    m_data = nullptr;
    m_size = m_capacity = 0;
}

char* CXmlOutput::Grow(size_t bytes)
{
    size_t wanted = m_size + bytes;
    if (wanted < m_size)
        throw std::bad_alloc();
    size_t capacity = m_capacity ? m_capacity : 4096;
    while (capacity < wanted) {
        if (capacity > (static_cast<size_t>(-1) >> 1))
            throw std::bad_alloc();
        capacity *= 2;
    }
    char* grown = static_cast<char*>(std::realloc(m_data, capacity));
    if (!grown)
        throw std::bad_alloc();
    m_data = grown;
    m_capacity = capacity;
    return m_data + m_size;
}

CXmlOutput& CXmlOutput::Number(long value)
{
    m_size += FormatDecimal(value, Room(kMaxDecimalLength));
    return *this;
}

CXmlOutput& CXmlOutput::Attribute(const WCHAR* text) { return Write(text, Rule::Attribute); }
CXmlOutput& CXmlOutput::CData(const WCHAR* text) { return Write(text, Rule::CData); }
CXmlOutput& CXmlOutput::StepCData(const WCHAR* text) { return Write(text, Rule::StepCData); }
CXmlOutput& CXmlOutput::Encoded(const WCHAR* text) { return Write(text, Rule::Characters); }

CXmlOutput& CXmlOutput::NodeAttribute(const WCHAR* text)
{
    if (!text)
        return *this;
    // A text that holds an entity already is kept as it is (made safe only).
    return Write(text, HoldsEscapedEntity(text) ? Rule::Attribute : Rule::NodeEscape);
}

CXmlOutput& CXmlOutput::Markup(const WCHAR* text)
{
    CXmlSafeText safe(text, XmlPlace::Markup);
    return Write(safe.c_str(), Rule::Characters);
}

CXmlOutput& CXmlOutput::Write(const WCHAR* text, Rule rule)
{
    if (!text || !*text)
        return *this;
    const size_t length = PAL_wcslen(text);
    char* const start = Room(length * MostBytesPerUnit(rule) + 4);
    char* out = start;
    const uint8_t mask = MaskOf(rule);
    const WCHAR* p = text;
    const WCHAR* const end = text + length;
    while (p < end) {
        uint32_t unit = static_cast<uint16_t>(*p);
        if (unit < 0x80) {
            if (!(kAscii.bits[unit] & mask)) {
                *out++ = static_cast<char>(unit);
                ++p;
                continue;
            }
            // A unit the rule changes.
            if (kAscii.bits[unit] & kNotXml) {
                out = PutReplacement(out);
                ++p;
            } else if (rule == Rule::NodeEscape) {
                switch (unit) {
                case '&': out = PutAscii(out, "&amp;"); break;
                case '"': out = PutAscii(out, "&quot;"); break;
                case '>': out = PutAscii(out, "&gt;"); break;
                case '<': out = PutAscii(out, "&lt;"); break;
                default: out = PutAscii(out, "&lt;br&gt;"); break; // a line feed
                }
                ++p;
            } else if (rule == Rule::Attribute) {
                if (unit == '<') {
                    out = PutAscii(out, "&lt;");
                    ++p;
                } else if (unit == '"') {
                    out = PutAscii(out, "&quot;");
                    ++p;
                } else {
                    // An '&' stays when it begins a reference (all ASCII).
                    size_t reference = XmlReferenceLength(p);
                    if (reference == 0) {
                        out = PutAscii(out, "&amp;");
                        ++p;
                    } else {
                        for (size_t i = 0; i < reference; ++i)
                            *out++ = static_cast<char>(p[i]);
                        p += reference;
                    }
                }
            } else {
                // ']' inside a CDATA section: "]]>" would end it.
                if (p[1] == ']' && p[2] == '>') {
                    if (rule == Rule::StepCData)
                        out = PutAscii(out, "]]_");
                    else
                        out = PutAscii(out, "]]]]><![CDATA[>");
                    p += 3;
                } else {
                    *out++ = ']';
                    ++p;
                }
            }
            continue;
        }
        if (unit < 0x800) {
            *out++ = static_cast<char>(0xC0 | (unit >> 6));
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
            ++p;
            continue;
        }
        if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            uint32_t low = static_cast<uint16_t>(p[1]); // p[1] is at most the terminating zero
            if (IsHighSurrogate(unit) && IsLowSurrogate(low)) {
                uint32_t code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                *out++ = static_cast<char>(0xF0 | (code >> 18));
                *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
                *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                *out++ = static_cast<char>(0x80 | (code & 0x3F));
                p += 2;
            } else {
                out = PutReplacement(out);
                ++p;
            }
            continue;
        }
        if (unit >= 0xFFFE && rule != Rule::Characters) {
            out = PutReplacement(out);
        } else {
            *out++ = static_cast<char>(0xE0 | (unit >> 12));
            *out++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
        }
        ++p;
    }
    m_size += static_cast<size_t>(out - start);
    return *this;
}

CBstrString TextOfOutput(const CXmlOutput& output)
{
    std::string bytes(output.Data() ? output.Data() : "", output.Size());
    size_t units = Utf8ToWide(bytes.c_str(), nullptr, 0);
    if (units == 0)
        return CBstrString();
    std::vector<WCHAR> text(units);
    Utf8ToWide(bytes.c_str(), text.data(), units);
    return CBstrString(text.data(), static_cast<UINT>(units - 1));
}
