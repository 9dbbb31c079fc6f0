// The logger's type library in brief (see TypeLibDescription.h and
// annalist.idl).
#include "component/TypeLibDescription.h"

#include "core/LoggerInterfaces.h"

const WCHAR kLoggerTypeLibName[] = W("ANNALISTLib");
const WCHAR kLoggerTypeLibDocString[] = W("Annalist 1.0 Type Library");

// ILogMedia2 is an OLE Automation interface and ILogMedia3 a dual one: both
// are registered with the automation proxy.
const LoggerTypeLibInterface kLoggerTypeLibInterfaces[] = {
    {&IID_ILogMedia2, W("ILogMedia2")},
    {&IID_ILogMedia3, W("ILogMedia3")},
};
const UINT kLoggerTypeLibInterfaceCount = sizeof(kLoggerTypeLibInterfaces) / sizeof(kLoggerTypeLibInterfaces[0]);
