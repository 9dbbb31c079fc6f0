// XML checks of the tests: is a document well-formed, is it valid against its
// internal declaration, and what does a parser read from it. The native
// builds check with libxml2; the Windows build has no parser and answers
// "not checked" (XmlChecksAvailable() is false there).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace test {

// True when the checks below really parse.
bool XmlChecksAvailable();

// True when the UTF-8 document is well-formed XML 1.0 (namespace rules are
// not applied). Without a parser: true, and error says "not checked".
bool XmlIsWellFormed(const std::string& utf8, std::string* error);

// True when the document is well-formed and valid against its document type
// declaration. The declaration's content model of Doc is not deterministic
// (Step* on both sides of DIter*), which a validating parser reports about
// the declaration itself; that report is not counted. Without a parser:
// true, and error says "not checked".
bool XmlIsValid(const std::string& utf8, std::string* error);

// One element as a parser reads it: its name, its attributes (normalised
// values, in document order) and the character data directly inside it
// (text and CDATA sections joined, references resolved).
struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;
    int depth = 0; // 0 for the root

    // The attribute's value, or an empty text when it is missing.
    std::string Attribute(const std::string& attributeName) const;
    bool HasAttribute(const std::string& attributeName) const;
};

// Every element of a well-formed document in document order. False (with the
// reason) when the document is not well-formed or there is no parser.
bool XmlReadElements(const std::string& utf8, std::vector<XmlElement>* elements, std::string* error);

} // namespace test
