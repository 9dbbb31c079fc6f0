// Code-page conversions. The process ANSI and OEM code pages are UTF-8 (65001);
// other code pages go through iconv. Characters a code page lacks become '?'
// (or the caller's default character); invalid input becomes U+FFFD (UTF-8)
// or the code page's default character, unless MB_ERR_INVALID_CHARS or
// WC_ERR_INVALID_CHARS asks for a failure (ERROR_NO_UNICODE_TRANSLATION).
#pragma once

#include "pal/posix/errors.h"
#include "pal/posix/types.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF7 65000
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400

#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004L
#endif

extern "C" {
UINT GetACP(void);
UINT GetOEMCP(void);
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar, LPSTR lpMultiByteStr,
                        int cbMultiByte, LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar);
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                        int cchWideChar);
BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);
}
