#include "report/XMLStepRecords.h"

#include <cstdint>

namespace {

// The tick is written as the low 32 bits of its value, signed.
int LowTickBits(LONGLONG tick) { return static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(tick))); }

} // namespace

CXMLStartRegularPlainNodeData::CXMLStartRegularPlainNodeData(LONG recordId, CBstrString details, CBstrString timeText,
                                                             CBstrString returnValue, CBstrString objectText,
                                                             bool objectIsPlain, bool detailsArePlain,
                                                             LONGLONG timeTick, ProductLevel level) noexcept
    : CXMLNodeDataBase(recordId),
      m_details(std::move(details)),
      m_timeText(std::move(timeText)),
      m_returnValue(std::move(returnValue)),
      m_objectText(std::move(objectText)),
      m_objectIsPlain(objectIsPlain),
      m_detailsArePlain(detailsArePlain),
      m_timeTick(level == ProductLevel::Current ? timeTick : 0),
      m_level(level)
{
}

void CXMLStartRegularPlainNodeData::GetXMLText(CXmlOutput& out)
{
    // "<Step rID=\"T%d\"%s>\r\n<Obj %s><![CDATA[%s]]></Obj>\r\n<Details %s><![CDATA[%s]]></Details>\r\n"
    // "<Time><![CDATA[%s]]></Time>\r\n", then at the current level the time
    // tick; the object and details texts never end their sections early
    // ("]]>" is written "]]_").
    out.Put("<Step rID=\"T").Number(m_rID).Put("\"");
    if (!m_returnValue.IsEmpty())
        out.Put(" retval=\"").Attribute(m_returnValue).Put("\"");
    out.Put(">\r\n<Obj ");
    if (!m_objectIsPlain)
        out.Put("plainTxt=\"False\" ");
    out.Put("><![CDATA[").StepCData(m_objectText).Put("]]></Obj>\r\n<Details ");
    if (!m_detailsArePlain)
        out.Put("plainTxt=\"False\" ");
    out.Put("><![CDATA[").StepCData(m_details).Put("]]></Details>\r\n<Time><![CDATA[").CData(m_timeText);
    out.Put("]]></Time>\r\n");
    if (m_level == ProductLevel::Current)
        out.Put("<TimeTick>").Number(LowTickBits(m_timeTick)).Put("</TimeTick>\r\n");
}

CXMLEndRegularPlainNodeData::CXMLEndRegularPlainNodeData(ProductLevel level) noexcept
    : CXMLNodeEndData("</Step>\r\n", false, level)
{
}

void CXMLStartHtmlNodeData::GetXMLText(CXmlOutput& out)
{
    // "<HtmlStep rID=\"T%d\">\r\n<HTML><![CDATA[%s]]></HTML>\r\n" and the time tick.
    out.Put("<HtmlStep rID=\"T").Number(m_rID).Put("\">\r\n<HTML><![CDATA[").CData(m_html).Put("]]></HTML>\r\n");
    if (m_level == ProductLevel::Current)
        out.Put("<TimeTick>").Number(LowTickBits(m_timeTick)).Put("</TimeTick>\r\n");
}

CXMLEndHtmlNodeData::CXMLEndHtmlNodeData(ProductLevel level) noexcept
    : CXMLNodeEndData("</HtmlStep>\r\n", false, level)
{
}

void CXMLDataTableNodeData::GetXMLText(CXmlOutput& out)
{
    // "<DT rID=\"T%d\">\r\n%s</DT>\r\n" with the node arguments.
    out.Put("<DT rID=\"T").Number(m_rID).Put("\">\r\n");
    m_nodeArgs.Write(out);
    out.Put("</DT>\r\n");
}
