#include "report/XMLActionRecords.h"

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"

using namespace results_xml;

void CXMLStartActionNodeData::GetXMLText(CBstrString& text)
{
    CBstrString nameElement = CDataElement(kActionName, m_name);
    text.Format(kActionStart, static_cast<int>(m_rID), nameElement.c_str());
}

void CXMLEndActionNodeData::GetXMLText(CBstrString& text)
{
    BuildScopeEndText(kActionEnd, m_summary, m_nodeArgs, text);
}

void CXMLStartActionIterNodeData::GetXMLText(CBstrString& text)
{
    text.Format(kActionIterationStart, static_cast<int>(m_rID), static_cast<int>(m_iteration));
}

void CXMLEndActionIterNodeData::GetXMLText(CBstrString& text)
{
    BuildScopeEndText(kActionIterationEnd, m_summary, m_nodeArgs, text);
}
