// The error information the logger leaves for its caller when a call fails
// (the thread's IErrorInfo, which a script engine shows with the failure).
#pragma once

#include "pal/pal.h"

// Sets the thread's error information: the GUID, the description and, each
// only when given, the help context, help file and source. E_INVALIDARG
// without a message; otherwise the first failing call's HRESULT, or S_OK.
HRESULT SetErrorInfoText(const WCHAR* message, REFGUID guid, DWORD helpContext, const WCHAR* helpFile,
                         const WCHAR* source);
