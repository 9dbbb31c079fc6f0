// Creation of the logger object for the class object: a CAnnalistImp of the
// product level that the settings choose, plain or aggregated.
#pragma once

#include "pal/pal.h"

HRESULT CreateAnnalistInstance(IUnknown* outer, REFIID riid, void** ppv);
