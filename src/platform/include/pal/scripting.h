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

// A direct look into a dictionary that PAL_CreateDictionary made in this
// process, for a caller that reads many keys of it. PAL_OwnDictionary answers
// the dictionary itself when the object is one of those, and null for any
// other object (which is then used through IDictionary alone; on Windows it
// is always null). PAL_DictionaryItem answers the item stored under a text
// key (`length` units, as a string variant of that text would be compared),
// or null when no entry has the key: what Exists and then reading Item
// of a present key give, without a copy. Neither call changes the dictionary
// or is seen by it; the item is the dictionary's, valid until it next changes.
struct PalDictionary;
extern "C" PalDictionary* PAL_OwnDictionary(IDictionary* dictionary);
extern "C" const VARIANT* PAL_DictionaryItem(PalDictionary* dictionary, const WCHAR* key, UINT length);
