// CXmlOutput: the bytes of Results.xml as the records write them, UTF-8 from
// the start. A record puts its template's markup as it stands and each of its
// texts in the place it takes; every text is made safe for its place and
// encoded in one pass over its units, with the rules of CXmlSafeText
// (XmlText.h) and of the UTF-8 encoder (a surrogate pair becomes one 4-byte
// sequence, a lone surrogate U+FFFD). A text ends at its first zero unit.
//
// The buffer grows as needed and keeps its room when emptied, so the writer
// thread formats record after record into it without allocating; when room
// cannot be had, std::bad_alloc is thrown (the bytes written so far stay).
#pragma once

#include <cstddef>
#include <cstring>

#include "pal/pal.h"
#include "text/BstrString.h"

class CXmlOutput {
public:
    CXmlOutput() noexcept = default;
    ~CXmlOutput();
    CXmlOutput(const CXmlOutput&) = delete;
    CXmlOutput& operator=(const CXmlOutput&) = delete;

    // Markup of a template (ASCII), as it stands.
    template <size_t N>
    CXmlOutput& Put(const char (&markup)[N])
    {
        return Put(markup, N - 1);
    }
    CXmlOutput& Put(const char* markup, size_t length)
    {
        std::memcpy(Room(length), markup, length);
        m_size += length;
        return *this;
    }
    // A signed decimal.
    CXmlOutput& Number(long value);

    // A text inside a double-quoted attribute value.
    CXmlOutput& Attribute(const WCHAR* text);
    CXmlOutput& Attribute(const CBstrString& text) { return Attribute(text.c_str()); }
    // A text inside a CDATA section.
    CXmlOutput& CData(const WCHAR* text);
    CXmlOutput& CData(const CBstrString& text) { return CData(text.c_str()); }
    // The object or details text of a step inside its CDATA section: "]]>" is
    // written "]]_".
    CXmlOutput& StepCData(const WCHAR* text);
    CXmlOutput& StepCData(const CBstrString& text) { return StepCData(text.c_str()); }
    // The node type or source of NodeArgs: escaped as EscapeNodeAttributeText
    // escapes it, then made safe for an attribute.
    CXmlOutput& NodeAttribute(const WCHAR* text);
    CXmlOutput& NodeAttribute(const CBstrString& text) { return NodeAttribute(text.c_str()); }
    // Ready-made markup (a maintenance summary): kept when it is well-formed
    // content, else mended (CXmlSafeText with XmlPlace::Markup).
    CXmlOutput& Markup(const WCHAR* text);
    CXmlOutput& Markup(const CBstrString& text) { return Markup(text.c_str()); }
    // A text that is safe already (the prologue), only encoded.
    CXmlOutput& Encoded(const WCHAR* text);

    const char* Data() const noexcept { return m_data; }
    size_t Size() const noexcept { return m_size; }
    bool IsEmpty() const noexcept { return m_size == 0; }
    // Forgets the bytes; the room stays.
    void Clear() noexcept { m_size = 0; }
    // Forgets the bytes from size on.
    void Shrink(size_t size) noexcept
    {
        if (size < m_size)
            m_size = size;
    }
    size_t Capacity() const noexcept { return m_capacity; }
    // Forgets the bytes and gives the room back.
    void Release() noexcept;

    // What the encoder does to a text (internal).
    enum class Rule { Attribute, CData, StepCData, NodeEscape, Characters };

private:
    // Room for `bytes` more bytes; the first free byte.
    char* Room(size_t bytes) { return bytes <= m_capacity - m_size ? m_data + m_size : Grow(bytes); }
    char* Grow(size_t bytes);
    CXmlOutput& Write(const WCHAR* text, Rule rule);

    char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// The UTF-16 text of bytes the output holds (UTF-8, well-formed), for the
// callers that want the text itself (tests, tools).
CBstrString TextOfOutput(const CXmlOutput& output);
