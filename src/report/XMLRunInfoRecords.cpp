#include "report/XMLRunInfoRecords.h"

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"
#include "report/XmlText.h"

using namespace results_xml;

CXMLGeneralNodeData::CXMLGeneralNodeData(CBstrString productName, CBstrString productVersion, CBstrString osName,
                                         CBstrString testLocation, CBstrString host, CBstrString server,
                                         CBstrString project, ProductLevel level) noexcept
    : m_productName(std::move(productName)),
      m_productVersion(std::move(productVersion)),
      m_osName(std::move(osName)),
      m_testLocation(std::move(testLocation)),
      m_host(std::move(host)),
      m_level(level)
{
    // The earlier level has no test-management server or project.
    if (level == ProductLevel::Current) {
        m_server = std::move(server);
        m_project = std::move(project);
    }
}

void CXMLGeneralNodeData::GetXMLText(CBstrString& text)
{
    CXmlSafeText product(m_productName, XmlPlace::Attribute);
    CXmlSafeText version(m_productVersion, XmlPlace::Attribute);
    CXmlSafeText os(m_osName, XmlPlace::Attribute);
    CXmlSafeText host(m_host, XmlPlace::Attribute);
    CBstrString attributes = FormatPiece(kGeneralAttributes, product.c_str(), version.c_str(), os.c_str(), host.c_str());
    if (m_level == ProductLevel::Current && !m_server.IsEmpty()) {
        CXmlSafeText server(m_server, XmlPlace::Attribute);
        CXmlSafeText project(m_project, XmlPlace::Attribute);
        attributes += FormatPiece(kGeneralVaultAttributes, server.c_str(), project.c_str());
    }
    CXmlSafeText location(m_testLocation, XmlPlace::CData);
    CBstrString docLocation = FormatPiece(kDocLocation, location.c_str());
    text.Format(kGeneral, attributes.c_str(), docLocation.c_str());
}

void CXMLAdditionalNodeData::GetXMLText(CBstrString& text)
{
    CXmlSafeText name(m_name, XmlPlace::CData);
    CXmlSafeText value(m_value, XmlPlace::CData);
    text.Format(kAdditionalInfo, name.c_str(), value.c_str());
}
