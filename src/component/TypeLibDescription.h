// What the logger's type library says of itself, for the places that need it
// without a type-library engine: its identity, its documentation string, and
// the interfaces that its registration lists under HKCR\Interface. The tests
// of the Windows build compare it with the compiled type library.
#pragma once

#include "pal/pal.h"

struct LoggerTypeLibInterface {
    const IID* iid;
    const WCHAR* name;
};

extern const WCHAR kLoggerTypeLibName[];      // "ANNALISTLib"
extern const WCHAR kLoggerTypeLibDocString[]; // "Annalist 1.0 Type Library"
constexpr WORD kLoggerTypeLibMajorVersion = 1;
constexpr WORD kLoggerTypeLibMinorVersion = 0;
constexpr LCID kLoggerTypeLibLocale = 0;
constexpr WORD kLoggerTypeLibFlags = 0x8; // LIBFLAG_FHASDISKIMAGE, as the compiler sets it
extern const LoggerTypeLibInterface kLoggerTypeLibInterfaces[];
extern const UINT kLoggerTypeLibInterfaceCount;
