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

// Opens a stream with _wfopen_s ("wb", "ab", ...); null on failure.
FILE* OpenFileWithRetry(const WCHAR* path, const WCHAR* mode, bool checkSpace, ULONGLONG threshold);

// Creates (always anew, unshared) a file for writing; null on failure.
HANDLE CreateFileWithRetry(const WCHAR* path);

// WriteFile that prompts on a full disk and, on Retry, writes the whole buffer again.
BOOL WriteFileWithRetry(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);
