// Files of the results folder, guarded against a full disk (a Retry/Cancel
// prompt, then carrying on), and the free space and prompt behind that guard
// (CResultsFolder creates the folders the same way). Each operation answers
// with plain success or failure.
#pragma once

#include <cstdio>

#include "pal/pal.h"

// Free bytes available to the caller on the file system of the path's root.
bool GetAvailableDiskSpace(const WCHAR* path, ULONGLONG* freeBytes);

// The Retry/Cancel prompt for the drive of the path (the general text for an
// empty or null path); returns the answer (IDRETRY, IDCANCEL, ...).
int PromptForDiskSpace(const WCHAR* path);

// Opens a stream ("wb", "ab", "r+b", ...) that no other writer may open while
// it is open (_wfsopen with _SH_DENYWR, as _wfopen_s opens on Windows; readers
// are let in); null on failure, with the last error of the failed open
// (ERROR_SHARING_VIOLATION when another writer has the file; ERROR_DISK_FULL
// after Cancel).
FILE* OpenFileWithRetry(const WCHAR* path, const WCHAR* mode, bool checkSpace, ULONGLONG threshold);

// Creates (always anew, unshared) a file for writing; null on failure.
HANDLE CreateFileWithRetry(const WCHAR* path);

// WriteFile that prompts on a full disk and, on Retry, writes the whole buffer again.
BOOL WriteFileWithRetry(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);

// Writes the buffer at the end of a stream that is `end` bytes long, as one
// write (the stream is best unbuffered: nothing of it then reaches the file
// before or after this call). When the write fails the part of the buffer
// that was stored is cut off again, so the file is `end` bytes long as
// before; on a full disk the drive-specific prompt for path asks to make room:
// Retry writes the whole buffer again, Cancel gives up. True when the whole
// buffer was written; false with the last error ERROR_DISK_FULL (Cancel) or
// ERROR_WRITE_FAULT (any other failure).
bool WriteStreamWithRetry(FILE* file, const WCHAR* path, const void* data, size_t size, ULONGLONG end);

// WritePrivateProfileStringW that prompts on a full disk (the drive-specific
// text for the file) and writes again on Retry. False with the last error of
// the failure (ERROR_DISK_FULL after Cancel).
bool WriteProfileStringWithRetry(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* path);
