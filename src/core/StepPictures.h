// CStepPictures: the pictures of a step, which the logger never takes or
// encodes itself. It asks the host's objects and records where the result
// went:
// - the snapshot of the application under test, taken by the host's reporter
//   ("ReporterDispatch") when the description asks for it ("DoSaveSnapShot");
//   the test option "DefaultTimeout" is 0 while it is taken;
// - the picture a user's script hands over as a bitmap handle
//   ("UsersPictureHbitmap"), saved by the screen-shot utility "Talvex.SSUtil".
// The file name that comes back becomes the step's bottom-pane file path
// through the file-system object "Talvex.FileSystemObjMng". Both objects are
// created on first use and kept for the life of this object (a failed
// creation is tried again next time). Everything runs on the logging thread.
#pragma once

#include <functional>

#include "core/Description.h"
#include "host/HostPictureInterfaces.h"
#include "pal/interface_ptr.h"
#include "pal/pal.h"
#include "report/EventNode.h"
#include "report/ProductLevel.h"

class CResultsFolder;

class CStepPictures {
public:
    // One line of the host's diagnostic log for a failed check: the source
    // line, the function name, the HRESULT and the message.
    typedef std::function<void(int line, const char* function, HRESULT hr, const char* message)> DiagnosticWriter;

    explicit CStepPictures(ProductLevel level = ProductLevel::Current, DiagnosticWriter writer = nullptr);
    CStepPictures(const CStepPictures&) = delete;
    CStepPictures& operator=(const CStepPictures&) = delete;

    // Where the diagnostic lines go (nowhere until set).
    void SetDiagnosticWriter(DiagnosticWriter writer) { m_writeDiagnostic = std::move(writer); }

    // The snapshot of a step. stepFolder is relative to the results folder; viewType is the step's kept "ViewType" value, replaced by the
    // snapshot's viewer type. S_OK when no snapshot is asked for or possible;
    // a failure leaves the node without a snapshot. A failing description
    // raises CDescriptionFailure before any host object is called.
    HRESULT SaveStepSnapshot(CDescription& description, const CResultsFolder& results, const WCHAR* stepFolder,
                             EventNode* node, VARIANT* viewType);

    // The user's picture of a step: S_OK recorded, S_FALSE none asked for (and
    // always at the earlier product level), a failure code otherwise.
    HRESULT SaveUsersPicture(CDescription& description, const CResultsFolder& results, const WCHAR* stepFolder,
                             EventNode* node);

    bool HasFileSystemObject() const noexcept { return static_cast<bool>(m_spVFS); }
    bool HasScreenShotUtility() const noexcept { return static_cast<bool>(m_spSSUtil); }

private:
    // Creates the object when it does not exist yet; the creation's HRESULT.
    HRESULT CreateFileSystemObject();
    HRESULT CreateScreenShotUtility();
    // The snapshot call with the test options' "DefaultTimeout" at 0 (when the
    // reporter leads to them) and restored afterwards.
    HRESULT TakeSnapshot(IUnknown* reporter, IKovSnapshotReporter* snapshots, BSTR folder, BSTR* fileName,
                         VARIANT* highlight, BSTR* viewerType);
    void WriteDiagnostic(int line, HRESULT hr, const char* message);

    const ProductLevel m_level;
    CInterfacePtr<IKovFileSystemObjMng> m_spVFS;
    CInterfacePtr<IKovScreenShotUtil> m_spSSUtil;
    DiagnosticWriter m_writeDiagnostic;
};
