#include "text/ResourceStrings.h"

#include <atomic>

namespace {

std::atomic<HMODULE> g_resourceModule{nullptr};

} // namespace

HMODULE GetResourceModule() noexcept
{
    HMODULE module = g_resourceModule.load();
    return module ? module : PAL_GetLibraryModule();
}

void SetResourceModule(HMODULE module) noexcept { g_resourceModule.store(module); }

CBstrString LoadResourceString(UINT id) noexcept
{
    CBstrString text;
    text.LoadString(GetResourceModule(), id);
    return text;
}

UINT OperatingSystemNameId(int code) noexcept
{
    switch (code) {
    case 4:
        return IDS_OS_WINDOWS_NT4;
    case 5:
        return IDS_OS_WINDOWS_2000;
    case 6:
        return IDS_OS_WINDOWS_ME;
    case 7:
        return IDS_OS_WINDOWS_XP;
    case 8:
        return IDS_OS_WINDOWS_2003;
    case 9:
        return IDS_OS_WINDOWS_VISTA;
    default:
        return 0;
    }
}

CBstrString OperatingSystemName(int code) noexcept
{
    UINT id = OperatingSystemNameId(code);
    return id ? LoadResourceString(id) : CBstrString();
}
