// The one step of the writer thread that turns a record into the bytes of
// Results.xml: its text, encoded as UTF-8, appended to the writer's output
// buffer.
#pragma once

#include <string>

#include "report/XMLNodeDataBase.h"

// Appends the record's bytes to output. True when the whole record was
// appended (a record whose text is empty appends nothing); false when its text
// could not be built or encoded (memory ran out), output then holding what it
// held before.
bool EncodeRecord(CXMLNodeDataBase& record, std::string& output) noexcept;
