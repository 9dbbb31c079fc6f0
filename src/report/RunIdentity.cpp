#include "report/RunIdentity.h"

void WriteRunIdentity(const RunIdentity& identity, CXmlOutput& out)
{
    if (!identity.testVersion.IsEmpty())
        out.Put("<DVer><![CDATA[").CData(identity.testVersion).Put("]]></DVer>\r\n");
    if (!identity.testSet.IsEmpty())
        out.Put("<TSet><![CDATA[").CData(identity.testSet).Put("]]></TSet>\r\n");
    if (!identity.testInstance.IsEmpty())
        out.Put("<TInst><![CDATA[").CData(identity.testInstance).Put("]]></TInst>\r\n");
}
