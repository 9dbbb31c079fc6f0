// The module's type library, made from its description: there is no
// type-library engine on this platform. It is registered as the 32-bit
// library is on Windows (system "win32"), so the keys are the same.
#include "component/ModuleTypeLib.h"

#include "component/TypeLibDescription.h"
#include "core/LoggerInterfaces.h"

namespace {

constexpr UINT kMaxInterfaces = 8;

struct Description {
    PAL_TYPELIB_INTERFACE interfaces[kMaxInterfaces];
    PAL_TYPELIB_DESCRIPTION library;

    Description()
    {
        UINT count = kLoggerTypeLibInterfaceCount < kMaxInterfaces ? kLoggerTypeLibInterfaceCount : kMaxInterfaces;
        for (UINT i = 0; i < count; ++i)
            interfaces[i] = PAL_TYPELIB_INTERFACE{*kLoggerTypeLibInterfaces[i].iid, kLoggerTypeLibInterfaces[i].name};
        library.attributes = TLIBATTR{LIBID_ANNALISTLib, kLoggerTypeLibLocale, SYS_WIN32, kLoggerTypeLibMajorVersion,
                                      kLoggerTypeLibMinorVersion, kLoggerTypeLibFlags};
        library.name = kLoggerTypeLibName;
        library.docString = kLoggerTypeLibDocString;
        library.interfaces = interfaces;
        library.interfaceCount = count;
    }
};

} // namespace

HRESULT LoadModuleTypeLib(HMODULE, ITypeLib** typeLib)
{
    if (!typeLib)
        return E_POINTER;
    static const Description description;
    return PAL_CreateTypeLib(&description.library, typeLib);
}
