#include "report/ReportElement.h"

namespace {

const char* ClosingOf(ReportElement element)
{
    switch (element) {
    case ReportElement::Report: return "</Report>";
    case ReportElement::BusinessProcess: return "</BPT>";
    case ReportElement::Test: return "<Summary stopped=\"True\" ></Summary>\r\n</Doc>\r\n";
    case ReportElement::TestIteration: return "</DIter>\r\n";
    case ReportElement::Action: return "<Summary stopped=\"True\" ></Summary>\r\n</Action>\r\n";
    case ReportElement::ActionIteration: return "</AIter>\r\n";
    case ReportElement::Step: return "</Step>\r\n";
    case ReportElement::HtmlStep: return "</HtmlStep>\r\n";
    }
    return "";
}

} // namespace

ReportElement ElementEndedBy(ReportRecordKind endKind) noexcept
{
    switch (endKind) {
    case xrkEndTest: return ReportElement::Test;
    case xrkEndTestIter: return ReportElement::TestIteration;
    case xrkEndAction: return ReportElement::Action;
    case xrkEndActionIter: return ReportElement::ActionIteration;
    case xrkEndHtmlStep: return ReportElement::HtmlStep;
    default: return ReportElement::Step;
    }
}

std::string ClosingText(const OpenElements& open)
{
    std::string text;
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        text += ClosingOf(*it);
    return text;
}
