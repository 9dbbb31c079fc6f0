// The elements of Results.xml that stay open across records, and what writing
// a record does to them. The writer keeps the list of the elements open in the
// file (the record factory says, with each record, which element it opens or
// closes), so that a run cut short (a full disk answered Cancel) can still
// end the file well-formed: it writes the closing text of each open element,
// innermost first.
#pragma once

#include <string>
#include <vector>

#include "report/ReportRecordKind.h"

enum class ReportElement : unsigned char {
    Report,
    BusinessProcess,
    Test,
    TestIteration,
    Action,
    ActionIteration,
    Step,
    HtmlStep,
};

// What a record does to the open elements when it is written.
struct RecordEffect {
    enum Kind : unsigned char { None, Opens, Closes };
    Kind kind = None;
    ReportElement element = ReportElement::Report; // the element opened

    static RecordEffect Opening(ReportElement element) { return RecordEffect{Opens, element}; }
    static RecordEffect Closing() { return RecordEffect{Closes, ReportElement::Report}; }
};

// The elements open in a file, outermost first.
typedef std::vector<ReportElement> OpenElements;

// The element that a node's end kind (xrkEndTest, ... xrkEndHtmlStep) closes.
ReportElement ElementEndedBy(ReportRecordKind endKind) noexcept;

// The UTF-8 text that ends the open elements, innermost first, as the end of
// a run that was cut short ends them: a test or an action gets a summary that
// marks it as not completed (stopped), every element its end tag, without
// node arguments (their values are lost with the records that were not
// written):
//   Step, HtmlStep     "</Step>\r\n", "</HtmlStep>\r\n"
//   DIter, AIter       "</DIter>\r\n", "</AIter>\r\n"
//   Doc, Action        "<Summary stopped=\"True\" ></Summary>\r\n</Doc>\r\n"
//   BPT, Report        "</BPT>", "</Report>"
std::string ClosingText(const OpenElements& open);
