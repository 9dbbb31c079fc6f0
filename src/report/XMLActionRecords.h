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
    void GetXMLText(CBstrString& text) override;

private:
    CBstrString m_name;
};

// Action end: summary, node arguments, "</Action>".
class CXMLEndActionNodeData : public CXMLNodeDataBase {
public:
    explicit CXMLEndActionNodeData(ProductLevel level = ProductLevel::Current) noexcept : m_nodeArgs(level) {}
    void GetXMLText(CBstrString& text) override;
    NodeArgsData* GetNodeArgs() override { return &m_nodeArgs; }
    SummaryData* GetSummary() override { return &m_summary; }

private:
    NodeArgsData m_nodeArgs;
    SummaryData m_summary;
};

// AIter start: identifier and iteration number.
class CXMLStartActionIterNodeData : public CXMLNodeDataBase {
public:
    CXMLStartActionIterNodeData(LONG recordId, LONG iteration) noexcept
        : CXMLNodeDataBase(recordId), m_iteration(iteration)
    {
    }
    void GetXMLText(CBstrString& text) override;

private:
    LONG m_iteration;
};

// AIter end: summary, node arguments, "</AIter>".
class CXMLEndActionIterNodeData : public CXMLNodeDataBase {
public:
    explicit CXMLEndActionIterNodeData(ProductLevel level = ProductLevel::Current) noexcept : m_nodeArgs(level) {}
    void GetXMLText(CBstrString& text) override;
    NodeArgsData* GetNodeArgs() override { return &m_nodeArgs; }
    SummaryData* GetSummary() override { return &m_summary; }

private:
    NodeArgsData m_nodeArgs;
    SummaryData m_summary;
};
