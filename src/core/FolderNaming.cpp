#include "core/FolderNaming.h"

#include <new>

#include "fs/FolderServices.h"

namespace {

// The free space below which creating an action, iteration or component
// folder asks the user to make room.
const ULONGLONG kFolderSpaceThreshold = 1000;

} // namespace

void CFolderNaming::ResetRun()
{
    m_nextActionFolderNumber = 0;
    m_actionFolders.clear();
}

void CFolderNaming::ResetActionFolderNumber() { m_nextActionFolderNumber = 0; }

void CFolderNaming::SetBusinessComponentNumber(LONG number) { m_businessComponentNumber = number; }

LONG CFolderNaming::BusinessComponentNumber() const { return m_businessComponentNumber; }

void CFolderNaming::EnsureFolder(const WCHAR* resultsFolder, const CBstrString& relative, bool& warnTooLong)
{
    CBstrString path = JoinResultsPath(resultsFolder, relative.c_str());
    if (_waccess(path.c_str(), 0) != 0)
        CreateFolderWithRetry(path.c_str(), warnTooLong, true, kFolderSpaceThreshold);
}

void CFolderNaming::GetActionFolder(const WCHAR* resultsFolder, const WCHAR* name, bool& warnTooLong,
                                    CBstrString& folder)
{
    const WCHAR* key = name ? name : W("");
    try {
        auto known = m_actionFolders.find(key);
        if (known != m_actionFolders.end()) {
            folder = known->second.c_str();
            return;
        }
    } catch (const std::bad_alloc&) {
        // The name cannot be looked up: it is given a new folder.
    }

    CBstrString result;
    if (m_businessComponentNumber != 0) {
        CBstrString component;
        component.Format(W("BC%d"), m_businessComponentNumber);
        EnsureFolder(resultsFolder, component, warnTooLong);
        result.Format(W("%s\\Act%d"), component.c_str(), m_nextActionFolderNumber);
    } else {
        result.Format(W("Act%d"), m_nextActionFolderNumber);
    }
    EnsureFolder(resultsFolder, result, warnTooLong);

    ++m_nextActionFolderNumber;
    try {
        m_actionFolders[key] = result.c_str();
    } catch (const std::bad_alloc&) {
        // Not remembered: the next start of the name gets a new folder.
    }
    folder = result;
}

void GetIterationFolder(const RunScope* currentScope, const WCHAR* iterationFolderPrefix, CBstrString& folder)
{
    if (!currentScope)
        return;
    folder.Format(W("%s\\%s%d"), currentScope->folderName.c_str(), iterationFolderPrefix ? iterationFolderPrefix : W(""),
                  currentScope->iteration);
}
