// Creation of the logger object for the class object.
#include "component/AnnalistCreator.h"

#include "component/LoggerObject.h"
#include "core/AnnalistImp.h"

HRESULT CreateAnnalistInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    // A new CAnnalistImp takes the product level the settings choose.
    return CreateLoggerObject<CAnnalistImp>(outer, riid, ppv);
}
