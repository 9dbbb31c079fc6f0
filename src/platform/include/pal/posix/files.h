// Files and folders. Paths are Windows paths; backslashes become slashes at
// this boundary (and nothing else changes), so results paths in the report
// stay Windows-style. Names are UTF-8 on the file system.
//
// Differences from Windows worth knowing:
// - Files are always binary: _wfopen_s ignores "t" and never translates line
//   ends.
// - The share mode of CreateFileW is honoured between the handles of this
//   process. Across processes only the writers are kept apart: a file open
//   for writing without write sharing (a _wfopen_s stream for writing or
//   appending, a CreateFileW handle with GENERIC_WRITE and no
//   FILE_SHARE_WRITE) refuses every other writer with a sharing violation
//   (ERROR_SHARING_VIOLATION; _wfopen_s answers EACCES), and a refused writer
//   truncates nothing. Readers of other processes are not refused.
// - PathStripToRootW reduces a path to the mount point of the file system that
//   holds it (there are no drive letters).
#pragma once

#include <cstdio>

#include "pal/posix/kernel.h"

#define GENERIC_READ 0x80000000L
#define GENERIC_WRITE 0x40000000L
#define GENERIC_ALL 0x10000000L
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define _SH_DENYRW 0x10
#define _SH_DENYWR 0x20
#define _SH_DENYRD 0x30
#define _SH_DENYNO 0x40
#define _SH_SECURE 0x80
#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002
#define MOVEFILE_WRITE_THROUGH 0x00000008

// Error codes of the file functions beyond the common ones.
#ifndef ERROR_NOT_SAME_DEVICE
#define ERROR_NOT_SAME_DEVICE 17L
#endif
#ifndef ERROR_OPEN_FAILED
#define ERROR_OPEN_FAILED 110L
#endif
#ifndef ERROR_GEN_FAILURE
#define ERROR_GEN_FAILURE 31L
#endif
#ifndef ERROR_FILE_TOO_LARGE
#define ERROR_FILE_TOO_LARGE 223L
#endif
#ifndef ERROR_DIRECTORY
#define ERROR_DIRECTORY 267L
#endif
#ifndef ERROR_CANT_RESOLVE_FILENAME
#define ERROR_CANT_RESOLVE_FILENAME 1921L
#endif

// Overlapped (asynchronous) I/O is not supported: the structure is only
// declared, and ReadFile/WriteFile refuse a non-null one.
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;
typedef int errno_t;

extern "C" {
BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
BOOL RemoveDirectoryW(LPCWSTR lpPathName);
BOOL DeleteFileW(LPCWSTR lpFileName);
DWORD GetFileAttributesW(LPCWSTR lpFileName);
// mode: 0 existence, 2 write, 4 read, 6 read and write. 0 or -1 with errno.
int _waccess(const WCHAR* path, int mode);
// mode: "r", "w" or "a", optionally followed by "+", "b", "t" (ignored) and
// "x" (fail when the file exists). Returns 0 or the errno value. A stream
// that writes is not shared with another writer (EACCES, last error
// ERROR_SHARING_VIOLATION).
errno_t _wfopen_s(FILE** pFile, const WCHAR* filename, const WCHAR* mode);
// The same with the Windows sharing rule of shflag (_SH_DENYWR, ...): a
// stream that writes refuses other writers unless shflag lets them write
// (_SH_DENYNO, _SH_DENYRD). Null with errno set (EACCES, and the last error
// ERROR_SHARING_VIOLATION, when another open refuses).
FILE* _wfsopen(const WCHAR* filename, const WCHAR* mode, int shflag);
// The descriptor of a stream; the size of the file behind a descriptor set
// (0 or the errno value); a stream's position as a 64-bit number.
int _fileno(FILE* stream);
errno_t _chsize_s(int fd, long long size);
int _fseeki64(FILE* stream, long long offset, int origin);
long long _ftelli64(FILE* stream);
// Renames a file. With MOVEFILE_REPLACE_EXISTING an existing file of the new
// name is replaced in one step (never seen missing or in part); without it
// the move fails with ERROR_ALREADY_EXISTS. MOVEFILE_WRITE_THROUGH returns
// once the move is on the disk. A move to another file system is refused
// (ERROR_NOT_SAME_DEVICE).
BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped);
BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped);
DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod);
DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
BOOL GetDiskFreeSpaceExW(LPCWSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                         PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes);
// Reduces the path in place to the mount point of the file system that holds
// it (a path that does not exist yet: that of its nearest existing folder).
// The mount point is written without a trailing slash ("/" stays "/"). FALSE,
// leaving the path unchanged, when no folder of the path exists or when the
// mount point is longer than the path (a short relative path).
BOOL PathStripToRootW(LPWSTR pszPath);
BOOL PathFileExistsW(LPCWSTR pszPath);
}
