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
using CXMLEndActionNodeData = CXMLScopeEndNodeData<ScopeElement::Action>;
// AIter start: identifier and iteration number.
using CXMLStartActionIterNodeData = CXMLIterationElementStartNodeData<ScopeElement::AIter>;
// AIter end: summary, node arguments, "</AIter>".
using CXMLEndActionIterNodeData = CXMLScopeEndNodeData<ScopeElement::AIter>;
