// The hives of the POSIX registry on disk: one registry file per root key
// ("HKEY_CURRENT_USER.reg"...) in the registry folder. A missing file is an
// empty hive. Every call sees the file as it is now (a hive is read again when
// its file changed), and every change rewrites its hive under an advisory lock
// on "registry.lock" in the folder, through a temporary file renamed over the
// hive, so that processes sharing the folder see each other's writes and
// readers never see half a file. A hive file that cannot be read is left alone:
// its keys are unavailable (ERROR_BADDB) until it is repaired.
#pragma once

#include <functional>
#include <string>

#include "registry/registry_tree.h"

// The registry folder: $ANNALIST_REGISTRY, else
// $XDG_CONFIG_HOME/annalist/registry, else $HOME/.config/annalist/registry.
// Empty when none of them is known.
std::string PalRegistryFolder();

// Runs "read" on the current tree of a hive (with the hives locked in this
// process) and returns its result, or the error of reading the hive.
LSTATUS PalReadHive(const std::string& folder, const WideString& rootName,
                    const std::function<LSTATUS(PalRegKeyNode& root)>& read);

// Runs "change" on the current tree of a hive with the writers' lock held
// (between processes too). When it succeeds and sets "changed", the hive file
// is rewritten; the result is then that of writing it.
LSTATUS PalChangeHive(const std::string& folder, const WideString& rootName,
                      const std::function<LSTATUS(PalRegKeyNode& root, bool& changed)>& change);

// A batch of changes to the hives of a folder: from PalBeginHiveBatch until
// PalEndHiveBatch the writers' lock of the folder is held (other processes
// wait to write), changes go to the trees only, and each hive changed is
// written once at the end, atomically as always. So a thousand values cost
// one write instead of a thousand. Ending with keep false drops the changes
// (the hives are read again from their files). One batch at a time; the
// begin fails with ERROR_ALREADY_EXISTS while one is open.
LSTATUS PalBeginHiveBatch(const std::string& folder);
// ERROR_SUCCESS, or the first error of writing a hive.
LSTATUS PalEndHiveBatch(bool keep);
