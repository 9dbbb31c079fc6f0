// The one step of the writer thread that turns a record into the bytes of
// Results.xml: its text, written as UTF-8 straight into the writer's output
// buffer.
#pragma once

#include "report/XMLNodeDataBase.h"
#include "report/XmlOutput.h"

// Appends the record's bytes to output. True when the whole record was
// appended (a record whose text is empty appends nothing); false when its text
// could not be built (memory ran out), output then holding what it held
// before.
bool EncodeRecord(CXMLNodeDataBase& record, CXmlOutput& output) noexcept;
