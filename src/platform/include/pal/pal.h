// The platform adaptation layer: the Win32 / COM / OLE Automation subset that
// the library is written against. On Windows these are the real headers; on
// POSIX they are our own declarations, implemented in src/platform/posix.
// Everything outside src/platform includes this header and nothing OS-specific.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#if defined(_WIN32)
#include "pal/win32/windows_headers.h"
#define W(text) L##text
#else
#include "pal/posix/types.h"
#include "pal/posix/errors.h"
#include "pal/posix/com.h"
#include "pal/posix/oleauto.h"
#include "pal/posix/typelib.h"
#include "pal/posix/kernel.h"
#include "pal/posix/codepage.h"
#include "pal/posix/resources.h"
#include "pal/posix/files.h"
#include "pal/posix/registry.h"
#include "pal/posix/profile.h"
#include "pal/posix/user.h"
#define W(text) u##text
#endif

#include "pal/wstr.h"
#include "pal/scripting.h"
