// Kernel handles of the POSIX layer. Every object behind a HANDLE (thread,
// event, file) derives from PalHandle; CloseHandle deletes it. Live handles are
// tracked, so a stale or foreign handle is refused instead of dereferenced.
#pragma once

#include "pal/pal.h"

struct PalHandle {
    virtual ~PalHandle() = default;
};

// Registers the object and returns it as a HANDLE.
HANDLE PalRegisterHandle(PalHandle* object);

// The object behind a live handle when it has the wanted type, else null (and
// the last error ERROR_INVALID_HANDLE).
PalHandle* PalLookupHandle(HANDLE handle);
template <class T>
T* PalHandleAs(HANDLE handle)
{
    T* object = dynamic_cast<T*>(PalLookupHandle(handle));
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}
