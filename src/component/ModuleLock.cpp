// The library's lock count (see ModuleLock.h).
#include "component/ModuleLock.h"

#include <atomic>

namespace {

std::atomic<LONG> g_lockCount{0};

} // namespace

LONG ModuleLock() { return ++g_lockCount; }

LONG ModuleUnlock() { return --g_lockCount; }

LONG ModuleLockCount() { return g_lockCount.load(); }
