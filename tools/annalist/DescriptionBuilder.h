// The description of a replayed event: the "desc" object of a LogEvent line
// made into a dictionary object (PAL_CreateDictionary: the real
// Scripting.Dictionary on Windows, the stand-in on POSIX), one entry per key,
// in the order of the line. The values take these forms:
//   "text" -> VT_BSTR              true / false -> VT_BOOL
//   an integer within 32 bits -> VT_I4, any other number -> VT_R8
//   null -> VT_NULL                {"$date": "YYYY-MM-DDTHH:MM:SS"} -> VT_DATE
//   {"$i2": n} -> VT_I2            {"$empty": true} -> VT_EMPTY
//   {"$report": "text"} -> VT_UNKNOWN, a custom report object giving the text
//   {"$params": [{"name": "...", "direction": "in"|"out", "value": v}, ...]}
//       -> VT_DISPATCH, a parameters object ("direction" defaults to "in",
//          "value" to VT_EMPTY; v takes the forms above but the two objects)
#pragma once

#include <string>

#include "annalist/ReplayCall.h"
#include "pal/interface_ptr.h"
#include "pal/pal.h"

// One value. `out` must be empty (VariantInit); it stays empty on failure.
// The host-object forms are refused unless allowObjects. False with the
// reason when the value has none of the forms.
bool VariantFromJson(const Json& value, bool allowObjects, VARIANT* out, std::string& reason);

// The dictionary for a description object. False with the reason (which names
// the key) when a value has the wrong form or the dictionary cannot be made.
bool BuildDescription(const Json& description, CInterfacePtr<IDictionary>& dictionary, std::string& reason);
