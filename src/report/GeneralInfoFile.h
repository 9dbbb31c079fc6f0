// GeneralInfo.ini: the run's summary, written at the end of a run or at a
// pause and read back when a later run appends to the same results folder.
// The file is UTF-16LE (it begins with FF FE) in the profile layout, one
// section "[General]".
#pragma once

#include "report/GeneralInfo.h"
#include "report/ProductLevel.h"

// Creates the file anew and writes the keys in their fixed order. A line
// break inside a value is written as a blank, so no value can add lines (or
// keys) to the file. A null record writes nothing.
void WriteGeneralInfo(const WCHAR* path, const GeneralInfo* record, ProductLevel level) noexcept;

// Reads the file into the record (texts cut to 255 characters; Total and
// OSVersion 0 and GlobalIteration -1 when missing). A null record reads
// nothing. At the earlier level the server and project are not read.
void ReadGeneralInfo(const WCHAR* path, GeneralInfo* record, ProductLevel level) noexcept;
