#include "annalist/PlainJsonReader.h"

#include <cstdint>

#include "pal/utf8.h"

namespace {

// Deeper values go to the general parser (which refuses them beyond
// kMaxJsonDepth).
constexpr int kPlainDepth = 8;
// Objects with more members go to it too: a key given twice is looked for
// member by member.
constexpr size_t kPlainMembers = 64;
// 18 digits always fit in 64 bits.
constexpr size_t kPlainDigits = 18;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The bytes a text holds as they are: printable ASCII but the quote and the
// backslash.
struct PlainBytes {
    bool plain[256] = {};
    PlainBytes()
    {
        for (int c = 0x20; c < 0x80; ++c)
            plain[c] = c != '"' && c != '\\';
    }
};
const PlainBytes kPlainBytes;

class CPlainReader {
public:
    CPlainReader(const std::string& text)
        : m_at(reinterpret_cast<const unsigned char*>(text.data())), m_end(m_at + text.size())
    {
    }

    bool Document(Json& value)
    {
        SkipBlanks();
        if (m_at == m_end || *m_at != '{' || !Object(value, 1))
            return false;
        SkipBlanks();
        return m_at == m_end;
    }

private:
    void SkipBlanks()
    {
        while (m_at != m_end && (*m_at == ' ' || *m_at == '\t' || *m_at == '\r' || *m_at == '\n'))
            ++m_at;
    }

    bool Take(char c)
    {
        SkipBlanks();
        if (m_at == m_end || *m_at != static_cast<unsigned char>(c))
            return false;
        ++m_at;
        return true;
    }

    bool Value(Json& value, int depth)
    {
        SkipBlanks();
        if (m_at == m_end)
            return false;
        switch (*m_at) {
        case '{':
        case '[':
            if (depth + 1 > kPlainDepth)
                return false;
            return *m_at == '{' ? Object(value, depth + 1) : List(value, depth + 1);
        case '"':
            value = Json::value_t::string;
            return Text(*value.get_ptr<Json::string_t*>());
        case 't':
            value = true;
            return Word("true");
        case 'f':
            value = false;
            return Word("false");
        case 'n':
            value = nullptr;
            return Word("null");
        default:
            return Number(value);
        }
    }

    bool Object(Json& value, int depth)
    {
        ++m_at; // '{'
        value = Json::value_t::object;
        Json::object_t& members = *value.get_ptr<Json::object_t*>();
        members.reserve(8);
        if (Take('}'))
            return true;
        for (;;) {
            SkipBlanks();
            std::string key;
            if (m_at == m_end || *m_at != '"' || !Text(key) || members.size() == kPlainMembers)
                return false;
            for (const auto& member : members)
                if (member.first == key)
                    return false;
            if (!Take(':'))
                return false;
            members.emplace_back(std::move(key), Json());
            if (!Value(members.back().second, depth))
                return false;
            if (Take(','))
                continue;
            return Take('}');
        }
    }

    bool List(Json& value, int depth)
    {
        ++m_at; // '['
        value = Json::value_t::array;
        Json::array_t& items = *value.get_ptr<Json::array_t*>();
        if (Take(']'))
            return true;
        for (;;) {
            items.emplace_back();
            if (!Value(items.back(), depth))
                return false;
            if (Take(','))
                continue;
            return Take(']');
        }
    }

    // A text from its opening quote to its closing one, unescaped.
    bool Text(std::string& text)
    {
        ++m_at; // '"'
        const unsigned char* from = m_at;
        for (;;) {
            while (m_at != m_end && kPlainBytes.plain[*m_at])
                ++m_at;
            if (m_at == m_end || *m_at < 0x20)
                return false;
            if (*m_at >= 0x80) {
                size_t length = PalUtf8SequenceLength(m_at, static_cast<size_t>(m_end - m_at), PalUtf8Rule::Windows);
                if (length == 0)
                    return false;
                m_at += length;
                continue;
            }
            text.append(reinterpret_cast<const char*>(from), static_cast<size_t>(m_at - from));
            if (*m_at == '"') {
                ++m_at;
                return true;
            }
            if (!Escape(text))
                return false;
            from = m_at;
        }
    }

    // The escape at the backslash, appended as UTF-8.
    bool Escape(std::string& text)
    {
        if (m_end - m_at < 2)
            return false;
        char c = static_cast<char>(m_at[1]);
        m_at += 2;
        switch (c) {
        case '"': text += '"'; return true;
        case '\\': text += '\\'; return true;
        case '/': text += '/'; return true;
        case 'b': text += '\b'; return true;
        case 'f': text += '\f'; return true;
        case 'n': text += '\n'; return true;
        case 'r': text += '\r'; return true;
        case 't': text += '\t'; return true;
        case 'u': break;
        default: return false;
        }
        if (m_end - m_at < 4)
            return false;
        unsigned code = 0;
        for (int i = 0; i < 4; ++i) {
            int digit = PalHexDigit(m_at[i]);
            if (digit < 0)
                return false;
            code = code * 16 + static_cast<unsigned>(digit);
        }
        m_at += 4;
        if (code >= 0xD800 && code <= 0xDFFF)
            return false; // pairs and their errors are the general parser's
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
        return true;
    }

    bool Word(const char* word)
    {
        for (; *word; ++word, ++m_at)
            if (m_at == m_end || *m_at != static_cast<unsigned char>(*word))
                return false;
        return true;
    }

    // An integer: a number with a fraction or an exponent is the general
    // parser's, and so is "01" (an error).
    bool Number(Json& value)
    {
        bool negative = *m_at == '-';
        if (negative)
            ++m_at;
        const unsigned char* first = m_at;
        if (m_at == m_end || !IsDigit(static_cast<char>(*m_at)))
            return false;
        std::uint64_t number = 0;
        if (*m_at == '0') {
            ++m_at;
        } else {
            while (m_at != m_end && IsDigit(static_cast<char>(*m_at))) {
                if (static_cast<size_t>(m_at - first) == kPlainDigits)
                    return false;
                number = number * 10 + static_cast<std::uint64_t>(*m_at - '0');
                ++m_at;
            }
        }
        if (m_at != m_end && (IsDigit(static_cast<char>(*m_at)) || *m_at == '.' || *m_at == 'e' || *m_at == 'E'))
            return false;
        if (negative)
            value = -static_cast<Json::number_integer_t>(number);
        else
            value = static_cast<Json::number_unsigned_t>(number);
        return true;
    }

    const unsigned char* m_at;
    const unsigned char* m_end;
};

} // namespace

bool ReadPlainJson(const std::string& text, Json& value)
{
    CPlainReader reader(text);
    return reader.Document(value);
}
