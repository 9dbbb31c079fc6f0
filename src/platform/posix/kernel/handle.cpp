#include "kernel/handle.h"

#include <mutex>
#include <unordered_set>

namespace {

std::mutex& TableLock()
{
    static std::mutex lock;
    return lock;
}

std::unordered_set<PalHandle*>& LiveHandles()
{
    static std::unordered_set<PalHandle*>* table = new std::unordered_set<PalHandle*>();
    return *table;
}

} // namespace

HANDLE PalRegisterHandle(PalHandle* object)
{
    if (!object)
        return nullptr;
    std::lock_guard<std::mutex> guard(TableLock());
    LiveHandles().insert(object);
    return static_cast<HANDLE>(object);
}

PalHandle* PalLookupHandle(HANDLE handle)
{
    PalHandle* object = static_cast<PalHandle*>(handle);
    std::lock_guard<std::mutex> guard(TableLock());
    return LiveHandles().count(object) ? object : nullptr;
}

extern "C" BOOL CloseHandle(HANDLE hObject)
{
    PalHandle* object = static_cast<PalHandle*>(hObject);
    {
        std::lock_guard<std::mutex> guard(TableLock());
        if (!LiveHandles().erase(object)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    delete object;
    return TRUE;
}
