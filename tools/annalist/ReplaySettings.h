// The settings a replayed logger reads: a private registry for the replay
// (never the user's own settings) and what goes into it.
#pragma once

#include <string>

#include "pal/non_copyable.h"
#include "pal/pal.h"

// Keys written into the private registry are volatile (on Windows the
// private store is a volatile key, which takes only volatile subkeys).
const DWORD kPrivateKeyOptions = REG_OPTION_VOLATILE;

// The replay's private registry, from Begin until the object goes away
// (PAL_BeginPrivateRegistry / PAL_EndPrivateRegistry).
class CPrivateRegistry : CNonCopyable {
public:
    ~CPrivateRegistry();

    bool Begin(std::string& error);
    // Where the store is (a folder on POSIX, a key on Windows).
    const std::string& Where() const { return m_where; }

private:
    bool m_active = false;
    std::string m_where;
};

// The registry root as the logger takes it: a path below HKEY_LOCAL_MACHINE.
// A leading "HKEY_LOCAL_MACHINE\" or "HKLM\" and trailing backslashes are
// dropped.
WideString NormalizeRegistryRoot(const WideString& root);

// The defaults under the root: "Directory" ".", "IterDir" "Row" and "Eve1" ...
// "Eve7" naming the step types the logger knows ("Replay", "User", "Error",
// "Verification", "Transaction", "Context", "Table").
bool WriteDefaultSettings(const WideString& root, std::string& error);

// A text value under the root as the logger reads its settings: at most 63
// characters (a longer value is not read), up to the first zero; false when
// the key or the value is missing or too long.
bool ReadSettingText(const WideString& root, const WCHAR* name, WideString& text);

// The "Directory" value under the root, as the logger reads it for ReportPath;
// false when the key or the value is missing.
bool ReadDirectorySetting(const WideString& root, WideString& directory);

// Whether the key HKEY_LOCAL_MACHINE\root can be opened (the logger then
// reads its settings from it).
bool RootExists(const WideString& root);

// The results folder the logger makes of a ReportPath value: the path itself
// when "Directory" is ".", else the path, a backslash and "Directory".
WideString ResultsFolderFor(const WideString& path, const WideString& directory);
