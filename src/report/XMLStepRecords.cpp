#include "report/XMLStepRecords.h"

#include <cstdint>

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"
#include "report/XmlText.h"

using namespace results_xml;

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

void CXMLStartRegularPlainNodeData::GetXMLText(CBstrString& text)
{
    // The object and details texts never end their CDATA sections early.
    m_objectText.Replace(kCDataEnd, kCDataEndReplacement);
    m_details.Replace(kCDataEnd, kCDataEndReplacement);

    CBstrString returnPiece;
    if (!m_returnValue.IsEmpty()) {
        CXmlSafeText safe(m_returnValue, XmlPlace::Attribute);
        returnPiece = FormatPiece(kStepReturnValue, safe.c_str());
    }
    CXmlSafeText objectText(m_objectText, XmlPlace::CData);
    CXmlSafeText details(m_details, XmlPlace::CData);
    CXmlSafeText timeText(m_timeText, XmlPlace::CData);
    text.Format(kStepStart, static_cast<int>(m_rID), returnPiece.c_str(), m_objectIsPlain ? W("") : kNotPlainText,
                objectText.c_str(), m_detailsArePlain ? W("") : kNotPlainText, details.c_str(), timeText.c_str());
    if (m_level == ProductLevel::Current)
        text += FormatPiece(kTimeTick, LowTickBits(m_timeTick));
}

CXMLEndRegularPlainNodeData::CXMLEndRegularPlainNodeData(ProductLevel level) noexcept
    : CXMLNodeEndData(kStepEnd, false, level)
{
}

void CXMLStartHtmlNodeData::GetXMLText(CBstrString& text)
{
    CXmlSafeText html(m_html, XmlPlace::CData);
    text.Format(kHtmlStepStart, static_cast<int>(m_rID), html.c_str());
    if (m_level == ProductLevel::Current)
        text += FormatPiece(kTimeTick, LowTickBits(m_timeTick));
}

CXMLEndHtmlNodeData::CXMLEndHtmlNodeData(ProductLevel level) noexcept
    : CXMLNodeEndData(kHtmlStepEnd, false, level)
{
}

void CXMLDataTableNodeData::GetXMLText(CBstrString& text)
{
    CBstrString nodeArgs;
    m_nodeArgs.GetXMLText(nodeArgs);
    text.Format(kDataTable, static_cast<int>(m_rID), nodeArgs.c_str());
}
