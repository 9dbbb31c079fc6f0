#include "report/XmlText.h"

#include "report/XmlSyntax.h"

namespace {

const WCHAR kReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(WCHAR unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Units of the character at p that XML allows (1, or 2 for a surrogate pair);
// 0 when XML does not allow it.
size_t AllowedUnits(const WCHAR* p)
{
    WCHAR unit = p[0];
    if (IsHighSurrogate(unit))
        return IsLowSurrogate(p[1]) ? 2 : 0;
    if (IsLowSurrogate(unit))
        return 0;
    return IsXmlChar(static_cast<unsigned long>(unit) & 0xFFFF) ? 1 : 0;
}

bool StartsWith(const WCHAR* p, const char* ascii)
{
    for (; *ascii; ++p, ++ascii)
        if (*p != static_cast<WCHAR>(*ascii))
            return false;
    return true;
}

void AppendAscii(WideString& out, const char* ascii)
{
    for (; *ascii; ++ascii)
        out.push_back(static_cast<WCHAR>(*ascii));
}

// Walks the text for its place, copying to out what may stand there and
// replacing what may not:
// - everywhere, a character XML does not allow becomes U+FFFD;
// - in an attribute, '<', '"' and an '&' that begins no reference become
//   entities;
// - in a CDATA section, "]]>" closes the section and opens a new one.
// Markup is mended for its characters only. Returns whether anything is
// replaced. Without out it only looks, and stops at the first replacement.
bool Mend(const WCHAR* p, XmlPlace place, WideString* out)
{
    bool mended = false;
    while (*p) {
        const char* replacement = nullptr; // ASCII text in the place of...
        size_t replaced = 1;               // ...this many units
        size_t kept = 0;                   // units that stand as they are
        if (place == XmlPlace::Attribute && *p == '<') {
            replacement = "&lt;";
        } else if (place == XmlPlace::Attribute && *p == '"') {
            replacement = "&quot;";
        } else if (place == XmlPlace::Attribute && *p == '&') {
            kept = XmlReferenceLength(p);
            if (kept == 0)
                replacement = "&amp;";
        } else if (place == XmlPlace::CData && StartsWith(p, "]]>")) {
            // The section ends after "]]" and a new one holds the '>'.
            replacement = "]]]]><![CDATA[>";
            replaced = 3;
        } else {
            kept = AllowedUnits(p);
        }
        if (kept != 0) {
            if (out)
                out->append(p, kept);
            p += kept;
            continue;
        }
        if (!out)
            return true;
        mended = true;
        if (replacement)
            AppendAscii(*out, replacement);
        else
            out->push_back(kReplacementCharacter);
        p += replaced;
    }
    return mended;
}

// What a unit of a node attribute is written as; null for the unit itself.
const char* NodeAttributeEntity(WCHAR unit)
{
    switch (unit) {
    case '&': return "&amp;";
    case '"': return "&quot;";
    case '>': return "&gt;";
    case '<': return "&lt;";
    case '\n': return "&lt;br&gt;";
    default: return nullptr;
    }
}

} // namespace

CXmlSafeText::CXmlSafeText(const WCHAR* text, XmlPlace place) noexcept : m_text(text ? text : W(""))
{
    try {
        WideString out;
        if (place != XmlPlace::Markup) {
            if (!Mend(m_text, place, nullptr))
                return;
            Mend(m_text, place, &out);
        } else {
            WideString characters;
            bool changed = Mend(m_text, place, nullptr) && Mend(m_text, place, &characters);
            const WCHAR* markup = changed ? characters.c_str() : m_text;
            if (IsWellFormedXmlContent(markup)) {
                if (!changed)
                    return;
                out.swap(characters);
            } else {
                AppendAscii(out, "<![CDATA[");
                Mend(markup, XmlPlace::CData, &out);
                AppendAscii(out, "]]>");
            }
        }
        if (SUCCEEDED(m_mended.Assign(out.c_str(), static_cast<UINT>(out.size()))) && m_mended.Get())
            m_text = m_mended.c_str();
        else
            m_text = W(""); // out of memory: nothing rather than something unsafe
    } catch (...) {
        m_mended.Empty();
        m_text = W("");
    }
}

void EscapeNodeAttributeText(const WCHAR* text, CBstrString& escaped) noexcept
{
    if (!text)
        text = W("");
    const WCHAR* p = text;
    for (; *p; ++p)
        if (StartsWith(p, "&amp;") || StartsWith(p, "&quot;") || StartsWith(p, "&gt;") || StartsWith(p, "&lt;"))
            break;
    if (*p) {
        escaped = text; // holds an entity already: kept as it is
        return;
    }
    try {
        WideString out;
        for (p = text; *p; ++p) {
            if (const char* entity = NodeAttributeEntity(*p))
                AppendAscii(out, entity);
            else
                out.push_back(*p);
        }
        if (FAILED(escaped.Assign(out.c_str(), static_cast<UINT>(out.size()))))
            escaped.Empty();
    } catch (...) {
        escaped.Empty();
    }
}
