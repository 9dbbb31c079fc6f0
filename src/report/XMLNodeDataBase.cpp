#include "report/XMLNodeDataBase.h"

#include <cstring>

void CXMLNodeEndData::GetXMLText(CXmlOutput& out)
{
    if (m_withSummary)
        m_summary.Write(out);
    m_nodeArgs.Write(out);
    out.Put(m_endTag, std::strlen(m_endTag));
}

void CXMLIterationStartNodeData::GetXMLText(CXmlOutput& out)
{
    // "<DIter rID=\"T%d\" iterID=\"%d\" >\r\n", "<AIter ...".
    out.Put(m_startTag, std::strlen(m_startTag)).Number(m_rID).Put("\" iterID=\"").Number(m_iteration).Put("\" >\r\n");
}
