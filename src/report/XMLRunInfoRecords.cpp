#include "report/XMLRunInfoRecords.h"


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

void CXMLGeneralNodeData::GetXMLText(CXmlOutput& out)
{
    // "<General%s>%s</General>\r\n": the attributes (the vault ones only with
    // a server), then "<DocLocation><![CDATA[%s]]></DocLocation>".
    out.Put("<General productName=\"").Attribute(m_productName).Put("\" productVer=\"").Attribute(m_productVersion);
    out.Put("\" os=\"").Attribute(m_osName).Put("\" host=\"").Attribute(m_host).Put("\"");
    if (m_level == ProductLevel::Current && !m_server.IsEmpty())
        out.Put(" vaultserver=\"").Attribute(m_server).Put("\" vaultproject=\"").Attribute(m_project).Put("\"");
    out.Put("><DocLocation><![CDATA[").CData(m_testLocation).Put("]]></DocLocation></General>\r\n");
}

void CXMLAdditionalNodeData::GetXMLText(CXmlOutput& out)
{
    out.Put("<AdditionalInfo>\r\n<AdditionalDataName><![CDATA[").CData(m_name);
    out.Put("]]></AdditionalDataName>\r\n<AdditionalDataValue><![CDATA[").CData(m_value);
    out.Put("]]></AdditionalDataValue>\r\n</AdditionalInfo>\r\n");
}
