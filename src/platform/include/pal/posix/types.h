// Basic Win32 types as the POSIX build sees them. Sizes follow the 32-bit
// Windows ABI where the size is part of a contract (LONG, DWORD, HRESULT are
// 32 bits here too); handles and pointers are native pointers.
#pragma once

#include <cstddef>
#include <cstdint>

// WCHAR, BSTR, the integer types, HRESULT, VARIANT_BOOL, DATE, GUID ... are
// those of the public header.
#include "annalist/com_types.h"

typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;

typedef char* LPSTR;
typedef const char* LPCSTR;

typedef int32_t BOOL;
typedef int64_t __int64;
typedef void VOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;
typedef size_t SIZE_T;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef LONG_PTR LPARAM;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LRESULT;

typedef WORD LANGID;
typedef DWORD REGSAM;
typedef LONG LSTATUS;

typedef void* HANDLE;
typedef HANDLE* PHANDLE;
struct PalModule;
typedef PalModule* HMODULE;
typedef HMODULE HINSTANCE;
struct PalResource;
typedef PalResource* HRSRC;
typedef void* HGLOBAL;
struct PalKey;
typedef PalKey* HKEY;
typedef HKEY* PHKEY;
typedef void* HWND;
typedef void* HBITMAP;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define CALLBACK
#define WINAPI
#define STDAPICALLTYPE
// A module's exports (DllGetClassObject ...): visible outside a shared object
// that is otherwise built with hidden visibility.
#define STDAPI extern "C" ANNALIST_API HRESULT
#define STDAPI_(type) extern "C" ANNALIST_API type

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKELONG(a, b) ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))

typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;

typedef union _ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
} ULARGE_INTEGER, *PULARGE_INTEGER;

typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *LPFILETIME;

typedef IID* LPIID;
typedef CLSID* LPCLSID;

extern "C" const GUID GUID_NULL;
#define IID_NULL GUID_NULL
#define CLSID_NULL GUID_NULL
