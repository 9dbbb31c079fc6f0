#include "report/XMLActionRecords.h"

void CXMLStartActionNodeData::GetXMLText(CXmlOutput& out)
{
    // "<Action rID=\"T%d\">\r\n%s" with "<AName><![CDATA[%s]]></AName>\r\n".
    out.Put("<Action rID=\"T").Number(m_rID).Put("\">\r\n<AName><![CDATA[").CData(m_name).Put("]]></AName>\r\n");
}
