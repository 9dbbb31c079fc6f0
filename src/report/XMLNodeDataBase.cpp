#include "report/XMLNodeDataBase.h"

void CXMLScopeEndNodeData::GetXMLText(CBstrString& text)
{
    CBstrString summaryText;
    CBstrString nodeArgsText;
    m_summary.GetXMLText(summaryText);
    m_nodeArgs.GetXMLText(nodeArgsText);
    text.Format(m_endTemplate, summaryText.c_str(), nodeArgsText.c_str());
}

void CXMLIterationStartNodeData::GetXMLText(CBstrString& text)
{
    text.Format(m_startTemplate, static_cast<int>(m_rID), static_cast<int>(m_iteration));
}
