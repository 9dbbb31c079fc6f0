// HTML as plain text, for places that show no HTML (JUnit messages, names):
// tags removed, scripts and styles dropped with their content, line breaks
// where blocks end, references replaced, blank runs made one blank.
#pragma once

#include <string>

std::string HtmlToText(const std::string& html);
