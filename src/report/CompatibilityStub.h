// The two files that tell an older results viewer to upgrade: "Results.cvn",
// a one-node report in the older layout, and "InstallNewReport.html", the
// page its node shows. Written once when a new results folder is started;
// files that exist are never overwritten.
#pragma once

#include "pal/pal.h"

// Writes the stub (223 bytes) unless it exists, then the page with the
// message, in the ANSI code page, unless the stub existed or the page exists.
// Every failure stops silently.
void WriteCompatibilityStub(const WCHAR* stubPath, const WCHAR* pagePath, const WCHAR* message) noexcept;
