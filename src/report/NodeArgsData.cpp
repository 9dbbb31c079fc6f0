#include "report/NodeArgsData.h"

#include "report/ResultsTemplates.h"
#include "report/XmlPieces.h"
#include "report/XmlText.h"

using namespace results_xml;

HRESULT NodeArgsData::SetNodeArgs(const WCHAR* eventType, const WCHAR* display, const WCHAR* iconText,
                                  const WCHAR* eventIdText, const WCHAR* statusName, const WCHAR* nodeTypeText,
                                  const WCHAR* selectedIconText, const WCHAR* filterText,
                                  const WCHAR* movieMarkerText, const WCHAR* sourceText,
                                  const WCHAR* sourceLineText) noexcept
{
    return AllCopied({
        CopyText(eType, eventType),         CopyText(disp, display),
        CopyText(icon, iconText),           CopyText(nRep, eventIdText),
        CopyText(status, statusName),       CopyText(nType, nodeTypeText),
        CopyText(iconSel, selectedIconText), CopyText(filter, filterText),
        CopyText(movieMarker, movieMarkerText), CopyText(source, sourceText),
        CopyText(sourceLine, sourceLineText),
    });
}

HRESULT NodeArgsData::SetBottomPane(const WCHAR* viewerTypeText, const WCHAR* path, const WCHAR* wrText,
                                    const WCHAR* highlightText) noexcept
{
    return AllCopied({CopyText(viewerType, viewerTypeText), CopyText(bottomPanePath, path), CopyText(wr, wrText),
                      CopyText(highlight, highlightText)});
}

void NodeArgsData::GetXMLText(CBstrString& text) const noexcept
{
    text.Empty();
    if (eType.IsEmpty())
        return;

    CXmlSafeText safeType(eType, XmlPlace::Attribute);
    CXmlSafeText safeIcon(icon, XmlPlace::Attribute);
    CXmlSafeText safeRep(nRep, XmlPlace::Attribute);
    CBstrString base = FormatPiece(kNodeArgsBase, safeType.c_str(), safeIcon.c_str(), safeRep.c_str());

    CBstrString statusPiece;
    if (status != kStatusDone) {
        CXmlSafeText safeStatus(status, XmlPlace::Attribute);
        statusPiece = FormatPiece(kNodeArgsStatus, safeStatus.c_str());
    }

    CBstrString further;
    if (!nType.IsEmpty()) {
        CBstrString escaped;
        EscapeNodeAttributeText(nType.c_str(), escaped);
        CXmlSafeText safe(escaped, XmlPlace::Attribute);
        further += FormatPiece(kNodeArgsNodeType, safe.c_str());
    }
    if (!iconSel.IsEmpty() && iconSel != icon) {
        CXmlSafeText safe(iconSel, XmlPlace::Attribute);
        further += FormatPiece(kNodeArgsSelectedIcon, safe.c_str());
    }
    if (!filter.IsEmpty() && filter != kFilterOn)
        further += kNodeArgsFilterOff;
    if (!movieMarker.IsEmpty()) {
        CXmlSafeText safe(movieMarker, XmlPlace::Attribute);
        further += FormatPiece(kNodeArgsMovieMarker, safe.c_str());
    }
    if (m_level == ProductLevel::Current && !source.IsEmpty()) {
        CBstrString escaped;
        EscapeNodeAttributeText(source.c_str(), escaped);
        CXmlSafeText safe(escaped, XmlPlace::Attribute);
        further += FormatPiece(kNodeArgsSource, safe.c_str());
        if (!sourceLine.IsEmpty()) {
            CXmlSafeText safeLine(sourceLine, XmlPlace::Attribute);
            further += FormatPiece(kNodeArgsSourceLine, safeLine.c_str());
        }
    }

    CXmlSafeText safeDisp(disp, XmlPlace::CData);
    CBstrString dispElement = FormatPiece(kDisp, safeDisp.c_str());

    CBstrString topPane;
    if (!topPanePath.IsEmpty()) {
        CXmlSafeText safe(topPanePath, XmlPlace::CData);
        topPane = FormatPiece(kTopPane, safe.c_str());
    }

    CBstrString bottomPane;
    if (!viewerType.IsEmpty()) {
        CBstrString pathPiece, wrPiece, highlightPiece;
        if (!bottomPanePath.IsEmpty()) {
            CXmlSafeText safe(bottomPanePath, XmlPlace::CData);
            pathPiece = FormatPiece(kBottomPanePath, safe.c_str());
        }
        if (!wr.IsEmpty()) {
            CXmlSafeText safe(wr, XmlPlace::CData);
            wrPiece = FormatPiece(kBottomPaneWR, safe.c_str());
        }
        if (!highlight.IsEmpty()) {
            CXmlSafeText safe(highlight, XmlPlace::CData);
            highlightPiece = FormatPiece(kBottomPaneHighlight, safe.c_str());
        }
        if (!pathPiece.IsEmpty() || !wrPiece.IsEmpty() || !highlightPiece.IsEmpty() || viewerType != kViewerTypeHtml) {
            CXmlSafeText safeViewer(viewerType, XmlPlace::Attribute);
            bottomPane = FormatPiece(kBottomPane, safeViewer.c_str(), pathPiece.c_str(), wrPiece.c_str(),
                                     highlightPiece.c_str());
        }
    }

    text.Format(kNodeArgs, base.c_str(), statusPiece.c_str(), further.c_str(), dispElement.c_str(), topPane.c_str(),
                bottomPane.c_str());
}
