// Opening, creating and writing the files of the results folder, with the
// Retry/Cancel prompt when the disk is full.
#include "fs/FolderServices.h"

namespace {

FILE* OpenStream(const WCHAR* path, const WCHAR* mode)
{
    FILE* file = nullptr;
    if (_wfopen_s(&file, path, mode) != 0)
        return nullptr;
    return file;
}

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
bool AskToRetryWhileDiskFull(DWORD error, const WCHAR* path)
{
    for (;;) {
        if (error != ERROR_DISK_FULL)
            return false;
        int answer = PromptForDiskSpace(path);
        if (answer == IDRETRY)
            return true;
        if (answer == IDCANCEL)
            return false;
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

} // namespace

FILE* OpenFileWithRetry(const WCHAR* path, const WCHAR* mode, bool checkSpace, ULONGLONG threshold)
{
    if (!path || !*path || !mode)
        return nullptr;
    if (FILE* file = OpenStream(path, mode))
        return file;
    if (!checkSpace)
        return nullptr;

    // Only a disk short of space is worth a prompt: any other failure is not
    // one that freeing space would cure.
    ULONGLONG freeBytes = 0;
    if (!GetAvailableDiskSpace(path, &freeBytes) || freeBytes >= threshold)
        return nullptr;
    for (;;) {
        int answer = PromptForDiskSpace(path);
        if (answer == IDRETRY) {
            if (FILE* file = OpenStream(path, mode))
                return file;
        } else if (answer == IDCANCEL) {
            return nullptr;
        }
        // A failed reading keeps the previous figure.
        ULONGLONG now = 0;
        if (GetAvailableDiskSpace(path, &now))
            freeBytes = now;
        if (freeBytes >= threshold)
            return nullptr;
    }
}

HANDLE CreateFileWithRetry(const WCHAR* path)
{
    if (!path || !*path)
        return nullptr;
    for (;;) {
        HANDLE file = CreateAlways(path);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        if (!AskToRetryWhileDiskFull(GetLastError(), path))
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

    for (;;) {
        BOOL result = WriteFile(file, buffer, count, written, overlapped);
        if (result)
            return result;
        // Only the general text: a handle carries no path here.
        if (!AskToRetryWhileDiskFull(GetLastError(), W("")))
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
