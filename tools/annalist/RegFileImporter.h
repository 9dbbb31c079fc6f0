// A registry file ("Windows Registry Editor Version 5.00" as regedit writes
// it: UTF-16LE with its byte-order mark, or UTF-8; "REGEDIT4" files are read
// as UTF-8) read into keys and values with the platform layer's registry-file
// codec (pal/reg_file_codec.h), and written through the registry API.
// Only keys of HKEY_LOCAL_MACHINE (also spelled HKLM) are taken: that is where
// the logger reads its settings, and the only root the replay's private
// registry covers on every platform.
//
// Understood: "[key]" (created), "[-key]" (deleted with its subkeys),
// "name"=... and @=... (the default value) with the data "text" (with the
// escapes \\ and \"), dword:xxxxxxxx, hex:bytes (REG_BINARY), hex(n):bytes (type n, for
// example hex(2) REG_EXPAND_SZ, hex(7) REG_MULTI_SZ, hex(b) REG_QWORD), and -
// (value deleted); ";" comments; hex data continued over lines with a
// backslash at the end of the line.
#pragma once

#include <string>
#include <vector>

#include "pal/pal.h"

struct RegFileValue {
    WideString name;      // empty: the key's default value
    bool remove = false;  // "name"=-
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};

struct RegFileKey {
    long line = 0;        // where the key stands in the file
    WideString path;      // below HKEY_LOCAL_MACHINE
    bool remove = false;  // [-key]
    std::vector<RegFileValue> values;
};

class CRegFile {
public:
    // Reads the file's bytes. False with "line N: reason" (or a reason for
    // the whole file) when they are not a registry file this reader takes.
    bool Parse(const std::string& bytes, std::string& error);
    const std::vector<RegFileKey>& Keys() const { return m_keys; }

    // Writes the keys and values in file order below HKEY_LOCAL_MACHINE;
    // keys are created with createOptions (REG_OPTION_VOLATILE inside the
    // private registry). ERROR_SUCCESS, or the first failure with the key it
    // happened at.
    LONG Apply(DWORD createOptions, std::string& error) const;

private:
    std::vector<RegFileKey> m_keys;
};

// Reads and writes a registry file in one go (one batch of registry writes:
// nothing of it is written when a value fails); false with a reason that
// names the file's problem ("line 4: ...", or why it cannot be read).
bool ImportRegFile(const WideString& path, DWORD createOptions, std::string& error);
