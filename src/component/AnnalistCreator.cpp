// Creation of the logger object for the class object.
#include "component/AnnalistCreator.h"

#include "component/LoggerObject.h"
#include "core/AnnalistImp.h"
#include "core/ProductLevelSetting.h"

HRESULT CreateAnnalistInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    return CreateLoggerObject<CAnnalistImp>(outer, riid, ppv, ReadProductLevelSetting());
}
