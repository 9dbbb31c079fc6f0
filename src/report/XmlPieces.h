// Small helpers of the records for formatting and copying texts.
#pragma once

#include <initializer_list>

#include "text/BstrString.h"

// A piece: the template formatted with the arguments (an empty text when the
// text cannot be built).
CBstrString FormatPiece(const WCHAR* format, ...) noexcept;

// target = a copy of text (null: empty). S_OK, or E_OUTOFMEMORY (target then
// unchanged).
HRESULT CopyText(CBstrString& target, const WCHAR* text) noexcept;

// S_OK when every copy succeeded, else E_OUTOFMEMORY.
HRESULT AllCopied(std::initializer_list<HRESULT> copies) noexcept;

// An element whose template holds one CDATA section ("<X><![CDATA[%s]]></X>..."),
// the value made safe for it.
CBstrString CDataElement(const WCHAR* format, const CBstrString& value) noexcept;
// The same, or an empty text when the value is empty.
CBstrString OptionalCDataElement(const WCHAR* format, const CBstrString& value) noexcept;
