// The node arguments of an element (its NodeArgs child): the texts that the
// results viewer shows for the node, copied from the event node when the
// element's record is completed.
#pragma once

#include "report/ProductLevel.h"
#include "text/BstrString.h"

class NodeArgsData {
public:
    // The level decides whether Source and SourceLine are written.
    explicit NodeArgsData(ProductLevel level = ProductLevel::Current) noexcept : m_level(level) {}

    // Sets the first eleven texts. S_OK, or E_OUTOFMEMORY when a copy cannot
    // be made (the texts copied so far stay).
    HRESULT SetNodeArgs(const WCHAR* eventType, const WCHAR* display, const WCHAR* iconText, const WCHAR* eventIdText,
                        const WCHAR* statusName, const WCHAR* nodeTypeText, const WCHAR* selectedIconText,
                        const WCHAR* filterText, const WCHAR* movieMarkerText, const WCHAR* sourceText,
                        const WCHAR* sourceLineText) noexcept;
    // Sets the bottom-pane texts (viewer type, file path, WR text, highlight).
    HRESULT SetBottomPane(const WCHAR* viewerType, const WCHAR* path, const WCHAR* wrText,
                          const WCHAR* highlight) noexcept;

    // The NodeArgs element, or an empty text when eType is empty.
    void GetXMLText(CBstrString& text) const noexcept;

    ProductLevel Level() const noexcept { return m_level; }

    // The sixteen texts, all empty when built.
    CBstrString eType;
    CBstrString icon;
    CBstrString nRep;
    CBstrString disp;
    CBstrString status;
    CBstrString nType;
    CBstrString iconSel;
    CBstrString filter;
    CBstrString movieMarker;
    CBstrString source;
    CBstrString sourceLine;
    CBstrString topPanePath;
    CBstrString bottomPanePath;
    CBstrString highlight;
    CBstrString viewerType;
    CBstrString wr;

private:
    ProductLevel m_level;
};
