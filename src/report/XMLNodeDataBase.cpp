#include "report/XMLNodeDataBase.h"

void BuildScopeEndText(const WCHAR* endTemplate, const SummaryData& summary, const NodeArgsData& nodeArgs,
                       CBstrString& text) noexcept
{
    CBstrString summaryText;
    CBstrString nodeArgsText;
    summary.GetXMLText(summaryText);
    nodeArgs.GetXMLText(nodeArgsText);
    text.Format(endTemplate, summaryText.c_str(), nodeArgsText.c_str());
}
