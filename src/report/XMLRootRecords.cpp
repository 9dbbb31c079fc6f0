#include "report/XMLRootRecords.h"

#include "report/ResultsPrologue.h"
#include "report/XmlSyntax.h"

void CXMLStartRootNodeData::GetXMLText(CXmlOutput& out)
{
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
            CBstrString text;
            BuildResultsPrologueWith(declaration.c_str(), zone.c_str(), text);
            out.Encoded(text.c_str());
            return;
        }
    }
    CBstrString text;
    BuildResultsPrologue(m_level, zone.c_str(), text);
    out.Encoded(text.c_str());
}

void CXMLEndRootNodeData::GetXMLText(CXmlOutput& out) { out.Put("</Report>"); }

void CXMLExitReport::GetXMLText(CXmlOutput&) {}
