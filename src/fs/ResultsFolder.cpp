#include "fs/ResultsFolder.h"

#include "fs/FolderServices.h"
#include "fs/RetryPause.h"
#include "host/HostMessages.h"
#include "text/ResourceStrings.h"

namespace {

// Paths of this many characters or more that cannot be created count as too
// long (a longer path that the file system accepts is fine).
const size_t kTooLongPath = 255;

// Attempts after the first one when the cause is not disk space, and the wait
// before each.
const int kRetries = 4;
const DWORD kRetryWaitMs = 20;

bool CreateOneFolder(const WCHAR* path) { return CreateDirectoryW(path, nullptr) != FALSE; }

} // namespace

CBstrString CResultsFolder::Join(const WCHAR* relative) const
{
    CBstrString path(m_path);
    if (relative && *relative) {
        if (relative[0] != '\\')
            path += W("\\");
        path += relative;
    }
    return path;
}

bool CResultsFolder::Contains(const WCHAR* relative) const { return _waccess(Join(relative).c_str(), 0) == 0; }

CBstrString CResultsFolder::IconFileName(LONG number)
{
    CBstrString name;
    name.Format(W("Icons\\%d.ico"), static_cast<int>(number));
    return name;
}

CBstrString CResultsFolder::ComponentFolderName(LONG componentNumber)
{
    CBstrString name;
    name.Format(W("BC%d"), static_cast<int>(componentNumber));
    return name;
}

CBstrString CResultsFolder::ActionFolderName(LONG componentNumber, LONG actionNumber)
{
    CBstrString name;
    if (componentNumber != 0)
        name.Format(W("%s\\Act%d"), ComponentFolderName(componentNumber).c_str(), static_cast<int>(actionNumber));
    else
        name.Format(W("Act%d"), static_cast<int>(actionNumber));
    return name;
}

CBstrString CResultsFolder::IterationFolderName(const WCHAR* actionFolder, const WCHAR* prefix, LONG iteration)
{
    CBstrString name;
    name.Format(W("%s\\%s%d"), actionFolder ? actionFolder : W(""), prefix ? prefix : W(""),
                static_cast<int>(iteration));
    return name;
}

void CResultsFolder::Create()
{
    CreateFolder(W(""), 1);
    CreateFolder(W("Icons"), 1);
}

bool CResultsFolder::CreateFolder(const WCHAR* relative, ULONGLONG threshold)
{
    CBstrString folder = Join(relative);
    const WCHAR* path = folder.c_str();
    if (!*path)
        return false;

    // An existing folder is a success whatever its length and the free space.
    if (CreateOneFolder(path) || _waccess(path, 0) == 0)
        return true;

    if (PAL_wcslen(path) >= kTooLongPath) {
        if (m_warnTooLong) {
            ShowHostMessageById(IDS_RESULTS_PATH_TOO_LONG, MB_ICONERROR, 0, -1, nullptr, nullptr);
            m_warnTooLong = false;
        }
        return false;
    }

    CRetryPause pause;
    for (;;) {
        ULONGLONG freeBytes = 0;
        if (!GetAvailableDiskSpace(path, &freeBytes))
            return false;
        if (freeBytes >= threshold)
            break; // the space is there: the cause is something else
        int answer = PromptForDiskSpace(path);
        if (answer == IDRETRY) {
            if (CreateOneFolder(path))
                return true;
            pause.AfterFailedRetry();
        } else if (answer == IDCANCEL) {
            return false;
        }
        // A Retry that still failed, or any other answer: look again.
    }

    for (int attempt = 0; attempt < kRetries; ++attempt) {
        Sleep(kRetryWaitMs);
        if (CreateOneFolder(path))
            return true;
    }
    return false;
}
