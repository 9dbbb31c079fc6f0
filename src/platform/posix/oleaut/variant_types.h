// Which VARTYPEs a VARIANT may hold in the POSIX layer.
#pragma once

#include "pal/pal.h"

// A base type the layer knows, alone or with VT_BYREF / VT_ARRAY (VT_EMPTY and
// VT_NULL only alone). The layer has no SAFEARRAY, so a VARIANT that owns an
// array can be neither copied nor cleared; a reference to one can.
bool PalIsValidVarType(VARTYPE vt);

// The number types: the integers (VT_I1 to VT_UI8, VT_INT, VT_UINT), VT_R4,
// VT_R8 and VT_CY (alone).
bool PalIsNumberType(VARTYPE vt);
