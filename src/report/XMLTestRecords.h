// The records of a test or business component (the Doc element) and of its
// iterations (DIter).
#pragma once

#include "report/ProductLevel.h"
#include "report/RunIdentity.h"
#include "report/XMLNodeDataBase.h"

// Doc start: identifier, type, product name and component iteration, the
// name and result name, the test-management texts (for a "Test" only) and
// the run-type flags.
class CXMLStartTestNodeData : public CXMLNodeDataBase {
public:
    CXMLStartTestNodeData(LONG recordId, CBstrString name, CBstrString resultName, CBstrString productName,
                          CBstrString type, RunIdentity identity, LONG componentIteration) noexcept;
    void SetRunType(bool fromStep, bool batch, bool updateDescriptions, bool updateCheckpoints,
                    bool updateActiveScreen) noexcept;
    void GetXMLText(CXmlOutput& out) override;

private:
    CBstrString m_name;
    CBstrString m_resultName;
    CBstrString m_type;
    RunIdentity m_identity;
    CBstrString m_productName;
    LONG m_componentIteration;
    bool m_fromStep = false;
    bool m_batch = false;
    bool m_updateDescriptions = false;
    bool m_updateCheckpoints = false;
    bool m_updateActiveScreen = false;
};

// Doc end: summary, node arguments, "</Doc>".
using CXMLEndTestNodeData = CXMLScopeEndNodeData<ScopeElement::Doc>;
// DIter start: identifier and iteration number.
using CXMLStartTestIterNodeData = CXMLIterationElementStartNodeData<ScopeElement::DIter>;
// DIter end: summary, node arguments, "</DIter>".
using CXMLEndTestIterNodeData = CXMLScopeEndNodeData<ScopeElement::DIter>;
