// Well-formedness for every input: what is mended in attribute values, CDATA
// sections and ready-made markup, that nothing else changes, and a property
// test that runs random texts through every record into a parser.
#include <gtest/gtest.h>

#include <random>

#include "report/XMLActionRecords.h"
#include "report/XMLBusinessProcessRecords.h"
#include "report/XMLRootRecords.h"
#include "report/XMLRunInfoRecords.h"
#include "report/XMLStepRecords.h"
#include "report/XMLTestRecords.h"
#include "report/XmlSyntax.h"
#include "report/XmlText.h"
#include "unit/report/ReportTestSupport.h"

namespace {

WideString Safe(const WideString& text, XmlPlace place)
{
    CXmlSafeText safe(text.c_str(), place);
    return WideString(safe.c_str());
}

WideString U(const char* ascii) { return PAL_AsciiToWide(ascii); }

bool IsContentWellFormed(const char* ascii) { return IsWellFormedXmlContent(U(ascii).c_str()); }
bool IsPrologWellFormed(const char* ascii) { return IsWellFormedXmlProlog(U(ascii).c_str()); }

} // namespace

TEST(XmlSafeText, SafeTextsAreUsedAsTheyAre)
{
    const WCHAR* text = W("plain > text &amp; &#65; &#x1F600; ' ]] tab\tCR\rLF\n");
    CXmlSafeText attribute(text, XmlPlace::Attribute);
    EXPECT_EQ(attribute.c_str(), text);
    EXPECT_FALSE(attribute.WasMended());
    const WCHAR* cdata = W("<a href=\"x\">&bogus; ]]</a>");
    CXmlSafeText section(cdata, XmlPlace::CData);
    EXPECT_EQ(section.c_str(), cdata);
    CXmlSafeText none(static_cast<const WCHAR*>(nullptr), XmlPlace::Markup);
    EXPECT_EQ(WideString(none.c_str()), WideString());
}

TEST(XmlSafeText, AttributeValues)
{
    EXPECT_EQ(Safe(U("a<b"), XmlPlace::Attribute), U("a&lt;b"));
    EXPECT_EQ(Safe(U("say \"hi\""), XmlPlace::Attribute), U("say &quot;hi&quot;"));
    EXPECT_EQ(Safe(U("R&D &amp; &lt;"), XmlPlace::Attribute), U("R&amp;D &amp; &lt;"));
    // Only the predefined entities and references to allowed characters count.
    EXPECT_EQ(Safe(U("&nbsp; &#0; &#xD800; &#1114112; &#; &#x; &apos;"), XmlPlace::Attribute),
              U("&amp;nbsp; &amp;#0; &amp;#xD800; &amp;#1114112; &amp;#; &amp;#x; &apos;"));
    EXPECT_EQ(Safe(U("&#9;&#x10FFFF;&#65"), XmlPlace::Attribute), U("&#9;&#x10FFFF;&amp;#65"));
}

TEST(XmlSafeText, CharactersXmlDoesNotAllowBecomeReplacementCharacters)
{
    WideString text;
    text += W('a');
    text += WCHAR(0x01);
    text += WCHAR(0x1F);
    text += WCHAR(0xFFFE);
    text += WCHAR(0xFFFF);
    text += WCHAR(0xD800); // lone high surrogate
    text += W('b');
    text += WCHAR(0xDC00); // lone low surrogate
    text += WCHAR(0xD83D); // a pair stays
    text += WCHAR(0xDE00);
    text += WCHAR(0xDE00); // a low surrogate after the pair
    text += WCHAR(0xD83D); // a high surrogate at the end
    WideString expected;
    expected += W('a');
    expected.append(5, WCHAR(0xFFFD));
    expected += W('b');
    expected += WCHAR(0xFFFD);
    expected += WCHAR(0xD83D);
    expected += WCHAR(0xDE00);
    expected.append(2, WCHAR(0xFFFD));
    EXPECT_EQ(Safe(text, XmlPlace::Attribute), expected);
    EXPECT_EQ(Safe(text, XmlPlace::CData), expected);
    EXPECT_EQ(Safe(text, XmlPlace::Markup), expected);
}

TEST(XmlSafeText, CDataSectionsAreSplitAtTheirEnd)
{
    EXPECT_EQ(Safe(U("a]]>b"), XmlPlace::CData), U("a]]]]><![CDATA[>b"));
    EXPECT_EQ(Safe(U("]]]>>"), XmlPlace::CData), U("]]]]]><![CDATA[>>"));
    EXPECT_EQ(Safe(U("]]>]]>"), XmlPlace::CData), U("]]]]><![CDATA[>]]]]><![CDATA[>"));
}

TEST(XmlSafeText, MarkupIsKeptOnlyWhenWellFormed)
{
    const char* const good[] = {
        "",
        "<TestMaintenanceSummary ObjectsAdded=\"1\" ObjectsUpdated='0'><ActionMaintenanceSummary Action=\"a&amp;b\"/>"
        "</TestMaintenanceSummary>",
        "text &lt; <!-- note --> <?pi data?> <![CDATA[ <raw> ]]> <a/><b c = \"&#60;\" ></b>",
    };
    for (const char* markup : good)
        EXPECT_EQ(Safe(U(markup), XmlPlace::Markup), U(markup)) << markup;

    EXPECT_EQ(Safe(U("<a><b></a>"), XmlPlace::Markup), U("<![CDATA[<a><b></a>]]>"));
    EXPECT_EQ(Safe(U("<a>]]></a>"), XmlPlace::Markup), U("<![CDATA[<a>]]]]><![CDATA[></a>]]>"));
}

TEST(XmlSyntax, ContentChecks)
{
    EXPECT_TRUE(IsContentWellFormed("a<b x='1' y=\"2\"/>c<d>e</d >"));
    EXPECT_FALSE(IsContentWellFormed("<a>"));
    EXPECT_FALSE(IsContentWellFormed("</a>"));
    EXPECT_FALSE(IsContentWellFormed("<a></b>"));
    EXPECT_FALSE(IsContentWellFormed("<a x='1' x='2'/>"));
    EXPECT_FALSE(IsContentWellFormed("<a x='<'/>"));
    EXPECT_FALSE(IsContentWellFormed("<a x=1/>"));
    EXPECT_FALSE(IsContentWellFormed("<a x='1'y='2'/>"));
    EXPECT_FALSE(IsContentWellFormed("a & b"));
    EXPECT_FALSE(IsContentWellFormed("a ]]> b"));
    EXPECT_FALSE(IsContentWellFormed("<!-- a -- b -->"));
    EXPECT_FALSE(IsContentWellFormed("<!-- a --->"));
    EXPECT_FALSE(IsContentWellFormed("<?xml version='1.0'?>"));
    EXPECT_FALSE(IsContentWellFormed("<![CDATA[ open"));
    EXPECT_FALSE(IsContentWellFormed("<!DOCTYPE a>"));
    EXPECT_FALSE(IsContentWellFormed("<1a/>"));
}

TEST(XmlSyntax, PrologChecks)
{
    EXPECT_TRUE(IsPrologWellFormed(""));
    EXPECT_TRUE(IsPrologWellFormed(" <!-- c --> <?pi x?> "));
    EXPECT_TRUE(IsPrologWellFormed("<!DOCTYPE Report SYSTEM \"r.dtd\">"));
    EXPECT_TRUE(IsPrologWellFormed("<!DOCTYPE Report PUBLIC \"-//X//Y\" 'r.dtd' [ ]>"));
    EXPECT_TRUE(IsPrologWellFormed(
        "<!DOCTYPE R [\n<!ELEMENT R (#PCDATA|a|b)*>\n<!ELEMENT a EMPTY><!ELEMENT b ((a|c)+,(d,e?)*)>\n"
        "<!ATTLIST a x CDATA #REQUIRED y (u|v) 'u' z NOTATION (n) #IMPLIED w ID #IMPLIED f CDATA #FIXED \"&amp;\">\n"
        "<!ENTITY e \"&#60; &a;\"><!ENTITY % p SYSTEM \"p.ent\"><!ENTITY u SYSTEM 'u.bin' NDATA n>\n"
        "<!NOTATION n PUBLIC \"n\"><!-- c --><?pi?>\n]>"));
    EXPECT_FALSE(IsPrologWellFormed("<!DOCTYPE>"));
    EXPECT_FALSE(IsPrologWellFormed("<!DOCTYPE R [<!ELEMENT R (a|b,c)>]>"));
    EXPECT_FALSE(IsPrologWellFormed("<!DOCTYPE R [<!ELEMENT R (#PCDATA|a)>]>"));
    EXPECT_FALSE(IsPrologWellFormed("<!DOCTYPE R [<!ENTITY e \"%p;\">]>"));
    EXPECT_FALSE(IsPrologWellFormed("<!DOCTYPE R [<!ATTLIST R a CDATA \"&undeclared;\">]>"));
    EXPECT_FALSE(IsPrologWellFormed("<!DOCTYPE R PUBLIC \"bad{\" \"x\">"));
    EXPECT_FALSE(IsPrologWellFormed("<R/>"));
    EXPECT_FALSE(IsPrologWellFormed("<!DOCTYPE R>junk"));
    std::string deep = "<!DOCTYPE R [<!ELEMENT R " + std::string(100, '(') + "a" + std::string(100, ')') + ">]>";
    EXPECT_FALSE(IsPrologWellFormed(deep.c_str()));
}

// ---- Property test ----

namespace {

// The pieces random texts are made of: what XML treats specially, characters
// it does not allow, surrogates alone and in pairs, and ordinary text.
const std::vector<WideString>& Fragments()
{
    static const std::vector<WideString> fragments = [] {
        std::vector<WideString> list;
        for (const char* piece : {"\"", "'", "&", "&amp;", "&lt;", "&quot;", "&gt;", "&apos;", "&#65;", "&#x263A;",
                                  "&#0;", "&#xD800;", "&bogus;", "&#", "<", ">", "<br>", "]]>", "]]", "]", "]]]>>",
                                  "<![CDATA[", "\t", "\n", "\r", "\r\n", " ", "a", "Test", "=", ";", "#"})
            list.push_back(PAL_AsciiToWide(piece));
        for (WCHAR unit : {WCHAR(0x01), WCHAR(0x08), WCHAR(0x0B), WCHAR(0x1F), WCHAR(0x7F), WCHAR(0x85), WCHAR(0xE9),
                           WCHAR(0x4E2D), WCHAR(0xFEFF), WCHAR(0xFFFD), WCHAR(0xFFFE), WCHAR(0xFFFF), WCHAR(0xD800),
                           WCHAR(0xDBFF), WCHAR(0xDC00), WCHAR(0xDFFF)})
            list.push_back(WideString(1, unit));
        list.push_back(WideString{WCHAR(0xD83D), WCHAR(0xDE00)}); // a pair
        list.push_back(WideString{WCHAR(0xDE00), WCHAR(0xD83D)}); // the reversed pair
        return list;
    }();
    return fragments;
}

WideString RandomText(std::mt19937& random)
{
    WideString text;
    std::uniform_int_distribution<int> pieces(0, 12);
    std::uniform_int_distribution<size_t> pick(0, Fragments().size() - 1);
    int count = pieces(random);
    for (int i = 0; i < count; ++i) {
        const WideString& fragment = Fragments()[pick(random)];
        if (random() % 40 == 0)
            for (int run = 0, length = 1000 + static_cast<int>(random() % 6000); run < length; ++run)
                text += fragment; // a long run
        else
            text += fragment;
    }
    return text;
}

bool IsHigh(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(WCHAR unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The text with every character XML does not allow as U+FFFD.
WideString AllowedCharacters(const WideString& text)
{
    WideString out;
    for (size_t i = 0; i < text.size(); ++i) {
        WCHAR unit = text[i];
        if (IsHigh(unit) && i + 1 < text.size() && IsLow(text[i + 1])) {
            out += unit;
            out += text[++i];
        } else if (IsHigh(unit) || IsLow(unit) || unit == 0xFFFE || unit == 0xFFFF ||
                   (unit < 0x20 && unit != 0x09 && unit != 0x0A && unit != 0x0D)) {
            out += WCHAR(0xFFFD);
        } else {
            out += unit;
        }
    }
    return out;
}

// What a parser reads from a CDATA section that held the text.
WideString ReadBackFromCData(const WideString& text)
{
    WideString allowed = AllowedCharacters(text), out;
    for (size_t i = 0; i < allowed.size(); ++i) {
        if (allowed[i] == '\r') {
            out += W('\n');
            if (i + 1 < allowed.size() && allowed[i + 1] == '\n')
                ++i;
        } else {
            out += allowed[i];
        }
    }
    return out;
}

// The character a reference at text[i] stands for (0: not a reference the
// document may hold), and its length.
unsigned long ReferenceAt(const WideString& text, size_t i, size_t* length)
{
    static const std::pair<const char*, WCHAR> entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& entity : entities) {
        WideString name = PAL_AsciiToWide(entity.first);
        if (text.compare(i, name.size(), name) == 0) {
            *length = name.size();
            return entity.second;
        }
    }
    if (text.compare(i, 2, W("&#")) != 0)
        return 0;
    size_t at = i + 2;
    bool hex = at < text.size() && text[at] == 'x';
    if (hex)
        ++at;
    unsigned long value = 0;
    size_t digits = 0;
    bool tooLarge = false;
    for (; at < text.size(); ++at, ++digits) {
        WCHAR c = text[at];
        int digit = (c >= '0' && c <= '9') ? c - '0'
                    : (hex && c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (hex && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                    : -1;
        if (digit < 0)
            break;
        value = value * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
        if (value > 0x10FFFF) {
            tooLarge = true;
            value = 0;
        }
    }
    bool allowed = value == 9 || value == 10 || value == 13 || (value >= 0x20 && value <= 0xD7FF) ||
                   (value >= 0xE000 && value <= 0xFFFD) || (value >= 0x10000 && value <= 0x10FFFF);
    if (digits == 0 || tooLarge || at >= text.size() || text[at] != ';' || !allowed)
        return 0;
    *length = at + 1 - i;
    return value;
}

void AppendCode(WideString& out, unsigned long code)
{
    if (code >= 0x10000) {
        out += static_cast<WCHAR>(0xD800 + ((code - 0x10000) >> 10));
        out += static_cast<WCHAR>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
        out += static_cast<WCHAR>(code);
    }
}

// What a parser reads from a CDATA-typed attribute that held the text: the
// references it holds resolved, white space as blanks, a CR LF as one blank.
WideString ReadBackFromAttribute(const WideString& text)
{
    WideString allowed = AllowedCharacters(text), out;
    for (size_t i = 0; i < allowed.size(); ++i) {
        size_t length = 0;
        unsigned long code = allowed[i] == '&' ? ReferenceAt(allowed, i, &length) : 0;
        if (code != 0) {
            AppendCode(out, code);
            i += length - 1;
        } else if (allowed[i] == '\r' && i + 1 < allowed.size() && allowed[i + 1] == '\n') {
            out += W(' ');
            ++i;
        } else if (allowed[i] == '\t' || allowed[i] == '\n' || allowed[i] == '\r') {
            out += W(' ');
        } else {
            out += allowed[i];
        }
    }
    return out;
}

WideString WithoutSectionEnds(const WideString& text)
{
    CBstrString copy(text.c_str(), static_cast<UINT>(text.size()));
    copy.Replace(W("]]>"), W("]]_"));
    return WideString(copy.c_str(), copy.Length());
}

// Appends the record's text as the writer would.
void Append(std::string& document, CXMLNodeDataBase&& record) { document += test::EncodedText(record); }

const test::XmlElement* Find(const std::vector<test::XmlElement>& elements, const std::string& name, int occurrence = 0)
{
    for (const test::XmlElement& element : elements)
        if (element.name == name && occurrence-- == 0)
            return &element;
    return nullptr;
}

} // namespace

TEST(XmlSafeTextProperty, RandomTextsGiveDocumentsThatReadBack)
{
    std::mt19937 random(20240305);
    for (int round = 0; round < 50; ++round) {
        std::vector<WideString> t;
        for (int i = 0; i < 24; ++i)
            t.push_back(RandomText(random));
        auto W16 = [&](int i) { return CBstrString(t[i].c_str(), static_cast<UINT>(t[i].size())); };

        std::string document;
        Append(document, CXMLStartRootNodeData(false));
        Append(document, CXMLGeneralNodeData(W16(0), W16(1), W16(2), W16(3), W16(4), W("server"), W16(5)));
        Append(document, CXMLStartTestNodeData(1, W16(6), W16(7), W16(8), W("Test"),
                                               RunIdentity{W16(9), W16(10), W16(11)}, 0));
        Append(document, CXMLAdditionalNodeData(W16(12), W16(13)));
        Append(document, CXMLStartRegularPlainNodeData(2, W16(14), W16(15), W16(16), W16(17), true, false, 5));
        CXMLEndRegularPlainNodeData stepEnd;
        stepEnd.GetNodeArgs()->SetNodeArgs(W16(18).c_str(), W16(19).c_str(), W("1"), W("2"), W("Failed"),
                                           W16(20).c_str(), W("3"), W("0"), W16(21).c_str(), W16(22).c_str(),
                                           W("4"));
        stepEnd.GetNodeArgs()->SetBottomPane(W("HTML"), W16(23).c_str(), W16(0).c_str(), W16(1).c_str());
        Append(document, std::move(stepEnd));
        Append(document, CXMLStartHtmlNodeData(3, W16(2), 6));
        Append(document, CXMLEndHtmlNodeData());
        CXMLEndTestNodeData testEnd;
        SummaryParamList params(1);
        params[0].name = W16(3);
        params[0].value = W16(4);
        testEnd.GetSummary()->SetSummary(W16(5).c_str(), params, W16(6).c_str(), W16(7).c_str(), 1, 2, 3, true,
                                         W16(8).c_str());
        testEnd.GetNodeArgs()->SetNodeArgs(W("StartTest"), W16(9).c_str(), W("1"), W("1"), W("Done"), W(""), W(""),
                                           W(""), W(""), W(""), W(""));
        Append(document, std::move(testEnd));
        Append(document, CXMLEndRootNodeData());

        std::string error;
        ASSERT_TRUE(test::XmlIsWellFormed(document, &error)) << "round " << round << ": " << error;
        std::vector<test::XmlElement> elements;
        if (!test::XmlReadElements(document, &elements, &error))
            continue; // no parser in this build

        auto cdata = [&](int i) { return test::Utf16ToUtf8(ReadBackFromCData(t[i])); };
        auto attribute = [&](int i) { return test::Utf16ToUtf8(ReadBackFromAttribute(t[i])); };
        const test::XmlElement* general = Find(elements, "General");
        ASSERT_NE(general, nullptr);
        EXPECT_EQ(general->Attribute("productName"), attribute(0));
        EXPECT_EQ(general->Attribute("productVer"), attribute(1));
        EXPECT_EQ(general->Attribute("os"), attribute(2));
        EXPECT_EQ(general->Attribute("host"), attribute(4));
        EXPECT_EQ(general->Attribute("vaultproject"), attribute(5));
        EXPECT_EQ(Find(elements, "DocLocation")->text, cdata(3));
        EXPECT_EQ(Find(elements, "Doc")->Attribute("productName"), attribute(8));
        EXPECT_EQ(Find(elements, "DName")->text, cdata(6));
        EXPECT_EQ(Find(elements, "Res")->text, cdata(7));
        if (!t[11].empty()) {
            EXPECT_EQ(Find(elements, "DVer")->text, cdata(11));
        }
        EXPECT_EQ(Find(elements, "AdditionalDataName")->text, cdata(12));
        EXPECT_EQ(Find(elements, "AdditionalDataValue")->text, cdata(13));
        const test::XmlElement* step = Find(elements, "Step");
        if (!t[16].empty()) {
            EXPECT_EQ(step->Attribute("retval"), attribute(16));
        }
        EXPECT_EQ(Find(elements, "Obj")->text, test::Utf16ToUtf8(ReadBackFromCData(WithoutSectionEnds(t[17]))));
        EXPECT_EQ(Find(elements, "Details")->text, test::Utf16ToUtf8(ReadBackFromCData(WithoutSectionEnds(t[14]))));
        EXPECT_EQ(Find(elements, "Time")->text, cdata(15));
        if (!t[18].empty()) {
            const test::XmlElement* args = Find(elements, "NodeArgs");
            EXPECT_EQ(args->Attribute("eType"), attribute(18));
            EXPECT_EQ(Find(elements, "Disp")->text, cdata(19));
            if (!t[21].empty()) {
                EXPECT_EQ(args->Attribute("MovieMarker"), attribute(21));
            }
        }
        EXPECT_EQ(Find(elements, "HTML")->text, cdata(2));
        const test::XmlElement* summary = Find(elements, "Summary");
        ASSERT_NE(summary, nullptr);
        EXPECT_EQ(summary->Attribute("sTime"), t[6].empty() || t[7].empty() ? "" : attribute(6));
        EXPECT_EQ(Find(elements, "ParamName")->text, cdata(3));
        EXPECT_EQ(Find(elements, "ParamVal")->text, cdata(4));
    }
}

TEST(XmlSafeTextProperty, MendedTextsReadBackInFull)
{
    // Texts that break every rule at once still read back as given, apart
    // from the characters XML cannot hold at all.
    WideString nasty = PAL_AsciiToWide("a]]>b\"c<d&e&amp;f");
    CXMLAdditionalNodeData record(CBstrString(nasty.c_str()), CBstrString(nasty.c_str()));
    std::string document = "<r>" + test::EncodedText(record) + "</r>";
    ASSERT_TRUE(test::WellFormed(document));
    std::vector<test::XmlElement> elements;
    if (test::XmlReadElements(document, &elements, nullptr)) {
        EXPECT_EQ(Find(elements, "AdditionalDataName")->text, "a]]>b\"c<d&e&amp;f");
    }
}
