#include "report/XMLActionRecords.h"

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"

using namespace results_xml;

void CXMLStartActionNodeData::GetXMLText(CBstrString& text)
{
    CBstrString nameElement = CDataElement(kActionName, m_name);
    text.Format(kActionStart, static_cast<int>(m_rID), nameElement.c_str());
}

CXMLEndActionNodeData::CXMLEndActionNodeData(ProductLevel level) noexcept
    : CXMLNodeEndData(kActionEnd, true, level)
{
}

CXMLStartActionIterNodeData::CXMLStartActionIterNodeData(LONG recordId, LONG iteration) noexcept
    : CXMLIterationStartNodeData(kActionIterationStart, recordId, iteration)
{
}

CXMLEndActionIterNodeData::CXMLEndActionIterNodeData(ProductLevel level) noexcept
    : CXMLNodeEndData(kActionIterationEnd, true, level)
{
}
