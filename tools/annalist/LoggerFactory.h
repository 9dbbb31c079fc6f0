// A new logger for a replay, made the way a host makes one: the library's
// class object (DllGetClassObject, the library linked in) asked for an
// instance through IClassFactory::CreateInstance.
#pragma once

#include "pal/interface_ptr.h"
#include "core/LoggerInterfaces.h"
#include "pal/pal.h"

HRESULT CreateLogger(CInterfacePtr<ILogMedia3>& logger);
