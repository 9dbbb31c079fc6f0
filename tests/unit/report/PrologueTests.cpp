// The start of a new Results.xml at both product levels, compared with the
// golden files, and the earlier level's declaration file beside the host
// executable.
#include <gtest/gtest.h>

#include "report/ResultsPrologue.h"
#include "report/XMLRootRecords.h"
#include "report/XmlSyntax.h"
#include "unit/report/ReportTestSupport.h"

namespace {

std::string Golden(const char* name, const std::string& zone)
{
    std::string golden = test::ReadFileBytes(test::DataPath(std::string("report/") + name));
    EXPECT_FALSE(golden.empty()) << name;
    return test::ReplaceAll(golden, "@TMZONE@", zone);
}

std::string ZoneName()
{
    CBstrString zone;
    GetTimeZoneName(zone);
    return test::Utf8Of(zone);
}

// The document a prologue starts, closed as small as the declaration allows.
std::string SmallestDocument(const std::string& prologue)
{
    return prologue +
           "<General productName=\"p\" productVer=\"v\" os=\"\" host=\"h\"><DocLocation><![CDATA[l]]></DocLocation>"
           "</General>\r\n<Doc rID=\"T1\"   productName= \"p\"  >\r\n<DName><![CDATA[t]]></DName>\r\n"
           "<Res><![CDATA[r]]></Res>\r\n</Doc>\r\n</Report>";
}

// Puts "external.dtd" beside the test executable for the life of the object.
class ExternalDeclaration {
public:
    explicit ExternalDeclaration(const std::string& bytes)
    {
        CBstrString path;
        EXPECT_TRUE(GetExternalDeclarationPath(path));
        WideString wide(path.c_str());
        if (std::filesystem::path::preferred_separator == '/')
            for (WCHAR& unit : wide)
                if (unit == '\\')
                    unit = '/'; // as the platform layer reads the path
        m_path = test::FromWide(wide);
        test::WriteFileBytes(m_path, bytes);
    }
    ~ExternalDeclaration()
    {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }

private:
    std::filesystem::path m_path;
};

std::string Utf16LeBytes(const std::string& utf8, bool byteOrderMark)
{
    std::string bytes = byteOrderMark ? std::string("\xFF\xFE", 2) : std::string();
    for (WCHAR unit : test::Utf8ToUtf16(utf8)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
    }
    return bytes;
}

} // namespace

TEST(Prologue, CurrentLevelMatchesTheGoldenFile)
{
    CXMLStartRootNodeData root(false);
    std::string text = test::TextOf(root);
    EXPECT_EQ(text, Golden("prologue-current.xml", ZoneName()));
    EXPECT_TRUE(test::WellFormed(SmallestDocument(text)));
    std::string error;
    EXPECT_TRUE(test::XmlIsValid(SmallestDocument(text), &error)) << error;
}

TEST(Prologue, EarlierLevelMatchesTheGoldenFile)
{
    CXMLStartRootNodeData root(false, ProductLevel::Earlier);
    std::string text = test::TextOf(root);
    EXPECT_EQ(text, Golden("prologue-earlier.xml", ZoneName()));
    std::string error;
    EXPECT_TRUE(test::XmlIsValid(SmallestDocument(text), &error)) << error;
}

TEST(Prologue, TheBuiltInDeclarationsPassTheDeclarationCheck)
{
    // What an "external.dtd" may hold is checked with the same rules the
    // built-in declarations meet.
    for (const char* name : {"prologue-current.xml", "prologue-earlier.xml"}) {
        std::string prologue = Golden(name, "z");
        size_t from = prologue.find("<!DOCTYPE");
        size_t to = prologue.find("<Report ");
        WideString declaration = test::Utf8ToUtf16(prologue.substr(from, to - from));
        EXPECT_TRUE(IsWellFormedXmlProlog(declaration.c_str())) << name;
    }
}

TEST(Prologue, TheTimeZoneNameIsMadeSafe)
{
    CXMLStartRootNodeData given(false, ProductLevel::Current, W("Zone"));
    EXPECT_EQ(test::TextOf(given), Golden("prologue-current.xml", "Zone"));

    CBstrString text;
    BuildResultsPrologue(ProductLevel::Current, W("A&B \"C\""), text);
    std::string utf8 = test::Utf8Of(text);
    EXPECT_NE(utf8.find("<Report ver=\"2.0\" tmZone=\"A&amp;B &quot;C&quot;\">\r\n"), std::string::npos);
}

TEST(Prologue, EarlierLevelTakesTheExternalDeclaration)
{
    const std::string declaration = "<!DOCTYPE Report [\r\n<!ELEMENT Report ANY>\r\n]>";
    ExternalDeclaration file(Utf16LeBytes(declaration, true));

    CXMLStartRootNodeData earlier(false, ProductLevel::Earlier);
    std::string text = test::TextOf(earlier);
    EXPECT_EQ(text, "<?xml version=\"1.0\"?>\r\n " + declaration + " <Report ver=\"2.0\" tmZone=\"" + ZoneName() +
                        "\">\r\n");
    EXPECT_TRUE(test::WellFormed(text + "</Report>"));

    // The current level never looks for it; an appended run writes nothing.
    CXMLStartRootNodeData current(false);
    EXPECT_EQ(test::TextOf(current), Golden("prologue-current.xml", ZoneName()));
    CXMLStartRootNodeData appended(true, ProductLevel::Earlier);
    EXPECT_EQ(test::TextOf(appended), "");
}

TEST(Prologue, ExternalDeclarationBytesAreUtf16)
{
    // No byte-order mark, an odd last byte: the text is the whole units.
    std::string bytes = Utf16LeBytes("<!DOCTYPE Report>", false) + "x";
    ExternalDeclaration file(bytes);
    CXMLStartRootNodeData earlier(false, ProductLevel::Earlier);
    EXPECT_EQ(test::TextOf(earlier),
              "<?xml version=\"1.0\"?>\r\n <!DOCTYPE Report> <Report ver=\"2.0\" tmZone=\"" + ZoneName() + "\">\r\n");

    // An empty file gives a document without a declaration.
    ExternalDeclaration empty("");
    EXPECT_EQ(test::TextOf(earlier), "<?xml version=\"1.0\"?>\r\n  <Report ver=\"2.0\" tmZone=\"" + ZoneName() + "\">\r\n");
}

TEST(Prologue, AMalformedExternalDeclarationGivesTheBuiltInOne)
{
    const char* const malformed[] = {
        "<!DOCTYPE Report [<!ELEMENT Report (General,>]>",   // broken content model
        "<!DOCTYPE Report [<!ELEMENT Report ANY>",            // no end
        "<!DOCTYPE Report [%pe;]>",                            // parameter-entity reference
        "<!DOCTYPE Report [<!ATTLIST R a CDATA \"<\">]>",      // '<' in a default value
        "<!DOCTYPE Report><!DOCTYPE Report>",                  // two declarations
        "text",                                                // not a declaration at all
    };
    for (const char* declaration : malformed) {
        ExternalDeclaration file(Utf16LeBytes(declaration, true));
        CXMLStartRootNodeData earlier(false, ProductLevel::Earlier);
        EXPECT_EQ(test::TextOf(earlier), Golden("prologue-earlier.xml", ZoneName())) << declaration;
    }
    // A file in 8-bit text reads as other characters entirely.
    ExternalDeclaration narrow("<!DOCTYPE Report>");
    CXMLStartRootNodeData earlier(false, ProductLevel::Earlier);
    EXPECT_EQ(test::TextOf(earlier), Golden("prologue-earlier.xml", ZoneName()));
}
