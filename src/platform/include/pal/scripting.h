// The Scripting Runtime's dictionary interface, the type of every event
// description. On Windows the real Scripting.Dictionary answers it; on POSIX
// our own stand-in does (same IID, same method order).
#pragma once

// IDictionary is declared in the public header annalist/com_types.h.
#include "annalist/com_types.h"

extern "C" const IID IID_IDictionary;    // {42C642C1-97E1-11CF-978F-00A02463E06F}
extern "C" const CLSID CLSID_Dictionary; // {EE09B103-97E0-11CF-978F-00A02463E06F}

// A new, empty dictionary: the real Scripting.Dictionary on Windows (COM must
// be initialised on the calling thread), the stand-in on POSIX.
extern "C" HRESULT PAL_CreateDictionary(IDictionary** ppDictionary);
