#include "core/LoggerInterfaces.h"
#include "text/GuidLiteral.h"

extern "C" {
const GUID LIBID_ANNALISTLib = GuidFromText(ANNALIST_LIBID_TEXT);
const CLSID CLSID_Annalist = GuidFromText(ANNALIST_CLSID_TEXT);
const IID IID_ILogMedia2 = GuidFromText(ANNALIST_IID_ILOGMEDIA2_TEXT);
const IID IID_ILogMedia3 = GuidFromText(ANNALIST_IID_ILOGMEDIA3_TEXT);
const IID IID_IAnnalistAdditionalInfo = GuidFromText(ANNALIST_IID_ADDITIONALINFO_TEXT);
const IID IID_IAnnalistAdditionalInfo2 = GuidFromText(ANNALIST_IID_ADDITIONALINFO2_TEXT);
}
