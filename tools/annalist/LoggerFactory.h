// A new logger for a replay, made the way a host makes one: through the
// public entry point AnnalistCreateLogger, which asks the library's class
// object (the library linked in) for an instance.
#pragma once

#include "pal/interface_ptr.h"
#include "core/LoggerInterfaces.h"
#include "pal/pal.h"

HRESULT CreateLogger(CInterfacePtr<ILogMedia3>& logger);
