// The text format of registry files ("Windows Registry Editor Version 5.00",
// as regedit exports them), which is also how the hives of the POSIX registry
// are kept on disk.
//
// Reading accepts UTF-16LE with its byte-order mark and UTF-8 (with or without
// one); keys "[ROOT\path]" and "[-ROOT\path]" (delete), values "name"= and @=
// with the data "text", dword:, hex:, hex(N):, and - (delete); line
// continuations ("\" at the end of hex data); comments (";") and blank lines.
// Writing produces UTF-16LE with the byte-order mark and CR LF line ends.
#pragma once

#include <string>

#include "registry/registry_tree.h"

// Decodes the bytes of a registry file into text.
WideString PalDecodeRegFile(const std::string& bytes);
// Encodes text as a registry file: FF FE, then UTF-16LE.
std::string PalEncodeRegFile(const WideString& text);

// Applies the text of a registry file to the tree of the root key named
// rootName ("HKEY_CURRENT_USER"...). Keys of another root are an error. On an
// error returns false with a description (and the tree partly applied).
bool PalParseRegFile(const WideString& text, PalRegKeyNode& root, std::string& error);

// The text of a registry file holding the whole tree of a root key.
WideString PalFormatRegFile(const PalRegKeyNode& root);
