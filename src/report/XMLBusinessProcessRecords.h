// The records of a business process (the BPT element): its start, written
// with its node arguments at once, and its end.
#pragma once

#include "report/ProductLevel.h"
#include "report/RunIdentity.h"
#include "report/XMLNodeDataBase.h"

class CXMLStartBPTNodeData : public CXMLNodeDataBase {
public:
    CXMLStartBPTNodeData(LONG recordId, CBstrString name, CBstrString resultName, RunIdentity identity,
                         ProductLevel level = ProductLevel::Current) noexcept;
    void GetXMLText(CXmlOutput& out) override;
    NodeArgsData* GetNodeArgs() override { return &m_nodeArgs; }

private:
    CBstrString m_name;
    CBstrString m_resultName;
    RunIdentity m_identity;
    NodeArgsData m_nodeArgs;
};

// "</BPT>", with no line end.
class CXMLEndBPTNodeData : public CXMLNodeDataBase {
public:
    void GetXMLText(CXmlOutput& out) override;
};
