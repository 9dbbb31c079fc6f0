// A node record: one piece of Results.xml waiting to be written, holding the
// values of one element half (a start tag with its leading children, or a
// summary, node arguments and end tag). Records are built and completed on
// the logging thread, then owned by the writer's queue; the writer thread asks
// each for its text once and deletes it.
#pragma once

#include "report/NodeArgsData.h"
#include "report/ProductLevel.h"
#include "report/SummaryData.h"
#include "text/BstrString.h"

class CXMLNodeDataBase {
public:
    explicit CXMLNodeDataBase(LONG recordId = -1) noexcept : m_rID(recordId) {}
    virtual ~CXMLNodeDataBase() = default;
    CXMLNodeDataBase(const CXMLNodeDataBase&) = delete;
    CXMLNodeDataBase& operator=(const CXMLNodeDataBase&) = delete;

    // Builds the record's text into text, replacing its content.
    virtual void GetXMLText(CBstrString& text) = 0;
    // True for the records after which the writer thread ends.
    virtual bool IsExitRecord() const { return false; }
    // The record's node arguments, for completion; null when it has none.
    virtual NodeArgsData* GetNodeArgs() { return nullptr; }
    // The record's summary, for completion; null when it has none.
    virtual SummaryData* GetSummary() { return nullptr; }
    // The bytes of the large texts the record holds besides its node
    // arguments and summary (a step's details, HTML...), for the writer's
    // queue limit.
    virtual size_t PayloadBytes() const { return 0; }

    // The element's rID number; -1 for a record that carries none.
    LONG RecordId() const noexcept { return m_rID; }

protected:
    LONG m_rID;
};

// The end of a node: for a test, an action or one of their iterations the
// summary first, then the node arguments, then the end tag. endTemplate is a
// fixed template that outlives the record: "%s%s</X>\r\n" with a summary,
// "%s</X>\r\n" without.
class CXMLNodeEndData : public CXMLNodeDataBase {
public:
    CXMLNodeEndData(const WCHAR* endTemplate, bool withSummary, ProductLevel level) noexcept
        : m_endTemplate(endTemplate), m_withSummary(withSummary), m_nodeArgs(level)
    {
    }
    void GetXMLText(CBstrString& text) override;
    NodeArgsData* GetNodeArgs() override { return &m_nodeArgs; }
    SummaryData* GetSummary() override { return m_withSummary ? &m_summary : nullptr; }

private:
    const WCHAR* m_endTemplate;
    bool m_withSummary;
    NodeArgsData m_nodeArgs;
    SummaryData m_summary;
};

// The start of a test's or an action's iteration: identifier and iteration
// number (startTemplate is a fixed template that outlives the record).
class CXMLIterationStartNodeData : public CXMLNodeDataBase {
public:
    CXMLIterationStartNodeData(const WCHAR* startTemplate, LONG recordId, LONG iteration) noexcept
        : CXMLNodeDataBase(recordId), m_startTemplate(startTemplate), m_iteration(iteration)
    {
    }
    void GetXMLText(CBstrString& text) override;

private:
    const WCHAR* m_startTemplate;
    LONG m_iteration;
};
