// The module's lock count: one lock for every live object of the library and
// every LockServer(TRUE) not yet matched by LockServer(FALSE). The library can
// be unloaded only while the count is 0. Thread-safe (atomic).
#pragma once

#include "pal/pal.h"

LONG ModuleLock();
LONG ModuleUnlock();
LONG ModuleLockCount();
