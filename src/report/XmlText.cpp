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

// Characters only: what XML does not allow becomes U+FFFD. False when
// nothing had to change (out is then untouched).
bool MendCharacters(const WCHAR* text, WideString& out)
{
    const WCHAR* p = text;
    while (*p) {
        size_t units = AllowedUnits(p);
        if (units == 0)
            break;
        p += units;
    }
    if (!*p)
        return false;
    out.assign(text, static_cast<size_t>(p - text));
    while (*p) {
        size_t units = AllowedUnits(p);
        if (units == 0) {
            out.push_back(kReplacementCharacter);
            ++p;
        } else {
            out.append(p, units);
            p += units;
        }
    }
    return true;
}

bool AttributeNeedsMending(const WCHAR* p)
{
    while (*p) {
        if (*p == '<' || *p == '"')
            return true;
        if (*p == '&') {
            size_t length = XmlReferenceLength(p);
            if (length == 0)
                return true;
            p += length;
            continue;
        }
        size_t units = AllowedUnits(p);
        if (units == 0)
            return true;
        p += units;
    }
    return false;
}

void MendAttribute(const WCHAR* p, WideString& out)
{
    while (*p) {
        if (*p == '<') {
            AppendAscii(out, "&lt;");
            ++p;
        } else if (*p == '"') {
            AppendAscii(out, "&quot;");
            ++p;
        } else if (*p == '&') {
            size_t length = XmlReferenceLength(p);
            if (length == 0) {
                AppendAscii(out, "&amp;");
                ++p;
            } else {
                out.append(p, length);
                p += length;
            }
        } else {
            size_t units = AllowedUnits(p);
            if (units == 0) {
                out.push_back(kReplacementCharacter);
                ++p;
            } else {
                out.append(p, units);
                p += units;
            }
        }
    }
}

bool CDataNeedsMending(const WCHAR* p)
{
    while (*p) {
        if (StartsWith(p, "]]>"))
            return true;
        size_t units = AllowedUnits(p);
        if (units == 0)
            return true;
        p += units;
    }
    return false;
}

void MendCData(const WCHAR* p, WideString& out)
{
    while (*p) {
        if (StartsWith(p, "]]>")) {
            // The section ends after "]]" and a new one holds the '>'.
            AppendAscii(out, "]]]]><![CDATA[>");
            p += 3;
            continue;
        }
        size_t units = AllowedUnits(p);
        if (units == 0) {
            out.push_back(kReplacementCharacter);
            ++p;
        } else {
            out.append(p, units);
            p += units;
        }
    }
}

} // namespace

CXmlSafeText::CXmlSafeText(const WCHAR* text, XmlPlace place) noexcept : m_text(text ? text : W(""))
{
    try {
        WideString out;
        switch (place) {
        case XmlPlace::Attribute:
            if (!AttributeNeedsMending(m_text))
                return;
            MendAttribute(m_text, out);
            break;
        case XmlPlace::CData:
            if (!CDataNeedsMending(m_text))
                return;
            MendCData(m_text, out);
            break;
        case XmlPlace::Markup: {
            WideString characters;
            bool changed = MendCharacters(m_text, characters);
            const WCHAR* markup = changed ? characters.c_str() : m_text;
            if (IsWellFormedXmlContent(markup)) {
                if (!changed)
                    return;
                out.swap(characters);
            } else {
                AppendAscii(out, "<![CDATA[");
                MendCData(markup, out);
                AppendAscii(out, "]]>");
            }
            break;
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
            switch (*p) {
            case '&':
                AppendAscii(out, "&amp;");
                break;
            case '"':
                AppendAscii(out, "&quot;");
                break;
            case '>':
                AppendAscii(out, "&gt;");
                break;
            case '<':
                AppendAscii(out, "&lt;");
                break;
            case '\n':
                AppendAscii(out, "&lt;br&gt;");
                break;
            default:
                out.push_back(*p);
            }
        }
        if (FAILED(escaped.Assign(out.c_str(), static_cast<UINT>(out.size()))))
            escaped.Empty();
    } catch (...) {
        escaped.Empty();
    }
}
