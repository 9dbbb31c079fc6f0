// Message boxes without a window system. MessageBoxW writes the caption and
// the text to stderr and answers as follows:
// - when the program is ending (the tool was interrupted), the box answers at
//   once as unattended below, and so does one already waiting for the user;
// - else, when the environment variable ANNALIST_MESSAGEBOX_ANSWER names a
//   button of the box ("ok", "cancel", "abort", "retry", "ignore", "yes", "no",
//   "tryagain", "continue"; any case), that button is the answer; this is for
//   tests and scripted runs (a name the box does not have is ignored);
// - else, when stdin and stderr are both terminals, the user is asked on the
//   terminal (an empty line chooses the default button);
// - else (unattended) the box answers Cancel when it has a Cancel button, OK to
//   an OK box, No to Yes/No and Abort to Abort/Retry/Ignore.
// The answer is written after the text, so a log shows what was decided.
#pragma once

#include "pal/posix/types.h"

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_CANCELTRYCONTINUE 0x00000006L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0L
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFBUTTON4 0x00000300L
#define MB_DEFMASK 0x00000F00L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11

#ifndef ERROR_INVALID_MSGBOX_STYLE
#define ERROR_INVALID_MSGBOX_STYLE 1158L
#endif

// Returns the button chosen, or 0 (with the last error) for an unknown style.
extern "C" int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
