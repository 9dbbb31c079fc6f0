// The caller's side of a description: a dictionary made the way a host makes
// one (PAL_CreateDictionary: our Scripting.Dictionary stand-in on POSIX, as
// the command-line tool makes its descriptions), one Add per entry with a
// freshly allocated key and value, and freed by releasing it.
//
// The two functions are kept out of line (noipa) so that callgrind charges their
// instructions to the caller's dictionary work, apart from LogEvent's.
#pragma once

#include "RunShape.h"
#include "pal/pal.h"

// A new dictionary holding the event's entries; null and the failure when
// the dictionary cannot be made or refuses an entry.
[[gnu::noipa]] HRESULT BuildCallerDescription(const BenchEvent& event, IDictionary** description);

// Releases the caller's reference (the last one, unless the logger kept one).
[[gnu::noipa]] void FreeCallerDescription(IDictionary* description);
