// Services of the command-line tool that differ between the platforms: a
// private registry for the process, the console (terminal detection, UTF-8
// output and arguments, Ctrl-C) and running another program (the tool's tests
// run the built tool with it). Texts are UTF-8 here.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "pal/pal.h"

// ---- Private registry ----
// From PAL_BeginPrivateRegistry until PAL_EndPrivateRegistry the process's
// registry settings live in a new, empty store of its own that no other
// process sees and that PAL_EndPrivateRegistry removes:
// - POSIX: a new temporary folder that ANNALIST_REGISTRY names (every hive;
//   the variable's earlier value comes back at the end).
// - Windows: HKEY_LOCAL_MACHINE is redirected for the process
//   (RegOverridePredefKey) to a new volatile key under HKEY_CURRENT_USER, so
//   only HKEY_LOCAL_MACHINE is private there. Keys created below it must be
//   created with REG_OPTION_VOLATILE (a volatile key takes no other children).
//   The store starts with a copy of the machine's computer-name keys, which
//   the system reads through HKEY_LOCAL_MACHINE (under Wine), so that
//   GetComputerNameW keeps answering.
// Returns ERROR_SUCCESS or the error code; `where` names the store (for
// messages). A second begin without an end fails with ERROR_ALREADY_EXISTS.
LONG PAL_BeginPrivateRegistry(std::string& where);
// Removes the store and restores the process's own registry; does nothing
// without a begin.
void PAL_EndPrivateRegistry();

// ---- Registry batch ----
// Between PAL_BeginRegistryBatch and PAL_EndRegistryBatch(true) many registry
// writes of the process (an import of settings) cost about one: on POSIX the
// hives of the registry folder are locked against other writers for the
// time, changed in memory and each written once at the end (atomically, as
// every write is); on Windows the registry needs no such help and the calls
// do nothing. Ending with keep false drops the changes on POSIX (use it after
// a failure). Both return ERROR_SUCCESS or the error (End: of writing).
LONG PAL_BeginRegistryBatch();
LONG PAL_EndRegistryBatch(bool keep);

// ---- Console ----
// True when the stream is an interactive terminal (a console window on
// Windows; not a file, pipe or the null device).
bool PAL_IsTerminal(FILE* stream);

// ---- The user ----
// The user's home folder (UTF-8), as the environment names it; empty when it
// names none.
std::string PAL_HomeFolder();
// The program's arguments as UTF-8 (on Windows from the UTF-16 command line,
// so that names outside the ANSI code page survive).
std::vector<std::string> PAL_Utf8Arguments(int argc, char** argv);
// Makes UTF-8 text written to stdout and stderr show correctly on a console
// (Windows: the console's output code page, restored at exit).
void PAL_UseUtf8Console();
// A write to a closed pipe (`annalist ... | head`) fails with an error
// instead of ending the process (POSIX: SIGPIPE is ignored).
void PAL_IgnoreBrokenPipe();
// From the first call on, Ctrl-C (and on POSIX SIGTERM) sets a flag that
// PAL_Interrupted reports instead of ending the process, and makes message
// boxes give their unattended answer (Cancel) at once, also one that is
// waiting for an answer on the terminal (POSIX), so that the program can end
// its work and exit promptly; a second Ctrl-C ends the process as usual.
void PAL_WatchInterrupt();
bool PAL_Interrupted();
// The exit status that tells how the process was interrupted (130 for
// Ctrl-C/SIGINT, 143 for SIGTERM); 0 when it was not.
int PAL_InterruptExitStatus();

// ---- Running a program ----
// Runs the program with the arguments (arguments[0] is the program's path),
// standard input read from inputFile (empty: nothing), standard output and
// standard error written to the two files (created or truncated), and waits
// for it. Returns true and the exit
// status; false when the program could not be started. A program ended by a
// signal (POSIX) gives 128 + the signal number.
bool PAL_RunProgram(const std::vector<std::string>& arguments, const std::string& outputFile,
                    const std::string& errorFile, int& exitStatus, const std::string& inputFile = std::string());
