// The record kinds the core hands to the record factory.
#pragma once

enum ReportRecordKind {
    xrkStartRoot = 0,
    xrkEndRoot = 1,
    xrkCloseAndExit = 2,
    xrkExit = 3,
    xrkStartTest = 4,
    xrkEndTest = 5,
    xrkStartTestIter = 6,
    xrkEndTestIter = 7,
    xrkStartAction = 8,
    xrkEndAction = 9,
    xrkStartActionIter = 10,
    xrkEndActionIter = 11,
    xrkStartStep = 12,
    xrkEndStep = 13,
    xrkEndHtmlStep = 14,
    xrkDataTable = 15,
    xrkStartBPT = 16,
    xrkEndBPT = 17,
    xrkGeneral = 18,
    xrkAdditionalInfo = 19
};
