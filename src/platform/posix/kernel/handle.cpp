#include "kernel/handle.h"

#include "kernel/live_objects.h"

HANDLE PalRegisterHandle(PalHandle* object)
{
    if (!object)
        return nullptr;
    std::lock_guard<std::mutex> guard(PalLive<PalHandle>().lock);
    PalLive<PalHandle>().objects.insert(object);
    return static_cast<HANDLE>(object);
}

PalHandle* PalLookupHandle(HANDLE handle)
{
    PalHandle* object = static_cast<PalHandle*>(handle);
    std::lock_guard<std::mutex> guard(PalLive<PalHandle>().lock);
    return PalLive<PalHandle>().objects.count(object) ? object : nullptr;
}

extern "C" BOOL CloseHandle(HANDLE hObject)
{
    PalHandle* object = static_cast<PalHandle*>(hObject);
    {
        std::lock_guard<std::mutex> guard(PalLive<PalHandle>().lock);
        if (!PalLive<PalHandle>().objects.erase(object)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    delete object;
    return TRUE;
}
