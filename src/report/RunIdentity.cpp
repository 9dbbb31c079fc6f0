#include "report/RunIdentity.h"

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"

using namespace results_xml;

CBstrString RunIdentityElements(const RunIdentity& identity) noexcept
{
    CBstrString elements = OptionalCDataElement(kDVer, identity.testVersion);
    elements += OptionalCDataElement(kTSet, identity.testSet);
    elements += OptionalCDataElement(kTInst, identity.testInstance);
    return elements;
}
