// The XML 1.0 rules that Results.xml is kept to: which characters a document
// may hold, what a reference is, and two checks for the ready-made markup that
// the report copies into the file (a maintenance summary, and at the earlier
// product level the declaration file beside the host executable).
//
// Only the five predefined entities count as entity references: the report
// declares no entities of its own.
#pragma once

#include "pal/pal.h"

// A code point that XML 1.0 allows in a document: tab, LF, CR, U+0020 to
// U+D7FF, U+E000 to U+FFFD and U+10000 to U+10FFFF.
bool IsXmlChar(unsigned long code) noexcept;

// The length in units of the reference that begins at text[0] ('&'): one of
// the five predefined entities, or a character reference to a character that
// XML allows. 0 when text does not begin such a reference.
size_t XmlReferenceLength(const WCHAR* text) noexcept;

// True when the zero-terminated text is well-formed element content: elements
// (balanced, unique attribute names), character data, references, CDATA
// sections, comments and processing instructions, every character allowed.
// The empty text is well-formed content.
bool IsWellFormedXmlContent(const WCHAR* text) noexcept;

// True when the zero-terminated text may stand between the XML declaration and
// the root element: blanks, comments and processing instructions, with at
// most one document type declaration among them. The declaration's internal
// subset may hold element, attribute-list, entity and notation declarations,
// comments and processing instructions; parameter-entity references are
// refused.
bool IsWellFormedXmlProlog(const WCHAR* text) noexcept;
