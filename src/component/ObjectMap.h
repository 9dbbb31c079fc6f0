// The module's object map: one entry per creatable class. The library has one
// entry, the logger class.
#pragma once

#include "pal/pal.h"

typedef HRESULT (*CreateInstanceFunction)(IUnknown* outer, REFIID riid, void** ppv);

struct ObjectMapEntry {
    const CLSID* clsid;
    // Writes (TRUE) or removes (FALSE) the class's registry entries.
    HRESULT (*updateRegistry)(BOOL registering);
    // Creates an instance; the class object has checked the arguments.
    CreateInstanceFunction createInstance;
    // Per-class initialisation (TRUE) and termination (FALSE).
    void (*objectMain)(bool starting);
    // The class object: created on the first request, kept until the module
    // terminates. The module holds one reference.
    IUnknown* classObject;
};
