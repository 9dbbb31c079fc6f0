// A node record: one piece of Results.xml waiting to be written, holding the
// values of one element half (a start tag with its leading children, or a
// summary, node arguments and end tag). Records are built and completed on
// the logging thread, then owned by the writer's queue; the writer thread asks
// each for its text once and deletes it.
#pragma once

#include "report/NodeArgsData.h"
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

    // The element's rID number; -1 for a record that carries none.
    LONG RecordId() const noexcept { return m_rID; }

protected:
    LONG m_rID;
};

// The end text of a test, an action or one of their iterations: the summary,
// the node arguments, then the end tag (endTemplate is "%s%s</X>\r\n").
void BuildScopeEndText(const WCHAR* endTemplate, const SummaryData& summary, const NodeArgsData& nodeArgs,
                       CBstrString& text) noexcept;
