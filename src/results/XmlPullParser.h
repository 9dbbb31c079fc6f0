// CXmlPullParser: a small pull parser for the results file's XML, reading
// any bytes from a CByteSource in blocks. It gives start tags (with their
// attributes), end tags and text (character data and CDATA sections between
// two tags, in one piece); it skips the XML declaration, processing
// instructions, comments and the document type declaration with its
// internal subset, and a UTF-8 byte-order mark. Line ends are CR LF, CR or
// LF in the file and LF in what it gives; attribute values have their
// entity and character references replaced and their white space made
// blanks, as XML says.
//
// It is lenient where the logger's older files were not well-formed (a bare
// "&" or "<" inside an attribute value, an unknown entity: kept as written)
// and never fails on any bytes: it stops at the end of the input, telling
// whether the input ended inside markup. Every text it gives is valid UTF-8.
// Memory is bounded by the limits below, whatever the input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results/ByteSource.h"

namespace results {

struct XmlAttribute {
    std::string name;
    std::string value;
};

struct XmlLimits {
    size_t maxNameBytes = 256;          // longer names are cut
    size_t maxAttributes = 64;          // further attributes are dropped
    size_t maxAttributeBytes = 1 << 20; // longer values are cut
    size_t maxTextBytes = 16 << 20;     // longer texts are cut (TextWasCut)
};

class CXmlPullParser {
public:
    enum class Token { StartTag, EndTag, Text, End };

    explicit CXmlPullParser(CByteSource& source, const XmlLimits& limits = XmlLimits());
    CXmlPullParser(const CXmlPullParser&) = delete;
    CXmlPullParser& operator=(const CXmlPullParser&) = delete;

    // The next token; End at the end of the input, and from then on.
    Token Next();

    // StartTag and EndTag: the element's name. An empty-element tag
    // ("<RunType />") gives a StartTag and then its EndTag.
    const std::string& Name() const { return m_name; }
    const std::vector<XmlAttribute>& Attributes() const { return m_attributes; }
    // The value of an attribute of the last StartTag, or null.
    const std::string* Attribute(const char* name) const;
    // Text: the text.
    const std::string& Text() const { return m_text; }
    bool TextWasCut() const { return m_textCut; }

    // After End: the input ended inside a tag, a CDATA section, a comment,
    // a processing instruction or a declaration.
    bool EndedInsideMarkup() const { return m_endedInsideMarkup; }
    bool ReadFailed() const { return m_source.Failed(); }
    // Bytes consumed so far, and the line (from 1) of the current position.
    uint64_t Offset() const { return m_consumed + m_at; }
    // Where the last token began: the "<" of a tag, the first byte of a text
    // (a CDATA section's "<![CDATA[" included). An empty-element tag's end
    // begins where its start tag ended.
    uint64_t TokenStart() const { return m_tokenStart; }
    // Where the last token ended (a text at the end of the input ends before
    // any markup cut short after it).
    uint64_t TokenEnd() const { return m_tokenEnd; }
    long Line() const;

private:
    // Makes at least `count` bytes available from m_at; false when the input
    // ends first.
    bool Have(size_t count);
    int Peek(size_t ahead = 0);
    bool StartsWith(const char* text);
    void Skip(size_t count);
    // Skips up to and past `terminator`; false when the input ends first.
    bool SkipPast(const char* terminator);
    bool SkipDeclaration();
    void ReadTag();
    void ReadEndTag();
    void ReadName(std::string& name);
    void ReadAttributeValue(char quote, std::string& value);
    // Character data up to the next "<" into m_text (references replaced).
    void ReadCharacterData();
    // A CDATA section's content into m_text; false when the input ends first.
    bool ReadCData();
    void ReadReference(std::string& out, size_t limit, bool& cut);
    void AppendText(const char* data, size_t size);
    void AppendLimited(std::string& out, const char* data, size_t size, size_t limit, bool& cut);

    CByteSource& m_source;
    XmlLimits m_limits;
    std::vector<char> m_buffer;
    size_t m_at = 0;        // read position in m_buffer
    size_t m_end = 0;       // bytes held in m_buffer
    bool m_sourceDone = false;
    uint64_t m_consumed = 0; // bytes dropped from the buffer's front
    uint64_t m_tokenStart = 0;
    uint64_t m_tokenEnd = 0;
    long m_line = 1;
    size_t m_lineScan = 0;   // lines are counted in m_buffer up to here
    bool m_pendingCr = false; // the last text byte was CR (a following LF is dropped)

    std::string m_name;
    std::vector<XmlAttribute> m_attributes;
    std::string m_text;
    bool m_textCut = false;
    bool m_pendingEnd = false; // an empty-element tag's end
    bool m_ended = false;
    bool m_endedInsideMarkup = false;
    bool m_started = false; // past a possible byte-order mark
};

} // namespace results
