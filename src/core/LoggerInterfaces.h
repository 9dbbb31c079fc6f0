// The logger's COM surface. The identifiers, enumerations and interfaces are
// those of the public header annalist/annalist.h (the type library,
// component/annalist.idl, describes the same ones); what only the library
// itself uses is declared here.
#pragma once

#include "annalist/annalist.h"
#include "pal/pal.h"

// Dispatch identifiers of the members.
enum AnnalistDispId {
    DISPID_LOGEVENT = 1,
    DISPID_SETSTATUS = 2,
    DISPID_SETREGISTRYROOT = 3,
    DISPID_REPORTPATH = 4,
    DISPID_FILTER = 5
};
