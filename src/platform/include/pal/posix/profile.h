// Profile (INI) files with the Windows rules:
// - a file that begins with FF FE is read and written as UTF-16LE; any other
//   file is 8-bit text, UTF-8 here (a UTF-8 byte-order mark is kept);
// - section and key names compare without regard to case or to the blanks
//   around them; values are read without the blanks around them and without a
//   pair of quotes (" or ') around them; the first section of a name counts;
// - writing replaces an existing key's line where it stands, puts a new key
//   after the last line of its section and a new section at the end of the
//   file; a null value deletes the key and a null key the whole section; the
//   lines an edit does not touch keep their text, and every line ends with
//   CR LF;
// - a name relative to no folder is relative to the current folder (not to
//   the Windows folder).
// A line break inside a written key or value is written as a blank, so one
// value cannot add lines to the file. The functions of one process run one at
// a time; nothing guards a file against another process.
#pragma once

#include "pal/posix/types.h"

extern "C" {
// Copies the value (cut to nSize - 1 characters), or the default without its
// trailing blanks when the file, section or key is missing. A null section
// lists the section names, a null key the section's key names (each followed
// by a zero, the list by one more; a list that does not fit is cut, ends with
// two zeros and gives nSize - 2).
DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                               DWORD nSize, LPCWSTR lpFileName);
// The value as a number (decimal, or hex after "0x"; an optional sign; read up
// to the first other character); the default when the key is missing or empty.
UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);
// Creates the file when missing. FALSE with the last error when the file
// cannot be read or written.
BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName);
}
