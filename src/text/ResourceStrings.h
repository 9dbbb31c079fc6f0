// The library's string table: the module that holds it, loading a string by
// id, the ids, and the operating-system names.
#pragma once

#include "pal/pal.h"
#include "text/BstrString.h"

// String ids of the library's string table (texts in src/resources/strings.h).
enum : UINT {
    IDS_PROJNAME = 100,                // "Annalist"
    IDS_OS_WINDOWS_VISTA = 101,        // "Windows Vista"
    IDS_TEST = 113,                    // "Test"
    IDS_SCOPE_SUMMARY_NAME = 114,      // "%s %s%s Summary" (label, name, suffix)
    IDS_TEST_ITERATION_NAME = 115,     // "%s Iteration %u (Row %u)" (the test's iterations)
    IDS_SCOPE_ITERATION_NAME = 139,    // "%s Iteration %u (Row %u)" (other scopes' iterations)
    IDS_STATUS_PASSED = 246,           // "Passed"
    IDS_STATUS_FAILED = 247,           // "Failed"
    IDS_STATUS_DONE = 249,             // "Done"
    IDS_STATUS_WARNING = 250,          // "Warning"
    IDS_STATUS_INFORMATION = 251,      // "Information"
    IDS_INVALID_EVENT_STATUS = 265,    // "%d is an invalid value for the EventStatus argument (argument 1)."
    IDS_DETAILS_PAGE_HEADER = 268,     // the header of the step-details HTML page
    IDS_DETAILS_PAGE_FOOTER = 269,     // "</body></html>"
    IDS_CHECKPOINT_TIMEOUT_ROW = 270,  // the checkpoint-timeout row of the step page ("%d", "%d")
    IDS_CHECKPOINT_NAME = 272,         // "Checkpoint %s"
    IDS_OUTPUT_NAME = 273,             // "Output %s"
    IDS_OLD_FORMAT_MESSAGE = 274,      // the message of the old-format stub report
    IDS_NOT_INITIALIZED = 275,         // "<Not Initialized>"
    IDS_BUSINESS_COMPONENT = 276,      // "Business Component"
    IDS_COMPONENT_ITERATION_SUFFIX = 277, // " (#%d)"
    IDS_BUSINESS_PROCESS = 278,        // "Business Process"
    IDS_SUMMARY_NAME = 279,            // "%s Summary"
    IDS_OS_WINDOWS_ME = 280,           // "Windows Millennium"
    IDS_OS_WINDOWS_2000 = 281,         // "Windows 2000"
    IDS_OS_WINDOWS_NT4 = 282,          // "Windows NT version 4.0"
    IDS_OS_WINDOWS_XP = 283,           // "Windows XP"
    IDS_OS_WINDOWS_2003 = 284,         // "Windows 2003"
    IDS_RESULTS_PATH_TOO_LONG = 34451, // the warning about a too long results folder path
    IDS_DISK_FULL_ON_DRIVE = 34452,    // the disk-space prompt naming the drive ("%s")
    IDS_DISK_FULL = 34453,             // the disk-space prompt without a drive
    IDS_RESULTS_LOST = 34460,          // "The results could not be written completely: %s" (the reason)
    IDS_LOST_FOLDER_IN_USE = 34461,    // the reason: another run writes into the folder
    IDS_LOST_DISK_FULL = 34462,        // the reason: the disk is full
    IDS_LOST_RESULTS_ERROR = 34463,    // the reason: Results.xml failed with error "%d"
    IDS_LOST_NOT_A_REPORT = 34464,     // the reason: Results.xml is not a report
    IDS_LOST_GENERAL_INFO = 34465,     // the reason: GeneralInfo.ini failed with error "%d"
};

// The module whose string table the library loads from: the one set by
// SetResourceModule, else PAL_GetLibraryModule(). Safe from any thread.
HMODULE GetResourceModule() noexcept;
// Set by the module's initialisation; null goes back to the default.
void SetResourceModule(HMODULE module) noexcept;

// String id of the library's string table, loaded from GetResourceModule();
// an empty text when it is missing.
CBstrString LoadResourceString(UINT id) noexcept;

// The operating-system name for an operating-system code: 4 Windows NT 4.0,
// 5 Windows 2000, 6 Windows Millennium, 7 Windows XP, 8 Windows Server 2003,
// 9 Windows Vista; any other code has none.
// The string id (0 when the code has no name) and the name (empty then).
UINT OperatingSystemNameId(int code) noexcept;
CBstrString OperatingSystemName(int code) noexcept;
