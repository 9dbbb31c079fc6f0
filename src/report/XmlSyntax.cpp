#include "report/XmlSyntax.h"

#include <vector>

namespace {

bool IsHighSurrogate(unsigned long unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned long unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

bool IsNameStartChar(unsigned long c)
{
    return c == ':' || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(unsigned long c)
{
    return IsNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

bool IsBlank(WCHAR c) { return c == 0x20 || c == 0x09 || c == 0x0D || c == 0x0A; }

bool IsPubidChar(WCHAR c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    if (c == 0x20 || c == 0x0D || c == 0x0A)
        return true;
    for (const char* p = "-'()+,./:=?;!*#@$_%"; *p; ++p)
        if (c == static_cast<WCHAR>(*p))
            return true;
    return false;
}

// Deeper nesting of content particles than this is refused rather than
// followed (the declaration file is not trusted to be reasonable).
const int kMaxParticleDepth = 64;

// A cursor over a zero-terminated UTF-16 text with the productions of XML 1.0
// that the two checks need. Every production returns false, leaving the
// cursor wherever it stopped, when the text does not match it.
class CXmlScanner {
public:
    explicit CXmlScanner(const WCHAR* text) : m_p(text) {}

    bool AtEnd() const { return *m_p == 0; }
    WCHAR Peek(size_t ahead = 0) const
    {
        for (size_t i = 0; i < ahead; ++i)
            if (!m_p[i])
                return 0;
        return m_p[ahead];
    }

    // The code point at the cursor and its length in units; 0 units at the
    // end or for a surrogate that is not part of a pair.
    unsigned long CodeAt(const WCHAR* p, size_t* units) const
    {
        unsigned long c = static_cast<unsigned long>(p[0]) & 0xFFFF;
        if (IsHighSurrogate(c)) {
            unsigned long low = static_cast<unsigned long>(p[1]) & 0xFFFF;
            if (!IsLowSurrogate(low)) {
                *units = 0;
                return c;
            }
            *units = 2;
            return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
        *units = (c == 0 || IsLowSurrogate(c)) ? 0 : 1;
        return c;
    }

    // Moves over one character that XML allows.
    bool Char()
    {
        size_t units;
        unsigned long c = CodeAt(m_p, &units);
        if (units == 0 || !IsXmlChar(c))
            return false;
        m_p += units;
        return true;
    }

    // Matches an ASCII literal and moves over it.
    bool Literal(const char* ascii)
    {
        size_t n = 0;
        for (; ascii[n]; ++n)
            if (m_p[n] != static_cast<WCHAR>(static_cast<unsigned char>(ascii[n])))
                return false;
        m_p += n;
        return true;
    }
    bool LooksAt(const char* ascii) const
    {
        for (size_t n = 0; ascii[n]; ++n)
            if (m_p[n] != static_cast<WCHAR>(static_cast<unsigned char>(ascii[n])))
                return false;
        return true;
    }

    // S? ; true when at least one blank was passed.
    bool Blanks()
    {
        const WCHAR* start = m_p;
        while (IsBlank(*m_p))
            ++m_p;
        return m_p != start;
    }

    bool Name(WideString* name = nullptr)
    {
        const WCHAR* start = m_p;
        size_t units;
        unsigned long c = CodeAt(m_p, &units);
        if (units == 0 || !IsNameStartChar(c))
            return false;
        m_p += units;
        for (;;) {
            c = CodeAt(m_p, &units);
            if (units == 0 || !IsNameChar(c))
                break;
            m_p += units;
        }
        if (name)
            name->assign(start, static_cast<size_t>(m_p - start));
        return true;
    }

    bool Nmtoken()
    {
        const WCHAR* start = m_p;
        size_t units;
        for (;;) {
            unsigned long c = CodeAt(m_p, &units);
            if (units == 0 || !IsNameChar(c))
                break;
            m_p += units;
        }
        return m_p != start;
    }

    // A predefined entity or a character reference (the cursor is at '&').
    bool Reference()
    {
        size_t length = XmlReferenceLength(m_p);
        m_p += length;
        return length != 0;
    }

    // A quoted attribute value: no '<', references only as Reference allows.
    bool AttValue()
    {
        WCHAR quote = *m_p;
        if (quote != '"' && quote != '\'')
            return false;
        ++m_p;
        while (*m_p != quote) {
            if (*m_p == '<')
                return false;
            if (*m_p == '&') {
                if (!Reference())
                    return false;
            } else if (!Char()) {
                return false;
            }
        }
        ++m_p;
        return true;
    }

    // "<!--" ... "-->" with no "--" inside.
    bool Comment()
    {
        if (!Literal("<!--"))
            return false;
        for (;;) {
            if (m_p[0] == '-' && m_p[1] == '-') {
                if (m_p[2] != '>')
                    return false;
                m_p += 3;
                return true;
            }
            if (!Char())
                return false;
        }
    }

    // "<?" target (blanks text)? "?>", the target not "xml" in any case.
    bool ProcessingInstruction()
    {
        if (!Literal("<?"))
            return false;
        WideString target;
        if (!Name(&target))
            return false;
        if (target.size() == 3 && (target[0] == 'x' || target[0] == 'X') && (target[1] == 'm' || target[1] == 'M') &&
            (target[2] == 'l' || target[2] == 'L'))
            return false;
        if (Literal("?>"))
            return true;
        if (!Blanks())
            return false;
        for (;;) {
            if (Literal("?>"))
                return true;
            if (!Char())
                return false;
        }
    }

    // "<![CDATA[" ... "]]>".
    bool CDataSection()
    {
        if (!Literal("<![CDATA["))
            return false;
        for (;;) {
            if (Literal("]]>"))
                return true;
            if (!Char())
                return false;
        }
    }

    // ---- Element content ----
    bool Content()
    {
        std::vector<WideString> open;
        while (!AtEnd()) {
            if (*m_p == '<') {
                if (LooksAt("</")) {
                    m_p += 2;
                    WideString name;
                    if (open.empty() || !Name(&name) || name != open.back())
                        return false;
                    Blanks();
                    if (!Literal(">"))
                        return false;
                    open.pop_back();
                } else if (LooksAt("<!--")) {
                    if (!Comment())
                        return false;
                } else if (LooksAt("<![CDATA[")) {
                    if (!CDataSection())
                        return false;
                } else if (LooksAt("<?")) {
                    if (!ProcessingInstruction())
                        return false;
                } else {
                    bool empty = false;
                    WideString name;
                    if (!StartTag(&name, &empty))
                        return false;
                    if (!empty)
                        open.push_back(name);
                }
            } else if (*m_p == '&') {
                if (!Reference())
                    return false;
            } else {
                if (LooksAt("]]>"))
                    return false;
                if (!Char())
                    return false;
            }
        }
        return open.empty();
    }

    // '<' Name (S Attribute)* S? ('>' | '/>'), attribute names unique.
    bool StartTag(WideString* name, bool* empty)
    {
        if (!Literal("<") || !Name(name))
            return false;
        std::vector<WideString> seen;
        for (;;) {
            bool blank = Blanks();
            if (Literal("/>")) {
                *empty = true;
                return true;
            }
            if (Literal(">")) {
                *empty = false;
                return true;
            }
            WideString attribute;
            if (!blank || !Name(&attribute))
                return false;
            for (const WideString& other : seen)
                if (other == attribute)
                    return false;
            seen.push_back(attribute);
            Blanks();
            if (!Literal("="))
                return false;
            Blanks();
            if (!AttValue())
                return false;
        }
    }

    // ---- Prolog and document type declaration ----
    // Misc* (doctypedecl Misc*)?
    bool Prolog()
    {
        bool doctype = false;
        for (;;) {
            Blanks();
            if (AtEnd())
                return true;
            if (LooksAt("<!--")) {
                if (!Comment())
                    return false;
            } else if (LooksAt("<?")) {
                if (!ProcessingInstruction())
                    return false;
            } else if (!doctype && LooksAt("<!DOCTYPE")) {
                if (!DoctypeDecl())
                    return false;
                doctype = true;
            } else {
                return false;
            }
        }
    }

    bool DoctypeDecl()
    {
        if (!Literal("<!DOCTYPE") || !Blanks() || !Name())
            return false;
        const WCHAR* mark = m_p;
        if (Blanks() && (LooksAt("SYSTEM") || LooksAt("PUBLIC"))) {
            if (!ExternalId(false))
                return false;
        } else {
            m_p = mark;
        }
        Blanks();
        if (Literal("[")) {
            if (!InternalSubset())
                return false;
            Blanks();
        }
        return Literal(">");
    }

    // Up to and over the closing ']'.
    bool InternalSubset()
    {
        for (;;) {
            Blanks();
            if (Literal("]"))
                return true;
            bool ok;
            if (LooksAt("<!--"))
                ok = Comment();
            else if (LooksAt("<?"))
                ok = ProcessingInstruction();
            else if (LooksAt("<!ELEMENT"))
                ok = ElementDecl();
            else if (LooksAt("<!ATTLIST"))
                ok = AttlistDecl();
            else if (LooksAt("<!ENTITY"))
                ok = EntityDecl();
            else if (LooksAt("<!NOTATION"))
                ok = NotationDecl();
            else
                ok = false; // parameter-entity references among them
            if (!ok)
                return false;
        }
    }

    bool SystemLiteral()
    {
        WCHAR quote = *m_p;
        if (quote != '"' && quote != '\'')
            return false;
        ++m_p;
        while (*m_p != quote)
            if (!Char())
                return false;
        ++m_p;
        return true;
    }

    bool PubidLiteral()
    {
        WCHAR quote = *m_p;
        if (quote != '"' && quote != '\'')
            return false;
        ++m_p;
        while (*m_p != quote) {
            if (!*m_p || !IsPubidChar(*m_p))
                return false;
            ++m_p;
        }
        ++m_p;
        return true;
    }

    // 'SYSTEM' S SystemLiteral | 'PUBLIC' S PubidLiteral S SystemLiteral;
    // with allowPublicOnly, also 'PUBLIC' S PubidLiteral (a notation's PublicID).
    bool ExternalId(bool allowPublicOnly)
    {
        if (Literal("SYSTEM"))
            return Blanks() && SystemLiteral();
        if (!Literal("PUBLIC") || !Blanks() || !PubidLiteral())
            return false;
        const WCHAR* mark = m_p;
        if (Blanks() && (*m_p == '"' || *m_p == '\''))
            return SystemLiteral();
        m_p = mark;
        return allowPublicOnly;
    }

    // '<!ELEMENT' S Name S contentspec S? '>'
    bool ElementDecl()
    {
        if (!Literal("<!ELEMENT") || !Blanks() || !Name() || !Blanks())
            return false;
        if (!Literal("EMPTY") && !Literal("ANY")) {
            if (*m_p != '(')
                return false;
            const WCHAR* mark = m_p;
            ++m_p;
            Blanks();
            if (LooksAt("#PCDATA")) {
                if (!Mixed())
                    return false;
            } else {
                m_p = mark;
                if (!Particle(0))
                    return false;
            }
        }
        Blanks();
        return Literal(">");
    }

    // After '(' S?: '#PCDATA' (S? '|' S? Name)* S? ')*' | '#PCDATA' S? ')'
    bool Mixed()
    {
        if (!Literal("#PCDATA"))
            return false;
        bool names = false;
        for (;;) {
            Blanks();
            if (Literal(")")) {
                if (names)
                    return Literal("*");
                Literal("*");
                return true;
            }
            if (!Literal("|"))
                return false;
            Blanks();
            if (!Name())
                return false;
            names = true;
        }
    }

    // cp: (Name | choice | seq) ('?' | '*' | '+')?
    bool Particle(int depth)
    {
        if (depth > kMaxParticleDepth)
            return false;
        if (Literal("(")) {
            Blanks();
            if (!Particle(depth + 1))
                return false;
            Blanks();
            WCHAR separator = 0;
            while (*m_p == '|' || *m_p == ',') {
                if (separator && *m_p != separator)
                    return false;
                separator = *m_p++;
                Blanks();
                if (!Particle(depth + 1))
                    return false;
                Blanks();
            }
            if (!Literal(")"))
                return false;
        } else if (!Name()) {
            return false;
        }
        if (*m_p == '?' || *m_p == '*' || *m_p == '+')
            ++m_p;
        return true;
    }

    // '<!ATTLIST' S Name (S Name S AttType S DefaultDecl)* S? '>'
    bool AttlistDecl()
    {
        if (!Literal("<!ATTLIST") || !Blanks() || !Name())
            return false;
        for (;;) {
            bool blank = Blanks();
            if (Literal(">"))
                return true;
            if (!blank || !Name() || !Blanks() || !AttType() || !Blanks() || !DefaultDecl())
                return false;
        }
    }

    bool AttType()
    {
        static const char* const kTypes[] = {"CDATA", "IDREFS", "IDREF", "ID", "ENTITIES", "ENTITY", "NMTOKENS", "NMTOKEN"};
        for (const char* type : kTypes)
            if (Literal(type))
                return true;
        if (Literal("NOTATION")) {
            if (!Blanks() || !Literal("("))
                return false;
            return NameList(false);
        }
        if (Literal("("))
            return NameList(true);
        return false;
    }

    // After '(': S? token (S? '|' S? token)* S? ')'
    bool NameList(bool nmtokens)
    {
        for (;;) {
            Blanks();
            if (!(nmtokens ? Nmtoken() : Name()))
                return false;
            Blanks();
            if (Literal(")"))
                return true;
            if (!Literal("|"))
                return false;
        }
    }

    bool DefaultDecl()
    {
        if (Literal("#REQUIRED") || Literal("#IMPLIED"))
            return true;
        if (Literal("#FIXED") && !Blanks())
            return false;
        return AttValue();
    }

    // '<!ENTITY' S ('%' S)? Name S (EntityValue | ExternalID NDataDecl?) S? '>'
    bool EntityDecl()
    {
        if (!Literal("<!ENTITY") || !Blanks())
            return false;
        bool parameter = false;
        if (Literal("%")) {
            if (!Blanks())
                return false;
            parameter = true;
        }
        if (!Name() || !Blanks())
            return false;
        if (*m_p == '"' || *m_p == '\'') {
            if (!EntityValue())
                return false;
        } else {
            if (!ExternalId(false))
                return false;
            const WCHAR* mark = m_p;
            if (!parameter && Blanks() && Literal("NDATA")) {
                if (!Blanks() || !Name())
                    return false;
            } else {
                m_p = mark;
            }
        }
        Blanks();
        return Literal(">");
    }

    // A quoted entity value with general references; parameter-entity
    // references may not stand in the internal subset's declarations.
    bool EntityValue()
    {
        WCHAR quote = *m_p++;
        while (*m_p != quote) {
            if (*m_p == '%')
                return false;
            if (*m_p == '&') {
                if (m_p[1] == '#') {
                    if (!Reference())
                        return false;
                } else {
                    ++m_p;
                    if (!Name() || !Literal(";"))
                        return false;
                }
            } else if (!Char()) {
                return false;
            }
        }
        ++m_p;
        return true;
    }

    // '<!NOTATION' S Name S (ExternalID | PublicID) S? '>'
    bool NotationDecl()
    {
        if (!Literal("<!NOTATION") || !Blanks() || !Name() || !Blanks() || !ExternalId(true))
            return false;
        Blanks();
        return Literal(">");
    }

private:
    const WCHAR* m_p;
};

} // namespace

bool IsXmlChar(unsigned long code) noexcept
{
    return code == 0x09 || code == 0x0A || code == 0x0D || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

size_t XmlReferenceLength(const WCHAR* text) noexcept
{
    if (!text || text[0] != '&')
        return 0;
    static const char* const kEntities[] = {"amp;", "lt;", "gt;", "quot;", "apos;"};
    for (const char* entity : kEntities) {
        size_t n = 0;
        while (entity[n] && text[1 + n] == static_cast<WCHAR>(entity[n]))
            ++n;
        if (!entity[n])
            return 1 + n;
    }
    if (text[1] != '#')
        return 0;
    bool hex = text[2] == 'x';
    size_t i = hex ? 3 : 2;
    size_t first = i;
    unsigned long value = 0;
    for (;; ++i) {
        WCHAR c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0x10FFFF)
            return 0;
    }
    if (i == first || text[i] != ';' || !IsXmlChar(value))
        return 0;
    return i + 1;
}

bool IsWellFormedXmlContent(const WCHAR* text) noexcept
{
    if (!text)
        return true;
    try {
        CXmlScanner scanner(text);
        return scanner.Content();
    } catch (...) {
        return false;
    }
}

bool IsWellFormedXmlProlog(const WCHAR* text) noexcept
{
    if (!text)
        return true;
    try {
        CXmlScanner scanner(text);
        return scanner.Prolog();
    } catch (...) {
        return false;
    }
}
