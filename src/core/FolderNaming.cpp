#include "core/FolderNaming.h"

#include <new>

#include "fs/ResultsFolder.h"

void CFolderNaming::ResetRun()
{
    m_nextActionFolderNumber = 0;
    m_actionFolders.clear();
}

void CFolderNaming::ResetActionFolderNumber() { m_nextActionFolderNumber = 0; }

void CFolderNaming::SetBusinessComponentNumber(LONG number) { m_businessComponentNumber = number; }

LONG CFolderNaming::BusinessComponentNumber() const { return m_businessComponentNumber; }

void CFolderNaming::GetActionFolder(CResultsFolder& results, const WCHAR* name, CBstrString& folder)
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

    if (m_businessComponentNumber != 0)
        results.CreateFolder(CResultsFolder::ComponentFolderName(m_businessComponentNumber).c_str(),
                             CResultsFolder::kRunFolderSpace);
    CBstrString result = CResultsFolder::ActionFolderName(m_businessComponentNumber, m_nextActionFolderNumber);
    results.CreateFolder(result.c_str(), CResultsFolder::kRunFolderSpace);

    ++m_nextActionFolderNumber;
    try {
        m_actionFolders[key] = result.c_str();
    } catch (const std::bad_alloc&) {
        // Not remembered: the next start of the name gets a new folder.
    }
    folder = result;
}
