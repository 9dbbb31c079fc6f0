// The start of a new Results.xml: the XML declaration, the document type
// declaration with its internal subset, and the Report start tag.
#pragma once

#include "report/ProductLevel.h"
#include "text/BstrString.h"

// The prologue with the built-in declaration of the level; timeZoneName is
// written as the tmZone value (made safe for an attribute).
void BuildResultsPrologue(ProductLevel level, const WCHAR* timeZoneName, CBstrString& text) noexcept;

// The prologue around a declaration text of the host's own (the earlier
// level's "external.dtd"): "<?xml version=\"1.0\"?>\r\n %s <Report ...>\r\n".
void BuildResultsPrologueWith(const WCHAR* declaration, const WCHAR* timeZoneName, CBstrString& text) noexcept;

// The standard-time name of the machine's time zone (also while daylight
// time is in force); empty when the zone cannot be read.
void GetTimeZoneName(CBstrString& name) noexcept;

// The path of "external.dtd" in the folder of the host executable; false when
// the executable's path cannot be read.
bool GetExternalDeclarationPath(CBstrString& path) noexcept;

// The whole content of the file taken as UTF-16LE text: a byte-order mark at
// its start is dropped, and so is an odd last byte. False when the file
// cannot be opened for reading or read.
bool ReadDeclarationFile(const WCHAR* path, CBstrString& declaration) noexcept;
