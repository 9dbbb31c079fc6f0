// The host's objects that take and file the pictures of a step: the reporter
// that takes snapshots (handed over as "ReporterDispatch"), the test options
// it leads to, the file-system object ("Talvex.FileSystemObjMng") and the
// screen-shot utility ("Talvex.SSUtil"). Their identifiers and the methods
// around the ones the logger calls belong to the host; only the positions and
// arguments of the called methods matter, so the other slots are declared as
// placeholders that the logger never calls.
#pragma once

#include "pal/pal.h"

extern "C" const IID IID_IKovSnapshotReporter;
extern "C" const IID IID_IKovReporterServices;
extern "C" const IID IID_IKovObjectDirectory;
extern "C" const IID IID_IKovTestOptions;
extern "C" const IID IID_IKovFileSystemObjMng;
extern "C" const IID IID_IKovScreenShotUtil;

// The reporter's snapshot interface.
struct IKovSnapshotReporter : public IUnknown {
    // Method 1: takes a snapshot of the application under test into folder
    // (absolute) and gives the file name, the highlight of the active screen
    // and the viewer type of the picture. The logger passes 1, 1 and 0 for the
    // three options.
    STDMETHOD(SaveSnapshot)(BSTR folder, LONG option1, LONG option2, BSTR* fileName, VARIANT* highlight,
                            BSTR* viewerType, LONG option3) = 0;
};

// The host's named objects.
struct IKovObjectDirectory : public IUnknown {
    STDMETHOD(Reserved1)() = 0;
    // Method 2: the object registered under name, asked for the interface iid.
    STDMETHOD(LookupObject)(BSTR name, REFIID iid, void** object) = 0;
};

// The reporter's second interface.
struct IKovReporterServices : public IUnknown {
    // Method 1: the host's directory of named objects.
    STDMETHOD(GetObjectDirectory)(IKovObjectDirectory** directory) = 0;
};

// Placeholders for the methods of a host interface that the logger never
// calls: an interface whose first called method is method 14 derives from
// IKovUncalled13, one whose first is method 28 from IKovUncalled27.
#define KOV_UNCALLED_METHOD(n) STDMETHOD(Reserved##n)() = 0;

struct IKovUncalled13 : public IUnknown {
    KOV_UNCALLED_METHOD(1) KOV_UNCALLED_METHOD(2) KOV_UNCALLED_METHOD(3) KOV_UNCALLED_METHOD(4)
    KOV_UNCALLED_METHOD(5) KOV_UNCALLED_METHOD(6) KOV_UNCALLED_METHOD(7) KOV_UNCALLED_METHOD(8)
    KOV_UNCALLED_METHOD(9) KOV_UNCALLED_METHOD(10) KOV_UNCALLED_METHOD(11) KOV_UNCALLED_METHOD(12)
    KOV_UNCALLED_METHOD(13)
};

struct IKovUncalled27 : public IKovUncalled13 {
    KOV_UNCALLED_METHOD(14) KOV_UNCALLED_METHOD(15) KOV_UNCALLED_METHOD(16) KOV_UNCALLED_METHOD(17)
    KOV_UNCALLED_METHOD(18) KOV_UNCALLED_METHOD(19) KOV_UNCALLED_METHOD(20) KOV_UNCALLED_METHOD(21)
    KOV_UNCALLED_METHOD(22) KOV_UNCALLED_METHOD(23) KOV_UNCALLED_METHOD(24) KOV_UNCALLED_METHOD(25)
    KOV_UNCALLED_METHOD(26) KOV_UNCALLED_METHOD(27)
};

#undef KOV_UNCALLED_METHOD

// The options of the running test ("TestOptions" in the object directory).
struct IKovTestOptions : public IKovUncalled27 {
    // Method 28: reads an option. The logger passes 0 and 0 for the flags.
    STDMETHOD(GetOption)(BSTR section, BSTR name, VARIANT* value, LONG flags1, LONG flags2) = 0;
    // Method 29: writes an option. The logger passes 0, 0, 0, 3 and 0.
    STDMETHOD(SetOption)(BSTR section, BSTR name, VARIANT value, LONG flags1, LONG flags2, LONG flags3,
                         LONG scope, LONG flags4) = 0;
};

// The host's file-system object.
struct IKovFileSystemObjMng : public IKovUncalled13 {
    // Method 14: the path by which the report names a file of the results:
    // folder relative to the results folder, the file's name.
    STDMETHOD(GetReportFilePath)(BSTR folder, BSTR fileName, BSTR* path) = 0;
};

// The host's screen-shot utility.
struct IKovScreenShotUtil : public IKovUncalled13 {
    // Method 14: ends the work of a save; the logger passes 0.
    STDMETHOD(EndSave)(LONG reserved) = 0;
    // Method 15: saves a bitmap (a handle valid in this process, as a 32-bit
    // value) into folder (absolute) under a name made from baseName, and
    // gives the file name. The logger passes 2 as the format.
    STDMETHOD(SaveBitmap)(BSTR folder, BSTR baseName, LONG bitmap, LONG format, BSTR* fileName) = 0;
};
