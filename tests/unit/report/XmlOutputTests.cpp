// The records' encoder writes each text in one pass. Its bytes must be those
// of the two steps it stands for: the text made safe for its place
// (CXmlSafeText, EscapeNodeAttributeText, the "]]_" of a step's object and
// details) and then encoded with WideToUtf8. Random texts made of the units
// that matter (markup characters, references, "]]>", controls, surrogates
// alone and in pairs, U+FFFE, non-ASCII) are run through both.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "report/XmlOutput.h"
#include "report/XmlText.h"
#include "text/Utf8.h"
#include "unit/report/ReportTestSupport.h"

namespace {

std::string Utf8(const WCHAR* text)
{
    size_t size = WideToUtf8(text, nullptr, 0);
    if (size <= 1)
        return std::string();
    std::string bytes(size, '\0');
    WideToUtf8(text, &bytes[0], size);
    bytes.resize(size - 1);
    return bytes;
}

std::string Mended(const WideString& text, XmlPlace place)
{
    CXmlSafeText safe(text.c_str(), place);
    return Utf8(safe.c_str());
}

WideString RandomText(std::mt19937& random)
{
    static const char* const kPieces[] = {"<", ">", "\"", "'", "&", "&amp;", "&lt;", "&gt;", "&quot;", "&#65;",
                                          "&#x1F600;", "&#0;", "&bogus;", "]", "]]", "]]>", "]]]>", "\n", "\r",
                                          "\t", "a", "Z", " ", "<b>x</b>", "<!--c-->", "<![CDATA[", "br"};
    static const WCHAR kUnits[] = {0x01, 0x08, 0x0B, 0x1F, 0x7F, 0x80, 0xE9, 0x7FF, 0x800, 0x20AC, 0xD7FF,
                                   0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFD, 0xFFFE, 0xFFFF};
    WideString text;
    int parts = static_cast<int>(random() % 12);
    for (int i = 0; i < parts; ++i) {
        switch (random() % 4) {
        case 0:
            text += PAL_AsciiToWide(kPieces[random() % (sizeof(kPieces) / sizeof(kPieces[0]))]);
            break;
        case 1:
            text += kUnits[random() % (sizeof(kUnits) / sizeof(kUnits[0]))];
            break;
        case 2:
            // A pair.
            text += static_cast<WCHAR>(0xD800 + random() % 0x400);
            text += static_cast<WCHAR>(0xDC00 + random() % 0x400);
            break;
        default:
            text += static_cast<WCHAR>(0x20 + random() % 0x5F);
            break;
        }
    }
    return text;
}

WideString WithoutSectionEnds(const WideString& text)
{
    CBstrString replaced(text.c_str());
    replaced.Replace(W("]]>"), W("]]_"));
    return WideString(replaced.c_str());
}

template <class Write>
std::string Written(Write write)
{
    CXmlOutput output;
    write(output);
    return test::BytesOf(output);
}

} // namespace

TEST(XmlOutput, EachPlaceWritesWhatMendingAndEncodingGive)
{
    std::mt19937 random(20241208);
    for (int round = 0; round < 20000; ++round) {
        const WideString text = RandomText(random);
        SCOPED_TRACE(test::Utf16ToUtf8(text));
        const WCHAR* p = text.c_str();
        EXPECT_EQ(Written([&](CXmlOutput& out) { out.Attribute(p); }), Mended(text, XmlPlace::Attribute));
        EXPECT_EQ(Written([&](CXmlOutput& out) { out.CData(p); }), Mended(text, XmlPlace::CData));
        EXPECT_EQ(Written([&](CXmlOutput& out) { out.StepCData(p); }),
                  Mended(WithoutSectionEnds(text), XmlPlace::CData));
        CBstrString escaped;
        EscapeNodeAttributeText(p, escaped);
        EXPECT_EQ(Written([&](CXmlOutput& out) { out.NodeAttribute(p); }),
                  Mended(WideString(escaped.c_str()), XmlPlace::Attribute));
        EXPECT_EQ(Written([&](CXmlOutput& out) { out.Markup(p); }), Mended(text, XmlPlace::Markup));
        EXPECT_EQ(Written([&](CXmlOutput& out) { out.Encoded(p); }), Utf8(p));
        if (HasFailure())
            return;
    }
}

TEST(XmlOutput, MarkupNumbersAndGrowth)
{
    CXmlOutput output;
    output.Put("<a n=\"").Number(-2147483647L - 1).Put("\" m=\"").Number(0).Put("\">");
    EXPECT_EQ(test::BytesOf(output), "<a n=\"-2147483648\" m=\"0\">");
    // Far more than the first room; a text stops at its first zero unit.
    WideString big(100000, static_cast<WCHAR>('x'));
    output.CData(big.c_str());
    EXPECT_EQ(output.Size(), 25u + 100000u);
    const WCHAR cut[] = {'a', 0, 'b', 0};
    output.Clear();
    output.Attribute(cut);
    EXPECT_EQ(test::BytesOf(output), "a");
    EXPECT_TRUE(TextOfOutput(output) == W("a"));
}
