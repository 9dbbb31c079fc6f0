// ReadPlainJson: the JSON object of an event-log line read in one pass, for
// the lines that hold nothing unusual, which are nearly all of them. The
// general parser (nlohmann's) spends most of a replay's time on its lexer;
// this reader goes through the bytes once and builds the same value.
//
// It takes objects and lists nested a few levels deep, texts with the usual
// escapes, integers of up to 18 digits and true, false and null. For anything
// else (a number with a fraction or an exponent, a longer integer, a \u
// escape of a surrogate, a key given twice, deeper nesting, bytes that are
// not well-formed UTF-8, any syntax error) it gives up, and the caller hands
// the line to the general parser: that one then gives the value, or the
// message for what is wrong. What it accepts, it reads as the general parser
// reads it: the same members in the same order, the same types.
#pragma once

#include <string>

#include "annalist/ReplayCall.h"

// False (and `value` unspecified) when the text is not a plain object.
bool ReadPlainJson(const std::string& text, Json& value);
