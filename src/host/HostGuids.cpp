// The identifiers of the host's interfaces that the logger calls.
#include "host/ExecutionEngine.h"
#include "host/HostApplication.h"
#include "host/HostInterfaces.h"
#include "host/HostPictureInterfaces.h"
#include "text/GuidLiteral.h"

extern "C" {
// ---- The host application ----
const CLSID CLSID_QlxApplication = GuidFromText("94F8A015-2338-4006-BE10-ED16959E3854");
const IID IID_IQlxApplication = GuidFromText("32311D01-2768-40F0-B2BD-CD19C53E3676");

// ---- Objects in event descriptions ----
const IID IID_IKovCustomReport = GuidFromText("270F3C37-4736-4DFA-9894-03F6B2AEE6CE");
const IID IID_IKovParameters = GuidFromText("B38C4DE5-7DA5-4AE2-99D8-6BEFEAA3F31E");
const IID IID_IKovParameterCollection = GuidFromText("33F7A738-E2D1-4729-8795-C0BAAB673DEC");
const IID IID_IKovParameter = GuidFromText("4FE000D0-32F7-487E-84ED-6FC2C56C1F32");

// ---- Picture objects ----
const IID IID_IKovSnapshotReporter = GuidFromText("95331006-929A-424A-ABDE-3E876958EE2E");
const IID IID_IKovReporterServices = GuidFromText("3FDC5DD6-1E33-44FB-B4C9-A230A9002501");
const IID IID_IKovObjectDirectory = GuidFromText("3808DDA2-5999-43BE-9C4D-2DECAE3B3C22");
const IID IID_IKovTestOptions = GuidFromText("6364A7F4-940C-45BC-9987-A0E7317C9521");
const IID IID_IKovFileSystemObjMng = GuidFromText("5C077C14-BEEF-4EAE-BCB2-04A5C8CF6FB2");
const IID IID_IKovScreenShotUtil = GuidFromText("8EF5B5DE-7FB2-4D1B-B87F-0ED56B06043E");

// ---- The execution engine ----
const IID IID_IQlxExecutionInfo = GuidFromText("322D175C-53D1-485B-BAF6-69BC95E033FC");
const IID IID_IQlxContextStack = GuidFromText("3B95084D-131C-46C2-9774-068A4B4191B0");
const IID IID_IQlxContextItem = GuidFromText("867732FE-0334-49B9-95AC-E887648A30E9");
const IID IID_IQlxLineTranslator = GuidFromText("F6DC03E1-C3AF-44A1-A82A-80DD683196D4");
}
