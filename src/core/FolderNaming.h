// The folders of a run inside the results folder: one per test or action
// ("Act%d"; inside a business component "BC%d\Act%d"), and in each one folder
// per iteration (the iteration folder prefix followed by the iteration number).
// Hosts save the snapshots and pictures of steps into them.
#pragma once

#include <map>

#include "fs/ResultsPath.h"
#include "pal/pal.h"
#include "report/RunScope.h"
#include "text/BstrString.h"

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
    // creating "BC%d" and "Act%d" folders as needed (warnTooLong: the logger's
    // once-per-run flag). A name keeps its folder for the whole run however
    // often it starts. A folder that cannot be created is still named.
    void GetActionFolder(const WCHAR* resultsFolder, const WCHAR* name, bool& warnTooLong, CBstrString& folder);

private:
    // Creates a folder of the results folder unless it exists already.
    static void EnsureFolder(const WCHAR* resultsFolder, const CBstrString& relative, bool& warnTooLong);

    LONG m_nextActionFolderNumber = 0;
    LONG m_businessComponentNumber = 0;
    std::map<WideString, WideString> m_actionFolders;
};

// "%s\%s%d" from the scope's folderName, the prefix and the scope's iteration;
// leaves `folder` unchanged when scope is null.
void GetIterationFolder(const RunScope* currentScope, const WCHAR* iterationFolderPrefix, CBstrString& folder);
