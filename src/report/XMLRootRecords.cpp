#include "report/XMLRootRecords.h"

#include "report/ResultsPrologue.h"
#include "report/ResultsTemplates.h"
#include "report/XmlSyntax.h"

void CXMLStartRootNodeData::GetXMLText(CBstrString& text)
{
    text.Empty();
    if (m_append)
        return;
    CBstrString zone(m_zoneName);
    if (!m_zoneGiven)
        GetTimeZoneName(zone);
    if (m_level == ProductLevel::Earlier) {
        CBstrString path;
        CBstrString declaration;
        if (GetExternalDeclarationPath(path) && ReadDeclarationFile(path.c_str(), declaration) &&
            IsWellFormedXmlProlog(declaration.c_str())) {
            BuildResultsPrologueWith(declaration.c_str(), zone.c_str(), text);
            return;
        }
    }
    BuildResultsPrologue(m_level, zone.c_str(), text);
}

void CXMLEndRootNodeData::GetXMLText(CBstrString& text) { text = results_xml::kReportEnd; }

void CXMLExitReport::GetXMLText(CBstrString& text) { text.Empty(); }
