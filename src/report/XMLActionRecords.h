// The records of an action (the Action element) and of its iterations (AIter).
#pragma once

#include "report/ProductLevel.h"
#include "report/XMLNodeDataBase.h"

// Action start: identifier and the action's name.
class CXMLStartActionNodeData : public CXMLNodeDataBase {
public:
    CXMLStartActionNodeData(LONG recordId, CBstrString name) noexcept
        : CXMLNodeDataBase(recordId), m_name(std::move(name))
    {
    }
    void GetXMLText(CXmlOutput& out) override;

private:
    CBstrString m_name;
};

// Action end: summary, node arguments, "</Action>".
class CXMLEndActionNodeData : public CXMLNodeEndData {
public:
    explicit CXMLEndActionNodeData(ProductLevel level = ProductLevel::Current) noexcept
        : CXMLNodeEndData("</Action>\r\n", true, level)
    {
    }
};

// AIter start: identifier and iteration number.
class CXMLStartActionIterNodeData : public CXMLIterationStartNodeData {
public:
    CXMLStartActionIterNodeData(LONG recordId, LONG iteration) noexcept
        : CXMLIterationStartNodeData("<AIter rID=\"T", recordId, iteration)
    {
    }
};

// AIter end: summary, node arguments, "</AIter>".
class CXMLEndActionIterNodeData : public CXMLNodeEndData {
public:
    explicit CXMLEndActionIterNodeData(ProductLevel level = ProductLevel::Current) noexcept
        : CXMLNodeEndData("</AIter>\r\n", true, level)
    {
    }
};
