// Text values of the registry as the COM layer reads them.
#pragma once

#include "pal/pal.h"

// The default value of HKEY_CLASSES_ROOT\<subKey> when it is text (REG_SZ or
// REG_EXPAND_SZ, taken as it is); false when the key or the value is missing
// or holds something else.
bool PalReadClassesRootText(const WideString& subKey, WideString& text);
