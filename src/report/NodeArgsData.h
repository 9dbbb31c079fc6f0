// The node arguments of an element (its NodeArgs child): the texts that the
// results viewer shows for the node, copied from the event node when the
// element's record is completed. The texts are kept one after the other in
// one buffer, so completing a record copies them with one allocation.
#pragma once

#include <cstdint>
#include <memory>

#include "report/ProductLevel.h"
#include "report/XmlOutput.h"
#include "text/BstrString.h"

class NodeArgsData {
public:
    // The sixteen texts, all empty when built.
    enum Field {
        EventType,
        Icon,
        EventId, // nRep
        Disp,
        Status,
        NodeType,
        SelectedIcon,
        Filter,
        MovieMarker,
        Source,
        SourceLine,
        TopPanePath,
        BottomPanePath,
        Highlight, // ASHilite
        ViewerType,
        WR,
        kFieldCount
    };

    // The level decides whether Source and SourceLine are written.
    explicit NodeArgsData(ProductLevel level = ProductLevel::Current) noexcept;

    // Sets the first eleven texts (null: empty; never texts of this object).
    // S_OK, or E_OUTOFMEMORY when a copy cannot be made (the texts stay as
    // they were).
    HRESULT SetNodeArgs(const WCHAR* eventType, const WCHAR* display, const WCHAR* iconText, const WCHAR* eventIdText,
                        const WCHAR* statusName, const WCHAR* nodeTypeText, const WCHAR* selectedIconText,
                        const WCHAR* filterText, const WCHAR* movieMarkerText, const WCHAR* sourceText,
                        const WCHAR* sourceLineText) noexcept;
    // Sets the bottom-pane texts (viewer type, file path, WR text, highlight).
    HRESULT SetBottomPane(const WCHAR* viewerType, const WCHAR* path, const WCHAR* wrText,
                          const WCHAR* highlight) noexcept;

    // Sets the top-pane path (the logger itself never does).
    HRESULT SetTopPanePath(const WCHAR* path) noexcept;

    // Appends the NodeArgs element to out; nothing when eType is empty.
    void Write(CXmlOutput& out) const;

    // A text; never null.
    const WCHAR* Text(Field field) const noexcept;
    bool IsEmpty(Field field) const noexcept { return *Text(field) == 0; }

    ProductLevel Level() const noexcept { return m_level; }
    // The memory its texts hold.
    size_t TextBytes() const noexcept { return m_room * sizeof(WCHAR); }

private:
    struct Setting {
        Field field;
        const WCHAR* text;
    };
    HRESULT Set(const Setting* settings, size_t count) noexcept;

    static const uint32_t kUnset = 0xFFFFFFFFu;

    ProductLevel m_level;
    std::unique_ptr<WCHAR[]> m_texts; // each text set, with its terminating zero
    size_t m_used = 0;
    size_t m_room = 0;
    uint32_t m_start[kFieldCount]; // where a field's text begins in m_texts
};
