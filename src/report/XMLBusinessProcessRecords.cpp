#include "report/XMLBusinessProcessRecords.h"


CXMLStartBPTNodeData::CXMLStartBPTNodeData(LONG recordId, CBstrString name, CBstrString resultName,
                                           RunIdentity identity, ProductLevel level) noexcept
    : CXMLNodeDataBase(recordId),
      m_name(std::move(name)),
      m_resultName(std::move(resultName)),
      m_identity(std::move(identity)),
      m_nodeArgs(level)
{
}

void CXMLStartBPTNodeData::GetXMLText(CXmlOutput& out)
{
    // "<BPT%s>\r\n%s%s%s%s": " rID=\"T%d\"", DName, Res, the identity and
    // the node arguments.
    out.Put("<BPT rID=\"T").Number(m_rID).Put("\">\r\n<DName><![CDATA[").CData(m_name);
    out.Put("]]></DName>\r\n<Res><![CDATA[").CData(m_resultName).Put("]]></Res>\r\n");
    WriteRunIdentity(m_identity, out);
    m_nodeArgs.Write(out);
}

void CXMLEndBPTNodeData::GetXMLText(CXmlOutput& out) { out.Put("</BPT>"); }
