#include "report/XMLActionRecords.h"

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"

using namespace results_xml;

void CXMLStartActionNodeData::GetXMLText(CBstrString& text)
{
    CBstrString nameElement = CDataElement(kActionName, m_name);
    text.Format(kActionStart, static_cast<int>(m_rID), nameElement.c_str());
}
