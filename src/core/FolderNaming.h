// The folders of a run inside the results folder: one per test or action
// ("Act<n>"; inside a business component "BC<k>\Act<n>"), numbered in the
// order the names first start, and in each one folder per iteration
// (CResultsFolder names them). Hosts save the snapshots and pictures of steps
// into them.
#pragma once

#include <map>

#include "pal/pal.h"
#include "text/BstrString.h"

class CResultsFolder;

class CFolderNaming {
public:
    // Next action folder number 0, map emptied (the end of a run).
    void ResetRun();
    // Next action folder number 0 (a report starts); the map is kept.
    void ResetActionFolderNumber();
    // From "CompIndexInBPT"; nonzero while the run is inside a business
    // component. Not reset by ResetRun.
    void SetBusinessComponentNumber(LONG number);
    LONG BusinessComponentNumber() const;
    // The folder of a test or action name, relative to the results folder,
    // creating the component's and the action's folders as needed. A name
    // keeps its folder for the whole run however often it starts. A folder
    // that cannot be created is still named.
    void GetActionFolder(CResultsFolder& results, const WCHAR* name, CBstrString& folder);

private:
    LONG m_nextActionFolderNumber = 0;
    LONG m_businessComponentNumber = 0;
    std::map<WideString, WideString> m_actionFolders;
};
