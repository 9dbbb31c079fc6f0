// The one place where a text becomes safe to stand in Results.xml. Every
// record passes each text it writes through CXmlSafeText for the place the
// text takes: an attribute value, the inside of a CDATA section, or ready-made
// markup. A text that is already safe there is used as it is (no copy);
// otherwise only what would break the document is changed:
// - a character XML does not allow (a C0 control other than tab, LF and CR,
//   U+FFFE, U+FFFF, a surrogate that is not part of a pair) becomes U+FFFD;
// - in an attribute value, '<' becomes "&lt;", '"' "&quot;", and an '&' that
//   does not begin a reference "&amp;";
// - inside a CDATA section, "]]>" ends the section and opens a new one
//   ("]]]]><![CDATA[>"), so a reader gets the text back unchanged;
// - markup that is not well-formed element content is written as a CDATA
//   section holding the text.
#pragma once

#include "text/BstrString.h"

enum class XmlPlace {
    Attribute, // inside a double-quoted attribute value
    CData,     // inside <![CDATA[ ... ]]>
    Markup     // ready-made element content
};

class CXmlSafeText {
public:
    // Text is zero-terminated (null: empty) and must outlive this object.
    CXmlSafeText(const WCHAR* text, XmlPlace place) noexcept;
    CXmlSafeText(const CBstrString& text, XmlPlace place) noexcept : CXmlSafeText(text.c_str(), place) {}
    CXmlSafeText(const CXmlSafeText&) = delete;
    CXmlSafeText& operator=(const CXmlSafeText&) = delete;

    // The text to write; never null.
    const WCHAR* c_str() const noexcept { return m_text; }
    // True when the text had to be changed.
    bool WasMended() const noexcept { return m_mended.Get() != nullptr; }

private:
    const WCHAR* m_text;
    CBstrString m_mended;
};

// The escaping of the node-type and source attributes of NodeArgs: a text that
// already holds "&amp;", "&quot;", "&gt;" or "&lt;" is kept as it is;
// otherwise '&', '"', '>' and '<' become those entities and every line feed a
// line break, written "&lt;br&gt;" so that the attribute stays well-formed
// and a reader still gets "<br>".
void EscapeNodeAttributeText(const WCHAR* text, CBstrString& escaped) noexcept;
