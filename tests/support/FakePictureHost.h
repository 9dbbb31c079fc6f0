// Stand-ins for the host's picture objects: the reporter that takes
// snapshots (with its object directory and test options), the file-system
// object "Talvex.FileSystemObjMng" and the screen-shot utility "Talvex.SSUtil".
// The last two are made creatable by ProgID for the life of a CFakePictureHost
// (create a test::CPrivateRegistry first on the POSIX layer, or a registry of
// the test's own). Every call they get is recorded, in order, in one log.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/HostPictureInterfaces.h"
#include "pal/interface_ptr.h"
#include "pal/pal.h"
#include "support/ClassRegistration.h"

namespace test {

struct PictureHostState {
    // Every call, e.g. "SaveSnapshot(C:\R\Act0\Row0,1,1,0)"; texts in UTF-8.
    std::vector<std::string> calls;

    // ---- Reporter ----
    HRESULT snapshotResult = S_OK;
    bool snapshotThrows = false;
    std::string snapshotFile = "Snapshot3.png";
    std::string viewerType = "MLFPHandler.MLFPHandler.1";
    // The highlight comes back as text, or as this number when highlightIsText
    // is false.
    bool highlightIsText = true;
    std::string highlightText = "Button \"OK\"";
    LONG highlightNumber = 7;
    // "DefaultTimeout" as the snapshot saw it (text; "-" when there were no
    // options).
    std::string timeoutDuringSnapshot = "-";

    // ---- Object directory and test options ----
    HRESULT directoryResult = S_OK;
    bool giveDirectory = true;
    HRESULT lookupResult = S_OK;
    bool giveOptions = true;
    HRESULT getOptionResult = S_OK;
    // The result of the first SetOption; later ones succeed.
    HRESULT firstSetOptionResult = S_OK;
    int setOptionCalls = 0;
    // The option's current value: VT_I4 20 at first.
    VARTYPE timeoutType = VT_I4;
    LONG timeoutValue = 20;

    // ---- File-system object ----
    bool fileSystemCreatable = true;
    int fileSystemObjects = 0; // created so far
    HRESULT reportPathResult = S_OK;
    // The path given back: the folder, a backslash and the file name, unless
    // this is set (then this text; "<null>" gives a null BSTR).
    std::string reportPath;

    // ---- Screen-shot utility ----
    bool screenShotCreatable = true;
    int screenShotUtilities = 0;
    HRESULT saveBitmapResult = S_OK;
    std::string bitmapFile = "UsersPicture5.png";
    HRESULT endSaveResult = S_OK;

    // The calls as one text, one per line.
    std::string CallText() const;
};

// The CLSIDs the two ProgIDs name here.
extern const CLSID CLSID_FakeFileSystemObjMng;
extern const CLSID CLSID_FakeSSUtil;

class CFakePictureHost {
public:
    CFakePictureHost();
    ~CFakePictureHost();
    CFakePictureHost(const CFakePictureHost&) = delete;
    CFakePictureHost& operator=(const CFakePictureHost&) = delete;

    // Both ProgIDs registered and both class objects in the class table.
    bool Registered() const;
    PictureHostState& State() { return *m_state; }

    // A new reporter with one reference for the caller; withServices gives it
    // the second interface (object directory, test options).
    IUnknown* NewReporter(bool withServices = true);

private:
    class Factory;
    std::shared_ptr<PictureHostState> m_state;
    CInterfacePtr<Factory> m_fileSystemFactory;
    CInterfacePtr<Factory> m_screenShotFactory;
    std::unique_ptr<CScopedClass> m_fileSystemClass;
    std::unique_ptr<CScopedClass> m_screenShotClass;
};

} // namespace test
