// Kernel services: threads, events, critical sections, time, date and time
// formatting, the computer name and the modules of the process.
#pragma once

#include "pal/posix/errors.h"
#include "pal/posix/types.h"

// ---- Handles ----
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
extern "C" BOOL CloseHandle(HANDLE hObject);

// ---- Threads and synchronisation ----
typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);
typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_TIMEOUT 258L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
#define STILL_ACTIVE 259L
#define CREATE_SUSPENDED 0x00000004
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000

// A critical section is an opaque, recursive lock.
typedef struct _CRITICAL_SECTION {
    void* impl;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

// Threads start at once on the default stack (the stack size is ignored;
// CREATE_SUSPENDED is refused with ERROR_NOT_SUPPORTED). Closing a thread's
// handle does not stop the thread. Events have no names: a name is refused
// with ERROR_NOT_SUPPORTED.
extern "C" {
HANDLE CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize, LPTHREAD_START_ROUTINE lpStartAddress,
                    LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId);
BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
DWORD GetCurrentThreadId(void);
DWORD GetCurrentProcessId(void);
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
// Waits on an event (consuming the signal of an auto-reset event) or on a
// thread (until it has ended).
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
void Sleep(DWORD dwMilliseconds);

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

LONG InterlockedIncrement(LONG volatile* Addend);
LONG InterlockedDecrement(LONG volatile* Addend);
LONG InterlockedExchange(LONG volatile* Target, LONG Value);
}

// ---- Time ----
typedef struct _TIME_ZONE_INFORMATION {
    LONG Bias;
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
} TIME_ZONE_INFORMATION, *LPTIME_ZONE_INFORMATION;

#define TIME_ZONE_ID_INVALID ((DWORD)0xFFFFFFFF)
#define TIME_ZONE_ID_UNKNOWN 0
#define TIME_ZONE_ID_STANDARD 1
#define TIME_ZONE_ID_DAYLIGHT 2

#define DATE_SHORTDATE 0x00000001
#define DATE_LONGDATE 0x00000002
#define TIME_NOMINUTESORSECONDS 0x00000001
#define TIME_NOSECONDS 0x00000002
#define TIME_NOTIMEMARKER 0x00000004
#define TIME_FORCE24HOURFORMAT 0x00000008

// GetTimeZoneInformation describes the C library's zone: Bias from its
// standard time, StandardName and DaylightName from tzname, the transition
// dates of the current year in the Windows day-of-month form.
extern "C" {
void GetLocalTime(LPSYSTEMTIME lpSystemTime);
void GetSystemTime(LPSYSTEMTIME lpSystemTime);
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation);
// en-US formats: short date "M/d/yyyy", time "h:mm:ss tt", or "HH:mm:ss" when
// forced to 24 hours. A null time means the current local time.
int GetDateFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCWSTR lpFormat, LPWSTR lpDateStr,
                   int cchDate);
int GetTimeFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCWSTR lpFormat, LPWSTR lpTimeStr,
                   int cchTime);
LANGID GetSystemDefaultLangID(void);
LANGID GetUserDefaultLangID(void);
LCID GetUserDefaultLCID(void);
LCID GetThreadLocale(void);
}

// _mktime64 and _tzset as the Windows C runtime has them. _mktime64 takes
// local time (tm_isdst -1: the zone's rules decide), normalises the fields
// and returns -1 for times before 1970-01-01 00:00:00 UTC or after
// 3000-12-31 23:59:59 UTC, leaving the structure as it was. The zone is the
// C library's (TZ); _tzset takes a changed TZ into account.
#include <ctime>
typedef int64_t __time64_t;
extern "C" __time64_t _mktime64(struct tm* timeptr);
extern "C" void _tzset(void);

// ---- Computer and modules ----
typedef INT_PTR(WINAPI* FARPROC)(void);
// GetComputerNameW gives the host name up to its first dot; it may be longer
// than MAX_COMPUTERNAME_LENGTH. GetModuleFileNameW(NULL) is the executable's
// path, of the library module the file that holds the library code.
#define MAX_COMPUTERNAME_LENGTH 15
#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif
extern "C" {
BOOL GetComputerNameW(LPWSTR lpBuffer, LPDWORD nSize);
DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
// A null name gives the executable; the library and the executable are also
// found by their file names, and any other name finds a shared object the
// process has already loaded ("Name" and "Name.dll" stand for "libName.so").
HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
// An export of a module by name (the library, the executable or a shared
// object found by GetModuleHandleW); null with ERROR_PROC_NOT_FOUND.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL DisableThreadLibraryCalls(HMODULE hLibModule);
DWORD GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize);
BOOL SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue);
int lstrlenA(LPCSTR lpString);
int lstrlenW(LPCWSTR lpString);
}

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
