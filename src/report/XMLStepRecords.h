// The records of steps: a plain step (Step), a step with an HTML text
// (HtmlStep), their ends, and a data-table node (DT), written whole.
#pragma once

#include "report/ProductLevel.h"
#include "report/XMLNodeDataBase.h"

// Step start: identifier, return value, object and details texts (each with
// its plain-text flag), time text and, at the current level, the time tick.
class CXMLStartRegularPlainNodeData : public CXMLNodeDataBase {
public:
    CXMLStartRegularPlainNodeData(LONG recordId, CBstrString details, CBstrString timeText, CBstrString returnValue,
                                  CBstrString objectText, bool objectIsPlain, bool detailsArePlain,
                                  LONGLONG timeTick, ProductLevel level = ProductLevel::Current) noexcept;
    void GetXMLText(CXmlOutput& out) override;
    size_t PayloadBytes() const override
    {
        return (m_details.Length() + m_timeText.Length() + m_returnValue.Length() + m_objectText.Length()) *
               sizeof(WCHAR);
    }

private:
    CBstrString m_details;
    CBstrString m_timeText;
    CBstrString m_returnValue;
    CBstrString m_objectText;
    bool m_objectIsPlain;
    bool m_detailsArePlain;
    LONGLONG m_timeTick;
    ProductLevel m_level;
};

// Step end: node arguments, "</Step>".
class CXMLEndRegularPlainNodeData : public CXMLNodeEndData {
public:
    explicit CXMLEndRegularPlainNodeData(ProductLevel level = ProductLevel::Current) noexcept;
};

// HtmlStep start: identifier, HTML text and, at the current level, the time tick.
class CXMLStartHtmlNodeData : public CXMLNodeDataBase {
public:
    CXMLStartHtmlNodeData(LONG recordId, CBstrString html, LONGLONG timeTick,
                          ProductLevel level = ProductLevel::Current) noexcept
        : CXMLNodeDataBase(recordId), m_html(std::move(html)), m_timeTick(timeTick), m_level(level)
    {
    }
    void GetXMLText(CXmlOutput& out) override;
    size_t PayloadBytes() const override { return m_html.Length() * sizeof(WCHAR); }

private:
    CBstrString m_html;
    LONGLONG m_timeTick;
    ProductLevel m_level;
};

// HtmlStep end: node arguments, "</HtmlStep>".
class CXMLEndHtmlNodeData : public CXMLNodeEndData {
public:
    explicit CXMLEndHtmlNodeData(ProductLevel level = ProductLevel::Current) noexcept;
};

// DT: identifier and node arguments, start and end at once.
class CXMLDataTableNodeData : public CXMLNodeDataBase {
public:
    explicit CXMLDataTableNodeData(LONG recordId, ProductLevel level = ProductLevel::Current) noexcept
        : CXMLNodeDataBase(recordId), m_nodeArgs(level)
    {
    }
    void GetXMLText(CXmlOutput& out) override;
    NodeArgsData* GetNodeArgs() override { return &m_nodeArgs; }

private:
    NodeArgsData m_nodeArgs;
};
