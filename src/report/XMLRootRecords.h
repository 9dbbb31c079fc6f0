// The records of the document's root: its start (the prologue), its end, and
// the exit record that ends the writer without writing anything.
#pragma once

#include "report/ProductLevel.h"
#include "report/XMLNodeDataBase.h"

// The prologue and the Report start tag; nothing when the run appends to an
// earlier report. The time zone is read when the text is built, unless it was
// given when the record was made. At the
// earlier level a declaration file "external.dtd" beside the host executable
// replaces the built-in declaration when it can be read and is a well-formed
// declaration.
class CXMLStartRootNodeData : public CXMLNodeDataBase {
public:
    explicit CXMLStartRootNodeData(bool append, ProductLevel level = ProductLevel::Current) noexcept
        : m_append(append), m_level(level)
    {
    }
    // With the time-zone name read already (by the record factory, on the
    // logging thread: the POSIX platform layer's time-zone functions must not
    // run on two threads at once).
    CXMLStartRootNodeData(bool append, ProductLevel level, CBstrString timeZoneName) noexcept
        : m_append(append), m_level(level), m_zoneGiven(true), m_zoneName(std::move(timeZoneName))
    {
    }
    void GetXMLText(CXmlOutput& out) override;

private:
    bool m_append;
    ProductLevel m_level;
    bool m_zoneGiven = false;
    CBstrString m_zoneName;
};

// "</Report>"; the writer ends after it.
class CXMLEndRootNodeData : public CXMLNodeDataBase {
public:
    void GetXMLText(CXmlOutput& out) override;
    bool IsExitRecord() const override { return true; }
};

// No text; the writer ends after it.
class CXMLExitReport : public CXMLNodeDataBase {
public:
    void GetXMLText(CXmlOutput& out) override;
    bool IsExitRecord() const override { return true; }
};
