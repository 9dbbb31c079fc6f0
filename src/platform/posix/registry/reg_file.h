// The hives of the POSIX registry as registry files: the tree of one root key
// read from and written to the text that pal/reg_file_codec.h reads and
// writes ("Windows Registry Editor Version 5.00"; written as UTF-16LE with its
// byte-order mark and CR LF line ends).
#pragma once

#include <string>

#include "registry/registry_tree.h"

// Applies the text of a registry file to the tree of the root key named
// rootName ("HKEY_CURRENT_USER"...). A text without the header line (nothing
// but blank lines and comments) is an empty hive. Keys of another root are an
// error. On an error returns false with a description (and the tree partly
// applied).
bool PalParseRegFile(const WideString& text, PalRegKeyNode& root, std::string& error);

// The text of a registry file holding the whole tree of a root key.
WideString PalFormatRegFile(const PalRegKeyNode& root);
