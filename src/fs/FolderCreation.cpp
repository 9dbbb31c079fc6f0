// One folder level of the results folder, guarded against a full disk and an
// over-long path.
#include "fs/FolderServices.h"
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

bool CreateFolderWithRetry(const WCHAR* path, bool& warnTooLong, bool checkSpace, ULONGLONG threshold)
{
    if (!path || !*path)
        return false;

    // An existing folder is a success whatever its length and the free space.
    if (CreateOneFolder(path) || _waccess(path, 0) == 0)
        return true;

    if (PAL_wcslen(path) >= kTooLongPath) {
        // Once per run: the flag is the caller's and is set again when its
        // run ends.
        if (warnTooLong) {
            ShowHostMessageById(IDS_RESULTS_PATH_TOO_LONG, MB_ICONERROR, 0, -1, nullptr, nullptr);
            warnTooLong = false;
        }
        return false;
    }

    if (checkSpace) {
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
            } else if (answer == IDCANCEL) {
                return false;
            }
            // A Retry that still failed, or any other answer: look again.
        }
    }

    for (int attempt = 0; attempt < kRetries; ++attempt) {
        Sleep(kRetryWaitMs);
        if (CreateOneFolder(path))
            return true;
    }
    return false;
}
