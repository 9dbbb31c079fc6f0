// Opening, creating and writing the files of the results folder, with the
// Retry/Cancel prompt when the disk is full.
#include <cerrno>

#include "fs/FolderServices.h"
#include "fs/RetryPause.h"

namespace {

// A stream of the results folder: not shared with another writer, so that a
// second run writing into the same folder is refused (as every Windows C
// runtime refuses it for _SH_DENYWR; readers are let in).
FILE* OpenStream(const WCHAR* path, const WCHAR* mode) { return _wfsopen(path, mode, _SH_DENYWR); }

HANDLE CreateAlways(const WCHAR* path)
{
    // Never shared; an existing file is truncated.
    return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// After a failure with this error: prompts while the disk is full and the
// answer is neither Retry nor Cancel. True when the operation is to be tried
// again (Retry); false when it has failed for good (Cancel, or an error other
// than a full disk). The prompt may change the last error, and an answer that
// is neither button reads it again: whatever the error is then decides.
// A Retry after a Retry that failed waits first (the pause).
bool AskToRetryWhileDiskFull(DWORD error, const WCHAR* path, CRetryPause& pause, bool& retried)
{
    if (retried && error == ERROR_DISK_FULL)
        pause.AfterFailedRetry();
    for (;;) {
        if (error != ERROR_DISK_FULL)
            return false;
        int answer = PromptForDiskSpace(path);
        if (answer == IDRETRY) {
            retried = true;
            return true;
        }
        if (answer == IDCANCEL) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        error = GetLastError();
    }
}

// The file position of a handle, when it has one.
bool GetFilePosition(HANDLE file, LONG& low, LONG& high)
{
    high = 0;
    SetLastError(NO_ERROR);
    DWORD position = SetFilePointer(file, 0, &high, FILE_CURRENT);
    if (position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return false;
    low = static_cast<LONG>(position);
    return true;
}

// Whether a failed write of a stream on path failed for want of space: the
// runtime says so (ENOSPC), or the caller has no free byte left (a quota).
bool WriteFailedForSpace(int error, const WCHAR* path)
{
    if (error == ENOSPC)
        return true;
    ULONGLONG freeBytes = 0;
    return GetAvailableDiskSpace(path, &freeBytes) && freeBytes == 0;
}

} // namespace

FILE* OpenFileWithRetry(const WCHAR* path, const WCHAR* mode, bool checkSpace, ULONGLONG threshold)
{
    if (!path || !*path || !mode)
        return nullptr;
    if (FILE* file = OpenStream(path, mode))
        return file;
    const DWORD openError = GetLastError();
    if (!checkSpace)
        return nullptr;

    // Only a disk short of space is worth a prompt: any other failure is not
    // one that freeing space would cure.
    ULONGLONG freeBytes = 0;
    if (!GetAvailableDiskSpace(path, &freeBytes) || freeBytes >= threshold) {
        SetLastError(openError);
        return nullptr;
    }
    CRetryPause pause;
    for (;;) {
        int answer = PromptForDiskSpace(path);
        if (answer == IDRETRY) {
            if (FILE* file = OpenStream(path, mode))
                return file;
            pause.AfterFailedRetry();
        } else if (answer == IDCANCEL) {
            SetLastError(ERROR_DISK_FULL);
            return nullptr;
        }
        // A failed reading keeps the previous figure.
        ULONGLONG now = 0;
        if (GetAvailableDiskSpace(path, &now))
            freeBytes = now;
        if (freeBytes >= threshold) {
            SetLastError(openError);
            return nullptr;
        }
    }
}

HANDLE CreateFileWithRetry(const WCHAR* path)
{
    if (!path || !*path)
        return nullptr;
    CRetryPause pause;
    bool retried = false;
    for (;;) {
        HANDLE file = CreateAlways(path);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        if (!AskToRetryWhileDiskFull(GetLastError(), path, pause, retried))
            return nullptr;
    }
}

BOOL WriteFileWithRetry(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    // A write that fills the disk may have stored part of the buffer before it
    // failed, and that part has moved the file position on. Writing the whole
    // buffer again from there would leave the part in the file twice, the
    // second copy following the first. So the position where the write begins
    // is kept, and a retried write goes back to it first: the whole buffer is
    // written again over the part already stored. (An overlapped write carries
    // its own offset and is simply repeated.)
    LONG startLow = 0;
    LONG startHigh = 0;
    bool rewind = !overlapped && GetFilePosition(file, startLow, startHigh);

    CRetryPause pause;
    bool retried = false;
    for (;;) {
        BOOL result = WriteFile(file, buffer, count, written, overlapped);
        if (result)
            return result;
        // Only the general text: a handle carries no path here.
        if (!AskToRetryWhileDiskFull(GetLastError(), W(""), pause, retried))
            return 0;
        if (rewind) {
            LONG high = startHigh;
            SetLastError(NO_ERROR);
            DWORD moved = SetFilePointer(file, startLow, &high, FILE_BEGIN);
            // Where the start cannot be found again, writing would duplicate
            // data: the write fails instead.
            if (moved == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
                return 0;
        }
    }
}

bool WriteStreamWithRetry(FILE* file, const WCHAR* path, const void* data, size_t size, ULONGLONG end)
{
    if (!file || (!data && size != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    CRetryPause pause;
    bool retried = false;
    for (;;) {
        errno = 0;
        if (std::fwrite(data, 1, size, file) == size && std::fflush(file) == 0)
            return true;
        const int error = errno;
        const bool full = WriteFailedForSpace(error, path);
        // Whatever part of the buffer was stored goes again: the file ends
        // where it ended before the write.
        std::clearerr(file);
        const bool cut = _chsize_s(_fileno(file), static_cast<long long>(end)) == 0 &&
                         _fseeki64(file, static_cast<long long>(end), SEEK_SET) == 0;
        if (!full) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        if (!cut || !AskToRetryWhileDiskFull(ERROR_DISK_FULL, path, pause, retried)) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
    }
}

bool WriteProfileStringWithRetry(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* path)
{
    CRetryPause pause;
    bool retried = false;
    for (;;) {
        if (WritePrivateProfileStringW(section, key, value, path))
            return true;
        DWORD error = GetLastError();
        if (!AskToRetryWhileDiskFull(error, path, pause, retried)) {
            if (error != ERROR_DISK_FULL)
                SetLastError(error);
            return false;
        }
    }
}
