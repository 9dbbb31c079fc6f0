// The records of run-wide information: the General element (the run header)
// and an AdditionalInfo element.
#pragma once

#include "report/ProductLevel.h"
#include "report/XMLNodeDataBase.h"

// General: product, version, operating-system name, host, and the
// test-management server and project when a server is given (never at the
// earlier level), with the test location as DocLocation.
class CXMLGeneralNodeData : public CXMLNodeDataBase {
public:
    CXMLGeneralNodeData(CBstrString productName, CBstrString productVersion, CBstrString osName,
                        CBstrString testLocation, CBstrString host, CBstrString server, CBstrString project,
                        ProductLevel level = ProductLevel::Current) noexcept;
    void GetXMLText(CXmlOutput& out) override;

private:
    CBstrString m_productName;
    CBstrString m_productVersion;
    CBstrString m_osName;
    CBstrString m_testLocation;
    CBstrString m_host;
    CBstrString m_server;
    CBstrString m_project;
    ProductLevel m_level;
};

// AdditionalInfo: a name and a value.
class CXMLAdditionalNodeData : public CXMLNodeDataBase {
public:
    CXMLAdditionalNodeData(CBstrString name, CBstrString value) noexcept
        : m_name(std::move(name)), m_value(std::move(value))
    {
    }
    void GetXMLText(CXmlOutput& out) override;

private:
    CBstrString m_name;
    CBstrString m_value;
};
