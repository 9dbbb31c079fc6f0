// A node record: one piece of Results.xml waiting to be written, holding the
// values of one element half (a start tag with its leading children, or a
// summary, node arguments and end tag). Records are built and completed on
// the logging thread, then owned by the writer's queue; the writer thread asks
// each for its text once, which the record writes straight into the writer's
// output as UTF-8, and deletes it.
#pragma once

#include "report/NodeArgsData.h"
#include "report/ProductLevel.h"
#include "report/SummaryData.h"
#include "report/XmlOutput.h"
#include "text/BstrString.h"

class CXMLNodeDataBase {
public:
    explicit CXMLNodeDataBase(LONG recordId = -1) noexcept : m_rID(recordId) {}
    virtual ~CXMLNodeDataBase() = default;
    CXMLNodeDataBase(const CXMLNodeDataBase&) = delete;
    CXMLNodeDataBase& operator=(const CXMLNodeDataBase&) = delete;

    // Appends the record's text to out (std::bad_alloc when out cannot grow:
    // what was written so far stays).
    virtual void GetXMLText(CXmlOutput& out) = 0;
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
// summary first, then the node arguments, then the end tag. endTag is fixed
// markup that outlives the record ("</X>\r\n").
class CXMLNodeEndData : public CXMLNodeDataBase {
public:
    CXMLNodeEndData(const char* endTag, bool withSummary, ProductLevel level) noexcept
        : m_endTag(endTag), m_withSummary(withSummary), m_nodeArgs(level)
    {
    }
    void GetXMLText(CXmlOutput& out) override;
    NodeArgsData* GetNodeArgs() override { return &m_nodeArgs; }
    SummaryData* GetSummary() override { return m_withSummary ? &m_summary : nullptr; }

private:
    const char* m_endTag;
    bool m_withSummary;
    NodeArgsData m_nodeArgs;
    SummaryData m_summary;
};

// The start of a test's or an action's iteration: identifier and iteration
// number. startTag is fixed markup that outlives the record ("<X rID=\"T").
class CXMLIterationStartNodeData : public CXMLNodeDataBase {
public:
    CXMLIterationStartNodeData(const char* startTag, LONG recordId, LONG iteration) noexcept
        : CXMLNodeDataBase(recordId), m_startTag(startTag), m_iteration(iteration)
    {
    }
    void GetXMLText(CXmlOutput& out) override;

private:
    const char* m_startTag;
    LONG m_iteration;
};

// The elements of the scopes that have iterations: a test (Doc) and its
// iterations (DIter), an action (Action) and its iterations (AIter).
enum class ScopeElement { Doc, DIter, Action, AIter };

constexpr const char* ScopeEndTag(ScopeElement element)
{
    switch (element) {
    case ScopeElement::Doc: return "</Doc>\r\n";
    case ScopeElement::DIter: return "</DIter>\r\n";
    case ScopeElement::Action: return "</Action>\r\n";
    default: return "</AIter>\r\n";
    }
}

// The end of a scope's element: summary, node arguments, end tag.
template <ScopeElement Element>
class CXMLScopeEndNodeData : public CXMLNodeEndData {
public:
    explicit CXMLScopeEndNodeData(ProductLevel level = ProductLevel::Current) noexcept
        : CXMLNodeEndData(ScopeEndTag(Element), true, level)
    {
    }
};

// The start of an iteration's element (DIter or AIter): identifier and
// iteration number.
template <ScopeElement Element>
class CXMLIterationElementStartNodeData : public CXMLIterationStartNodeData {
public:
    static_assert(Element == ScopeElement::DIter || Element == ScopeElement::AIter, "an iteration's element");
    CXMLIterationElementStartNodeData(LONG recordId, LONG iteration) noexcept
        : CXMLIterationStartNodeData(Element == ScopeElement::DIter ? "<DIter rID=\"T" : "<AIter rID=\"T",
                                     recordId, iteration)
    {
    }
};
