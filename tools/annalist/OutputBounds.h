// Whether the logger's settings keep what it writes inside the results folder
// given with -o. The logger takes its settings as the administrator made them
// ("Directory" is joined to the ReportPath value, "IterDir" names the
// iteration folders inside each action folder), so "..\..\x" in either can
// lead anywhere; the replay refuses that unless --allow-outside is given.
// Paths are compared as text (Windows-style or native), part by part.
#pragma once

#include <string>

#include "pal/pal.h"

struct OutputSettings {
    WideString reportPath; // the ReportPath value, absolute
    WideString directory;  // "Directory" ("." for none)
    WideString iterDir;    // "IterDir" in effect ("Row" by default)
};

// "" when the results folder and every folder the logger makes inside it lie
// inside `base` (absolute); else a one-line reason naming the setting that
// leads outside ("the \"Directory\" setting \"..\\x\" leads outside ...").
std::string OutsideProblem(const WideString& base, const OutputSettings& settings);

// "" when the settings can name folders at all; else the reason: a lone
// surrogate (no file name can hold one).
std::string UnusableSettingProblem(const OutputSettings& settings);
