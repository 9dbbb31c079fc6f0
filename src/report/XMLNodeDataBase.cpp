#include "report/XMLNodeDataBase.h"

void CXMLNodeEndData::GetXMLText(CBstrString& text)
{
    CBstrString nodeArgsText;
    m_nodeArgs.GetXMLText(nodeArgsText);
    if (!m_withSummary) {
        text.Format(m_endTemplate, nodeArgsText.c_str());
        return;
    }
    CBstrString summaryText;
    m_summary.GetXMLText(summaryText);
    text.Format(m_endTemplate, summaryText.c_str(), nodeArgsText.c_str());
}

void CXMLIterationStartNodeData::GetXMLText(CBstrString& text)
{
    text.Format(m_startTemplate, static_cast<int>(m_rID), static_cast<int>(m_iteration));
}
