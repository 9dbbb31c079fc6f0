#include "results/XmlPullParser.h"

#include <algorithm>
#include <cstring>

#include "results/Utf8Text.h"

namespace results {

namespace {

const size_t kBlock = 1 << 16;

bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Bytes that end a name (and everything that is not a name's first byte).
bool EndsName(int c) { return c < 0 || IsSpace(c) || c == '/' || c == '>' || c == '=' || c == '<' || c == '"' || c == '\''; }

bool IsNameStart(int c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

} // namespace

CXmlPullParser::CXmlPullParser(CByteSource& source, const XmlLimits& limits) : m_source(source), m_limits(limits) {}

bool CXmlPullParser::Have(size_t count)
{
    if (m_end - m_at >= count)
        return true;
    if (m_sourceDone)
        return false;
    // Drop what is consumed, counting its lines first.
    m_line += static_cast<long>(std::count(m_buffer.begin() + static_cast<std::ptrdiff_t>(m_lineScan),
                                           m_buffer.begin() + static_cast<std::ptrdiff_t>(m_at), '\n'));
    if (m_at > 0 && m_end > m_at)
        std::memmove(m_buffer.data(), m_buffer.data() + m_at, m_end - m_at);
    m_consumed += m_at;
    m_end -= m_at;
    m_at = 0;
    m_lineScan = 0;
    if (m_buffer.size() < std::max(count, kBlock))
        m_buffer.resize(std::max(count, kBlock));
    while (m_end < count) {
        size_t got = m_source.Read(m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (got == 0) {
            m_sourceDone = true;
            return false;
        }
        m_end += got;
    }
    return true;
}

int CXmlPullParser::Peek(size_t ahead)
{
    if (!Have(ahead + 1))
        return -1;
    return static_cast<unsigned char>(m_buffer[m_at + ahead]);
}

bool CXmlPullParser::StartsWith(const char* text)
{
    size_t length = std::strlen(text);
    return Have(length) && std::memcmp(m_buffer.data() + m_at, text, length) == 0;
}

void CXmlPullParser::Skip(size_t count) { m_at += std::min(count, m_end - m_at); }

long CXmlPullParser::Line() const
{
    return m_line + static_cast<long>(std::count(m_buffer.begin() + static_cast<std::ptrdiff_t>(m_lineScan),
                                                 m_buffer.begin() + static_cast<std::ptrdiff_t>(m_at), '\n'));
}

bool CXmlPullParser::SkipPast(const char* terminator)
{
    const size_t length = std::strlen(terminator);
    for (;;) {
        if (!Have(length)) {
            Skip(m_end - m_at);
            return false;
        }
        const char* begin = m_buffer.data() + m_at;
        const char* end = m_buffer.data() + m_end;
        const char* found = std::search(begin, end, terminator, terminator + length);
        if (found != end) {
            Skip(static_cast<size_t>(found - begin) + length);
            return true;
        }
        // Keep a possible beginning of the terminator for the next block.
        Skip(static_cast<size_t>(end - begin) - (length - 1));
        if (!Have(length + 1) && m_end - m_at < length) {
            Skip(m_end - m_at);
            return false;
        }
    }
}

bool CXmlPullParser::SkipDeclaration()
{
    Skip(2); // "<!"
    int brackets = 0;
    int quote = 0;
    for (;;) {
        int c = Peek();
        if (c < 0)
            return false;
        if (quote) {
            if (c == quote)
                quote = 0;
            Skip(1);
        } else if (c == '<' && StartsWith("<!--")) {
            Skip(4);
            if (!SkipPast("-->"))
                return false;
        } else if (c == '<' && Peek(1) == '?') {
            Skip(2);
            if (!SkipPast("?>"))
                return false;
        } else {
            Skip(1);
            if (c == '"' || c == '\'')
                quote = c;
            else if (c == '[')
                ++brackets;
            else if (c == ']' && brackets > 0)
                --brackets;
            else if (c == '>' && brackets == 0)
                return true;
        }
    }
}

void CXmlPullParser::AppendLimited(std::string& out, const char* data, size_t size, size_t limit, bool& cut)
{
    if (out.size() + size > limit) {
        cut = true;
        size = limit > out.size() ? limit - out.size() : 0;
    }
    out.append(data, size);
}

void CXmlPullParser::AppendText(const char* data, size_t size)
{
    // Line ends: CR LF and a lone CR become LF.
    size_t from = 0;
    for (size_t i = 0; i < size; ++i) {
        char c = data[i];
        if (c == '\r') {
            AppendLimited(m_text, data + from, i - from, m_limits.maxTextBytes, m_textCut);
            AppendLimited(m_text, "\n", 1, m_limits.maxTextBytes, m_textCut);
            from = i + 1;
            m_pendingCr = true;
        } else {
            if (c == '\n' && m_pendingCr)
                from = i + 1;
            m_pendingCr = false;
        }
    }
    AppendLimited(m_text, data + from, size - from, m_limits.maxTextBytes, m_textCut);
}

void CXmlPullParser::ReadReference(std::string& out, size_t limit, bool& cut)
{
    // At "&": a reference ends with ";" within a few bytes.
    char name[12];
    size_t length = 0;
    for (;;) {
        int c = Peek(1 + length);
        if (c == ';')
            break;
        bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       (c == '#' && length == 0);
        if (!allowed || length == sizeof(name)) {
            length = sizeof(name) + 1; // not a reference
            break;
        }
        name[length++] = static_cast<char>(c);
    }
    std::string piece;
    if (length > 0 && length <= sizeof(name)) {
        std::string reference(name, length);
        if (reference == "lt")
            piece = "<";
        else if (reference == "gt")
            piece = ">";
        else if (reference == "amp")
            piece = "&";
        else if (reference == "quot")
            piece = "\"";
        else if (reference == "apos")
            piece = "'";
        else if (reference[0] == '#' && reference.size() > 1) {
            bool hex = reference[1] == 'x';
            const char* digits = reference.c_str() + (hex ? 2 : 1);
            uint32_t value = 0;
            bool valid = *digits != '\0';
            for (const char* p = digits; *p && valid; ++p) {
                int digit = -1;
                if (*p >= '0' && *p <= '9')
                    digit = *p - '0';
                else if (hex && *p >= 'a' && *p <= 'f')
                    digit = *p - 'a' + 10;
                else if (hex && *p >= 'A' && *p <= 'F')
                    digit = *p - 'A' + 10;
                if (digit < 0)
                    valid = false;
                else if (value <= 0x10FFFF)
                    value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
            }
            if (valid)
                AppendCodePoint(piece, value);
        }
    }
    if (piece.empty()) {
        AppendLimited(out, "&", 1, limit, cut); // a bare "&" or an unknown entity stays as written
        Skip(1);
        return;
    }
    AppendLimited(out, piece.data(), piece.size(), limit, cut);
    Skip(length + 2);
}

void CXmlPullParser::ReadCharacterData()
{
    while (Have(1)) {
        const char* begin = m_buffer.data() + m_at;
        const char* end = m_buffer.data() + m_end;
        const char* stop = begin;
        while (stop != end && *stop != '<' && *stop != '&')
            ++stop;
        AppendText(begin, static_cast<size_t>(stop - begin));
        Skip(static_cast<size_t>(stop - begin));
        if (stop == end)
            continue;
        if (*stop == '<')
            return;
        m_pendingCr = false;
        ReadReference(m_text, m_limits.maxTextBytes, m_textCut);
    }
}

bool CXmlPullParser::ReadCData()
{
    for (;;) {
        if (!Have(3)) {
            AppendText(m_buffer.data() + m_at, m_end - m_at);
            Skip(m_end - m_at);
            return false;
        }
        const char* begin = m_buffer.data() + m_at;
        const char* end = m_buffer.data() + m_end;
        static const char terminator[] = "]]>";
        const char* found = std::search(begin, end, terminator, terminator + 3);
        if (found != end) {
            AppendText(begin, static_cast<size_t>(found - begin));
            Skip(static_cast<size_t>(found - begin) + 3);
            return true;
        }
        size_t keep = 2; // a possible "]]" before the next block
        AppendText(begin, static_cast<size_t>(end - begin) - keep);
        Skip(static_cast<size_t>(end - begin) - keep);
        if (!Have(keep + 1)) {
            AppendText(m_buffer.data() + m_at, m_end - m_at);
            Skip(m_end - m_at);
            return false;
        }
    }
}

void CXmlPullParser::ReadName(std::string& name)
{
    name.clear();
    for (int c = Peek(); !EndsName(c); c = Peek()) {
        if (name.size() < m_limits.maxNameBytes)
            name += static_cast<char>(c);
        Skip(1);
    }
    MakeValidUtf8(name);
}

void CXmlPullParser::ReadAttributeValue(char quote, std::string& value)
{
    value.clear();
    bool cut = false;
    bool lastCr = false;
    for (;;) {
        int c = Peek();
        if (c < 0) {
            m_endedInsideMarkup = true;
            return;
        }
        if (c == quote) {
            Skip(1);
            break;
        }
        if (c == '&') {
            ReadReference(value, m_limits.maxAttributeBytes, cut);
            lastCr = false;
            continue;
        }
        Skip(1);
        if (c == '\n' && lastCr) {
            lastCr = false;
            continue;
        }
        lastCr = c == '\r';
        char byte = IsSpace(c) ? ' ' : static_cast<char>(c);
        AppendLimited(value, &byte, 1, m_limits.maxAttributeBytes, cut);
    }
    MakeValidUtf8(value);
}

void CXmlPullParser::ReadTag()
{
    Skip(1); // "<"
    ReadName(m_name);
    m_attributes.clear();
    for (;;) {
        int c = Peek();
        if (c < 0) {
            m_endedInsideMarkup = true;
            return;
        }
        if (IsSpace(c)) {
            Skip(1);
        } else if (c == '>') {
            Skip(1);
            return;
        } else if (c == '/') {
            Skip(1);
            if (Peek() == '>') {
                Skip(1);
                m_pendingEnd = true;
                return;
            }
        } else if (EndsName(c)) {
            Skip(1); // a stray byte inside the tag
        } else {
            XmlAttribute attribute;
            ReadName(attribute.name);
            while (IsSpace(Peek()))
                Skip(1);
            if (Peek() == '=') {
                Skip(1);
                while (IsSpace(Peek()))
                    Skip(1);
                int quote = Peek();
                if (quote == '"' || quote == '\'') {
                    Skip(1);
                    ReadAttributeValue(static_cast<char>(quote), attribute.value);
                    if (m_endedInsideMarkup)
                        return;
                } else {
                    for (int v = Peek(); v >= 0 && !IsSpace(v) && v != '>'; v = Peek()) {
                        if (attribute.value.size() < m_limits.maxAttributeBytes)
                            attribute.value += static_cast<char>(v);
                        Skip(1);
                    }
                    MakeValidUtf8(attribute.value);
                }
            }
            if (m_attributes.size() < m_limits.maxAttributes)
                m_attributes.push_back(std::move(attribute));
        }
    }
}

void CXmlPullParser::ReadEndTag()
{
    Skip(2); // "</"
    ReadName(m_name);
    if (!SkipPast(">"))
        m_endedInsideMarkup = true;
}

const std::string* CXmlPullParser::Attribute(const char* name) const
{
    for (const XmlAttribute& attribute : m_attributes)
        if (attribute.name == name)
            return &attribute.value;
    return nullptr;
}

CXmlPullParser::Token CXmlPullParser::Next()
{
    if (m_pendingEnd) {
        m_pendingEnd = false;
        m_tokenStart = m_tokenEnd = Offset();
        return Token::EndTag;
    }
    if (m_ended)
        return Token::End;
    if (!m_started) {
        m_started = true;
        if (StartsWith("\xEF\xBB\xBF"))
            Skip(3);
    }
    m_text.clear();
    m_textCut = false;
    m_pendingCr = false;
    bool haveText = false;
    uint64_t textEnd = 0;
    auto finishText = [this, &textEnd]() {
        MakeValidUtf8(m_text);
        m_tokenEnd = textEnd;
    };
    for (;;) {
        if (m_endedInsideMarkup || !Have(1)) {
            m_ended = true;
            if (haveText) {
                finishText();
                return Token::Text;
            }
            return Token::End;
        }
        if (m_buffer[m_at] != '<') {
            if (!haveText)
                m_tokenStart = Offset();
            ReadCharacterData();
            haveText = true;
            textEnd = Offset();
            continue;
        }
        int next = Peek(1);
        if (next == '!') {
            if (StartsWith("<![CDATA[")) {
                if (!haveText)
                    m_tokenStart = textEnd = Offset();
                Skip(9);
                if (!ReadCData())
                    m_endedInsideMarkup = true;
                else
                    textEnd = Offset();
                haveText = true;
            } else if (StartsWith("<!--")) {
                Skip(4);
                if (!SkipPast("-->"))
                    m_endedInsideMarkup = true;
            } else if (!SkipDeclaration()) {
                m_endedInsideMarkup = true;
            }
            continue;
        }
        if (next == '?') {
            Skip(2);
            if (!SkipPast("?>"))
                m_endedInsideMarkup = true;
            continue;
        }
        if (next == '/' || IsNameStart(next)) {
            if (haveText) {
                finishText();
                return Token::Text; // the tag comes next time
            }
            m_tokenStart = Offset();
            if (next == '/')
                ReadEndTag();
            else
                ReadTag();
            if (m_endedInsideMarkup) {
                m_pendingEnd = false;
                m_ended = true;
                return Token::End; // a tag cut short is dropped
            }
            m_tokenEnd = Offset();
            return next == '/' ? Token::EndTag : Token::StartTag;
        }
        if (next < 0) {
            Skip(1);
            m_endedInsideMarkup = true;
            continue;
        }
        // "<" that begins no markup: text.
        if (!haveText)
            m_tokenStart = Offset();
        AppendText("<", 1);
        Skip(1);
        haveText = true;
        textEnd = Offset();
    }
}

} // namespace results
