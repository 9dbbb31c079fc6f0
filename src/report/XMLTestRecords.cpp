#include "report/XMLTestRecords.h"


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

void CXMLStartTestNodeData::GetXMLText(CXmlOutput& out)
{
    const bool isTest = m_type == W("Test");
    // "<Doc%s>\r\n%s%s%s%s" with the attributes " rID=\"T%d\" %s %s %s" (the
    // pieces " type= \"%s\" " unless a "Test", " productName= \"%s\" ",
    // " BCIter= \"%d\" " when positive), DName, Res, the identity (a "Test"
    // only) and RunType.
    out.Put("<Doc rID=\"T").Number(m_rID).Put("\" ");
    if (!isTest)
        out.Put(" type= \"").Attribute(m_type).Put("\" ");
    out.Put("  productName= \"").Attribute(m_productName).Put("\"  ");
    if (m_componentIteration > 0)
        out.Put(" BCIter= \"").Number(m_componentIteration).Put("\" ");
    out.Put(">\r\n<DName><![CDATA[").CData(m_name).Put("]]></DName>\r\n<Res><![CDATA[").CData(m_resultName);
    out.Put("]]></Res>\r\n");
    if (isTest)
        WriteRunIdentity(m_identity, out);
    if (m_fromStep || m_batch || m_updateDescriptions || m_updateCheckpoints || m_updateActiveScreen) {
        out.Put("<RunType ");
        if (m_fromStep)
            out.Put("fmStep=\"True\" ");
        if (m_batch)
            out.Put("batch=\"True\" ");
        if (m_updateDescriptions)
            out.Put("upDesc=\"True\" ");
        if (m_updateCheckpoints)
            out.Put("upChk=\"True\" ");
        if (m_updateActiveScreen)
            out.Put("upAS=\"True\" ");
        out.Put("/>");
    }
}
