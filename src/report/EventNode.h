// The record of one logged event: ids, record number, names, details, status,
// type, time, icons, bottom-pane data and source. The core fills a new node;
// once recorded it belongs to the run model's registry, which frees it when
// the record factory has built the node's end record.
#pragma once

#include "text/BstrString.h"

struct EventNode {
    LONG eventId = 0;
    LONG parentId = 0;
    LONG actionIteration = 0;
    LONG testIteration = 0;
    LONG scopeIndex = 0;
    LONG iconIndex = 0;
    LONG selectedIconIndex = 0;
    LONG recordNumber = 0;
    CBstrString displayName;
    BYTE nameIsPlain = 0;
    CBstrString nodeType;
    CBstrString viewTypeText;
    CBstrString details;
    BYTE detailsArePlain = 0;
    CBstrString movieMarker;
    CBstrString bottomFilePath;
    CBstrString highlightText;
    CBstrString returnValue;
    CBstrString htmlText;
    BYTE enableFilter = 0;
    LONG status = 2;
    CBstrString eventType;
    SYSTEMTIME eventTime = {};
    CBstrString sourceText;
    LONG sourceLine = -1;
};
