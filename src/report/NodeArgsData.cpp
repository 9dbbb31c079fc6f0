#include "report/NodeArgsData.h"

#include <cstring>
#include <new>

NodeArgsData::NodeArgsData(ProductLevel level) noexcept : m_level(level)
{
    for (uint32_t& start : m_start)
        start = kUnset;
}

HRESULT NodeArgsData::SetNodeArgs(const WCHAR* eventType, const WCHAR* display, const WCHAR* iconText,
                                  const WCHAR* eventIdText, const WCHAR* statusName, const WCHAR* nodeTypeText,
                                  const WCHAR* selectedIconText, const WCHAR* filterText,
                                  const WCHAR* movieMarkerText, const WCHAR* sourceText,
                                  const WCHAR* sourceLineText) noexcept
{
    const Setting settings[] = {
        {EventType, eventType},     {Disp, display},          {Icon, iconText},
        {EventId, eventIdText},     {Status, statusName},     {NodeType, nodeTypeText},
        {SelectedIcon, selectedIconText}, {Filter, filterText}, {MovieMarker, movieMarkerText},
        {Source, sourceText},       {SourceLine, sourceLineText},
    };
    return Set(settings, sizeof(settings) / sizeof(settings[0]));
}

HRESULT NodeArgsData::SetBottomPane(const WCHAR* viewerTypeText, const WCHAR* path, const WCHAR* wrText,
                                    const WCHAR* highlightText) noexcept
{
    const Setting settings[] = {
        {ViewerType, viewerTypeText}, {BottomPanePath, path}, {WR, wrText}, {Highlight, highlightText}};
    return Set(settings, sizeof(settings) / sizeof(settings[0]));
}

HRESULT NodeArgsData::SetTopPanePath(const WCHAR* path) noexcept
{
    const Setting setting = {TopPanePath, path};
    return Set(&setting, 1);
}

HRESULT NodeArgsData::Set(const Setting* settings, size_t count) noexcept
{
    // The new texts go after the ones kept; room for a bottom pane is made
    // at the first setting, so that completing a record allocates once.
    const size_t kBottomPaneRoom = 64;
    size_t lengths[kFieldCount];
    size_t added = 0;
    for (size_t i = 0; i < count; ++i) {
        lengths[i] = settings[i].text ? PAL_wcslen(settings[i].text) : 0;
        added += lengths[i] + 1;
    }
    if (m_room - m_used < added) {
        const size_t room = m_used + added + (m_used == 0 ? kBottomPaneRoom : 0);
        std::unique_ptr<WCHAR[]> texts(new (std::nothrow) WCHAR[room]);
        if (!texts)
            return E_OUTOFMEMORY;
        if (m_used)
            std::memcpy(texts.get(), m_texts.get(), m_used * sizeof(WCHAR));
        m_texts = std::move(texts);
        m_room = room;
    }
    WCHAR* out = m_texts.get() + m_used;
    for (size_t i = 0; i < count; ++i) {
        m_start[settings[i].field] = static_cast<uint32_t>(out - m_texts.get());
        if (lengths[i])
            std::memcpy(out, settings[i].text, lengths[i] * sizeof(WCHAR));
        out[lengths[i]] = 0;
        out += lengths[i] + 1;
    }
    m_used = static_cast<size_t>(out - m_texts.get());
    return S_OK;
}

const WCHAR* NodeArgsData::Text(Field field) const noexcept
{
    return m_start[field] == kUnset ? W("") : m_texts.get() + m_start[field];
}

void NodeArgsData::Write(CXmlOutput& out) const
{
    if (IsEmpty(EventType))
        return;
    // "<NodeArgs%s%s%s>\r\n%s%s%s</NodeArgs>\r\n": the base attributes, the
    // status, the further attributes; Disp, TopPane, BtmPane.
    out.Put("<NodeArgs eType=\"").Attribute(Text(EventType)).Put("\" icon=\"").Attribute(Text(Icon));
    out.Put("\" nRep=\"").Attribute(Text(EventId)).Put("\" ");
    if (PAL_wcscmp(Text(Status), W("Done")) != 0)
        out.Put("status=\"").Attribute(Text(Status)).Put("\" ");
    if (!IsEmpty(NodeType))
        out.Put("nType=\"").NodeAttribute(Text(NodeType)).Put("\" ");
    if (!IsEmpty(SelectedIcon) && PAL_wcscmp(Text(SelectedIcon), Text(Icon)) != 0)
        out.Put("iconSel=\"").Attribute(Text(SelectedIcon)).Put("\" ");
    if (!IsEmpty(Filter) && PAL_wcscmp(Text(Filter), W("1")) != 0)
        out.Put("filter=\"False\" ");
    if (!IsEmpty(MovieMarker))
        out.Put("MovieMarker=\"").Attribute(Text(MovieMarker)).Put("\" ");
    if (m_level == ProductLevel::Current && !IsEmpty(Source)) {
        out.Put("Source=\"").NodeAttribute(Text(Source)).Put("\" ");
        if (!IsEmpty(SourceLine))
            out.Put("SourceLine=\"").Attribute(Text(SourceLine)).Put("\" ");
    }
    out.Put(">\r\n<Disp><![CDATA[").CData(Text(Disp)).Put("]]></Disp>\r\n");
    if (!IsEmpty(TopPanePath))
        out.Put("<TopPane>\r\n<Path><![CDATA[").CData(Text(TopPanePath)).Put("]]></Path>\r\n</TopPane>\r\n");
    // "<BtmPane vType=\"%s\">\r\n%s%s%s</BtmPane>\r\n", written when it has
    // a child or a viewer other than "HTML".
    if (!IsEmpty(ViewerType) && (!IsEmpty(BottomPanePath) || !IsEmpty(WR) || !IsEmpty(Highlight) ||
                                 PAL_wcscmp(Text(ViewerType), W("HTML")) != 0)) {
        out.Put("<BtmPane vType=\"").Attribute(Text(ViewerType)).Put("\">\r\n");
        if (!IsEmpty(BottomPanePath))
            out.Put("<Path><![CDATA[").CData(Text(BottomPanePath)).Put("]]></Path>\r\n");
        if (!IsEmpty(WR))
            out.Put("<WR><![CDATA[").CData(Text(WR)).Put("]]></WR>\r\n");
        if (!IsEmpty(Highlight))
            out.Put("<ASHilite><![CDATA[").CData(Text(Highlight)).Put("]]></ASHilite>\r\n");
        out.Put("</BtmPane>\r\n");
    }
    out.Put("</NodeArgs>\r\n");
}
