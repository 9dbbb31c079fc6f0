// GeneralInfo.ini: the run's summary, written at the end of a run or at a
// pause and read back when a later run appends to the same results folder.
// The file is UTF-16LE (it begins with FF FE) in the profile layout, one
// section "[General]".
#pragma once

#include "report/GeneralInfo.h"
#include "report/ProductLevel.h"

// Writes the file anew, the keys in their fixed order. A line break inside a
// value is written as a blank, so no value can add lines (or keys) to the
// file. The file is replaced in one step (written whole under the name
// path + ".tmp", then moved over path), so it is never seen truncated or in
// part, and a write that fails (a full disk answered Cancel) leaves the
// earlier file as it was. False, with the last error, when the file could not
// be written (or for a null record).
bool WriteGeneralInfo(const WCHAR* path, const GeneralInfo* record, ProductLevel level) noexcept;

// Reads the file into the record (texts cut to 255 characters; Total and
// OSVersion 0 and GlobalIteration -1 when missing). A null record reads
// nothing. At the earlier level the server and project are not read.
void ReadGeneralInfo(const WCHAR* path, GeneralInfo* record, ProductLevel level) noexcept;
