// The records of a business process (the BPT element): its start, written
// with its node arguments at once, and its end.
#pragma once

#include "report/ProductLevel.h"
#include "report/XMLNodeDataBase.h"

class CXMLStartBPTNodeData : public CXMLNodeDataBase {
public:
    CXMLStartBPTNodeData(LONG recordId, CBstrString name, CBstrString resultName, CBstrString testSet,
                         CBstrString testInstance, CBstrString version,
                         ProductLevel level = ProductLevel::Current) noexcept;
    void GetXMLText(CBstrString& text) override;
    NodeArgsData* GetNodeArgs() override { return &m_nodeArgs; }

private:
    CBstrString m_name;
    CBstrString m_resultName;
    CBstrString m_testSet;
    CBstrString m_testInstance;
    CBstrString m_version;
    NodeArgsData m_nodeArgs;
};

// "</BPT>", with no line end.
class CXMLEndBPTNodeData : public CXMLNodeDataBase {
public:
    void GetXMLText(CBstrString& text) override;
};
