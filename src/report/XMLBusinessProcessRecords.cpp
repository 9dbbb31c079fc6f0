#include "report/XMLBusinessProcessRecords.h"

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"

using namespace results_xml;

CXMLStartBPTNodeData::CXMLStartBPTNodeData(LONG recordId, CBstrString name, CBstrString resultName,
                                           RunIdentity identity, ProductLevel level) noexcept
    : CXMLNodeDataBase(recordId),
      m_name(std::move(name)),
      m_resultName(std::move(resultName)),
      m_identity(std::move(identity)),
      m_nodeArgs(level)
{
}

void CXMLStartBPTNodeData::GetXMLText(CBstrString& text)
{
    CBstrString id = FormatPiece(kRecordId, static_cast<int>(m_rID));
    CBstrString nameElement = CDataElement(kDName, m_name);
    CBstrString resultElement = CDataElement(kRes, m_resultName);
    CBstrString identity = RunIdentityElements(m_identity);
    CBstrString nodeArgs;
    m_nodeArgs.GetXMLText(nodeArgs);
    text.Format(kBptStart, id.c_str(), nameElement.c_str(), resultElement.c_str(), identity.c_str(),
                nodeArgs.c_str());
}

void CXMLEndBPTNodeData::GetXMLText(CBstrString& text) { text = kBptEnd; }
