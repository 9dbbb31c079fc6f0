#include "core/StepPictures.h"

#include <memory>

#include "fs/ResultsFolder.h"
#include "pal/variant_holder.h"
#include "text/BstrString.h"
#include "text/CodePageText.h"

namespace {

const char kFunction[] = "CAnnalistImp::SaveUsersPicture";
const char kNoScreenShotUtility[] = "KOV_LOG_ASSERT. Expression: SUCCEEDED(hr) && NULL != m_spSSUtil";
const char kNoFileSystemObject[] = "KOV_LOG_ASSERT. Expression: SUCCEEDED(hr) && NULL != m_spVFS";

// Class contexts of the two host objects.
const DWORD kFileSystemContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER; // 23
const DWORD kScreenShotContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;                  // 3

// The text after a round trip through the process's ANSI code page:
// characters the code page lacks come back as '?'. The text as it is when the
// conversion cannot be made.
CBstrString ThroughAnsiCodePage(BSTR text)
{
    CBstrString original(text);
    std::unique_ptr<char[]> narrow;
    if (WideToCodePage(original.c_str(), CP_ACP, narrow) < 0)
        return original;
    std::unique_ptr<WCHAR[]> wide;
    if (CodePageToWide(narrow.get(), CP_ACP, wide) < 0)
        return original;
    return CBstrString(wide.get());
}

template <class T>
HRESULT CreateByProgId(const WCHAR* progId, DWORD context, REFIID iid, CInterfacePtr<T>& object)
{
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr))
        return hr;
    hr = CoCreateInstance(clsid, nullptr, context, iid, object.OutVoid());
    // A failed creation gives no object, whatever the pointer holds.
    if (FAILED(hr))
        object.Detach();
    return hr;
}

} // namespace

CStepPictures::CStepPictures(ProductLevel level, DiagnosticWriter writer)
    : m_level(level), m_writeDiagnostic(std::move(writer))
{
}

HRESULT CStepPictures::CreateFileSystemObject()
{
    if (m_spVFS)
        return S_OK;
    return CreateByProgId(W("Talvex.FileSystemObjMng"), kFileSystemContext, IID_IKovFileSystemObjMng, m_spVFS);
}

HRESULT CStepPictures::CreateScreenShotUtility()
{
    if (m_spSSUtil)
        return S_OK;
    return CreateByProgId(W("Talvex.SSUtil"), kScreenShotContext, IID_IKovScreenShotUtil, m_spSSUtil);
}

void CStepPictures::WriteDiagnostic(int line, HRESULT hr, const char* message)
{
    if (m_writeDiagnostic)
        m_writeDiagnostic(line, kFunction, hr, message);
}

HRESULT CStepPictures::SaveStepSnapshot(CDescription& description, const CResultsFolder& results,
                                        const WCHAR* stepFolder, EventNode* node, VARIANT* viewType)
{
    if (!node)
        return S_OK;

    // A 16-bit integer used as a flag.
    CVariantValue zero;
    zero.SetI2(0);
    CVariantValue doSave;
    description.ReadValue(keys::DoSaveSnapShot, VT_I2, zero.Get(), doSave.Get());
    if (V_VT(doSave.Get()) != VT_I2 || V_I2(doSave.Get()) == 0)
        return S_OK;

    if (!description.Has(keys::ReporterDispatch))
        return S_OK;
    CVariantValue reporterValue;
    description.ReadRaw(keys::ReporterDispatch, reporterValue.Get());
    IUnknown* reporter = ObjectOfValue(reporterValue.Get());
    if (!reporter)
        return S_OK;
    CInterfacePtr<IKovSnapshotReporter> snapshots;
    if (FAILED(reporter->QueryInterface(IID_IKovSnapshotReporter, snapshots.OutVoid())) || !snapshots)
        return S_OK;

    // A step keeps a file the host gave it.
    if (!node->bottomFilePath.IsEmpty())
        return S_OK;

    CBstrString folder = results.Join(stepFolder);
    CBstrString fileName, viewerType;
    CVariantValue highlight;
    HRESULT hr = TakeSnapshot(reporter, snapshots.Get(), folder.Get(), fileName.Out(), highlight.Get(), viewerType.Out());
    if (FAILED(hr))
        return hr;

    if (viewType) {
        VariantClear(viewType);
        V_VT(viewType) = VT_BSTR;
        V_BSTR(viewType) = viewerType.Detach();
    }
    if (V_VT(highlight.Get()) == VT_BSTR) {
        node->highlightText = CBstrString::FromBstr(V_BSTR(highlight.Get()));
    } else {
        CVariantValue text;
        if (SUCCEEDED(VariantChangeType(text.Get(), highlight.Get(), 0, VT_BSTR)))
            node->highlightText = CBstrString::FromBstr(V_BSTR(text.Get()));
    }

    CreateFileSystemObject();
    if (!m_spVFS)
        return E_FAIL;
    CBstrString relative(stepFolder);
    CBstrString path;
    hr = m_spVFS->GetReportFilePath(relative.Get(), fileName.Get(), path.Out());
    if (FAILED(hr))
        return hr;
    node->bottomFilePath = ThroughAnsiCodePage(path.Get());
    return S_OK;
}

HRESULT CStepPictures::TakeSnapshot(IUnknown* reporter, IKovSnapshotReporter* snapshots, BSTR folder,
                                    BSTR* fileName, VARIANT* highlight, BSTR* viewerType)
{
    CBstrString section(W(""));
    CBstrString timeoutName(W("DefaultTimeout"));
    CInterfacePtr<IKovTestOptions> options;
    CVariantValue savedTimeout;

    // With the reporter's second interface, the test options' timeout is 0
    // while the snapshot is taken.
    CInterfacePtr<IKovReporterServices> services;
    if (SUCCEEDED(reporter->QueryInterface(IID_IKovReporterServices, services.OutVoid())) && services) {
        CInterfacePtr<IKovObjectDirectory> directory;
        HRESULT hr = services->GetObjectDirectory(directory.Out());
        if (FAILED(hr))
            return hr;
        if (!directory)
            return E_FAIL;
        CBstrString optionsName(W("TestOptions"));
        hr = directory->LookupObject(optionsName.Get(), IID_IKovTestOptions, options.OutVoid());
        if (FAILED(hr))
            return hr;
        if (!options)
            return E_FAIL;
        hr = options->GetOption(section.Get(), timeoutName.Get(), savedTimeout.Get(), 0, 0);
        if (FAILED(hr))
            return hr;
        CVariantValue zero;
        zero.SetI4(0);
        hr = options->SetOption(section.Get(), timeoutName.Get(), *zero.Get(), 0, 0, 0, 3, 0);
        if (FAILED(hr))
            return hr;
    }

    HRESULT hr;
    try {
        hr = snapshots->SaveSnapshot(folder, 1, 1, fileName, highlight, viewerType, 0);
    } catch (...) {
        hr = E_FAIL;
    }
    // Once changed, the option is restored on every path; the result of the
    // restoring call is not examined.
    if (options)
        options->SetOption(section.Get(), timeoutName.Get(), *savedTimeout.Get(), 0, 0, 0, 3, 0);
    return hr;
}

HRESULT CStepPictures::SaveUsersPicture(CDescription& description, const CResultsFolder& results,
                                        const WCHAR* stepFolder, EventNode* node)
{
    if (m_level != ProductLevel::Current)
        return S_FALSE;
    if (!description.IsPresent() || !node)
        return E_INVALIDARG;

    LONG bitmap = 0;
    if (!description.ReadInt(keys::UsersPictureHbitmap, bitmap, 0) || bitmap == 0)
        return S_FALSE;
    if (bitmap == -1)
        return E_FAIL;

    HRESULT hr = CreateScreenShotUtility();
    if (FAILED(hr) || !m_spSSUtil) {
        WriteDiagnostic(__LINE__, hr, kNoScreenShotUtility);
        return FAILED(hr) ? hr : E_FAIL;
    }

    CBstrString folder = results.Join(stepFolder);
    CBstrString baseName(W("UsersPicture"));
    CBstrString fileName;
    hr = m_spSSUtil->SaveBitmap(folder.Get(), baseName.Get(), bitmap, 2, fileName.Out());
    if (FAILED(hr))
        return hr;
    hr = m_spSSUtil->EndSave(0);
    if (FAILED(hr))
        return hr;

    hr = CreateFileSystemObject();
    if (FAILED(hr) || !m_spVFS) {
        WriteDiagnostic(__LINE__, hr, kNoFileSystemObject);
        return FAILED(hr) ? hr : E_FAIL;
    }
    CBstrString relative(stepFolder);
    CBstrString path;
    hr = m_spVFS->GetReportFilePath(relative.Get(), fileName.Get(), path.Out());
    if (FAILED(hr) || path.IsEmpty())
        return hr;
    node->bottomFilePath = path;
    return S_OK;
}
