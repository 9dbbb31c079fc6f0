#include "report/XMLBusinessProcessRecords.h"

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"

using namespace results_xml;

CXMLStartBPTNodeData::CXMLStartBPTNodeData(LONG recordId, CBstrString name, CBstrString resultName,
                                           CBstrString testSet, CBstrString testInstance, CBstrString version,
                                           ProductLevel level) noexcept
    : CXMLNodeDataBase(recordId),
      m_name(std::move(name)),
      m_resultName(std::move(resultName)),
      m_testSet(std::move(testSet)),
      m_testInstance(std::move(testInstance)),
      m_version(std::move(version)),
      m_nodeArgs(level)
{
}

void CXMLStartBPTNodeData::GetXMLText(CBstrString& text)
{
    CBstrString id = FormatPiece(kRecordId, static_cast<int>(m_rID));
    CBstrString nameElement = CDataElement(kDName, m_name);
    CBstrString resultElement = CDataElement(kRes, m_resultName);
    CBstrString version = OptionalCDataElement(kDVer, m_version);
    CBstrString testSet = OptionalCDataElement(kTSet, m_testSet);
    CBstrString testInstance = OptionalCDataElement(kTInst, m_testInstance);
    CBstrString nodeArgs;
    m_nodeArgs.GetXMLText(nodeArgs);
    text.Format(kBptStart, id.c_str(), nameElement.c_str(), resultElement.c_str(), version.c_str(), testSet.c_str(),
                testInstance.c_str(), nodeArgs.c_str());
}

void CXMLEndBPTNodeData::GetXMLText(CBstrString& text) { text = kBptEnd; }
