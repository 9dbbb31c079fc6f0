// Messages to the user through the host application (which decides how, or
// whether, to show them during an unattended run), else a plain message box.
#pragma once

#include "pal/pal.h"
#include "text/BstrString.h"

// Shows text with a message-box style; a and b are passed to the host
// unchanged. A null caption means the default caption. Returns the answer.
int ShowHostMessage(const WCHAR* text, UINT style, int a, int b, const WCHAR* caption);

// The same with string id of module (null: the library's own strings).
int ShowHostMessageById(UINT id, UINT style, int a, int b, const WCHAR* caption, HMODULE module);

// The host's installation folder (cached once the host has answered).
bool GetInstallationDir(CBstrString& folder);
