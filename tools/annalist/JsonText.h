// JSON strings written straight into an output text: quotes, backslashes
// and control characters escaped, and "<" written \u003c so that the text
// can stand inside an HTML script element.
#pragma once

#include <string>

void AppendJsonString(std::string& out, const std::string& text);
