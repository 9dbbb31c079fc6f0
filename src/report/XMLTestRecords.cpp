#include "report/XMLTestRecords.h"

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"
#include "report/XmlText.h"

using namespace results_xml;

CXMLStartTestNodeData::CXMLStartTestNodeData(LONG recordId, CBstrString name, CBstrString resultName,
                                             CBstrString productName, CBstrString type, RunIdentity identity,
                                             LONG componentIteration) noexcept
    : CXMLNodeDataBase(recordId),
      m_name(std::move(name)),
      m_resultName(std::move(resultName)),
      m_type(std::move(type)),
      m_identity(std::move(identity)),
      m_productName(std::move(productName)),
      m_componentIteration(componentIteration)
{
}

void CXMLStartTestNodeData::SetRunType(bool fromStep, bool batch, bool updateDescriptions, bool updateCheckpoints,
                                       bool updateActiveScreen) noexcept
{
    m_fromStep = fromStep;
    m_batch = batch;
    m_updateDescriptions = updateDescriptions;
    m_updateCheckpoints = updateCheckpoints;
    m_updateActiveScreen = updateActiveScreen;
}

void CXMLStartTestNodeData::GetXMLText(CBstrString& text)
{
    bool isTest = m_type == kTestDocumentType;

    CBstrString typePiece;
    if (!isTest) {
        CXmlSafeText type(m_type, XmlPlace::Attribute);
        typePiece = FormatPiece(kDocType, type.c_str());
    }
    CXmlSafeText product(m_productName, XmlPlace::Attribute);
    CBstrString productPiece = FormatPiece(kDocProductName, product.c_str());
    CBstrString iterationPiece;
    if (m_componentIteration > 0)
        iterationPiece = FormatPiece(kDocComponentIteration, static_cast<int>(m_componentIteration));
    CBstrString attributes = FormatPiece(kDocAttributes, static_cast<int>(m_rID), typePiece.c_str(),
                                         productPiece.c_str(), iterationPiece.c_str());

    CBstrString nameElement = CDataElement(kDName, m_name);
    CBstrString resultElement = CDataElement(kRes, m_resultName);
    CBstrString identity;
    if (isTest)
        identity = RunIdentityElements(m_identity);

    CBstrString runType;
    if (m_fromStep || m_batch || m_updateDescriptions || m_updateCheckpoints || m_updateActiveScreen)
        runType = FormatPiece(kRunType, m_fromStep ? kRunTypeFromStep : W(""), m_batch ? kRunTypeBatch : W(""),
                              m_updateDescriptions ? kRunTypeUpdateDescriptions : W(""),
                              m_updateCheckpoints ? kRunTypeUpdateCheckpoints : W(""),
                              m_updateActiveScreen ? kRunTypeUpdateActiveScreen : W(""));

    text.Format(kDocStart, attributes.c_str(), nameElement.c_str(), resultElement.c_str(), identity.c_str(),
                runType.c_str());
}
