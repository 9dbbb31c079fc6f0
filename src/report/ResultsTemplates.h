// The fixed templates of the Results.xml elements and of their optional
// pieces. A piece is either formatted or left empty and then put into the
// larger template; "%s" takes a text, "%d" a signed 32-bit integer.
#pragma once

#include "pal/pal.h"

namespace results_xml {

// ---- Report, General, AdditionalInfo ----
const WCHAR kReportEnd[] = W("</Report>");
const WCHAR kGeneral[] = W("<General%s>%s</General>\r\n");
const WCHAR kGeneralAttributes[] = W(" productName=\"%s\" productVer=\"%s\" os=\"%s\" host=\"%s\"");
const WCHAR kGeneralVaultAttributes[] = W(" vaultserver=\"%s\" vaultproject=\"%s\"");
const WCHAR kDocLocation[] = W("<DocLocation><![CDATA[%s]]></DocLocation>");
const WCHAR kAdditionalInfo[] = W("<AdditionalInfo>\r\n<AdditionalDataName><![CDATA[%s]]></AdditionalDataName>\r\n"
                                  "<AdditionalDataValue><![CDATA[%s]]></AdditionalDataValue>\r\n</AdditionalInfo>\r\n");

// ---- The children that name a business process or a test ----
const WCHAR kDName[] = W("<DName><![CDATA[%s]]></DName>\r\n");
const WCHAR kRes[] = W("<Res><![CDATA[%s]]></Res>\r\n");
const WCHAR kDVer[] = W("<DVer><![CDATA[%s]]></DVer>\r\n");
const WCHAR kTSet[] = W("<TSet><![CDATA[%s]]></TSet>\r\n");
const WCHAR kTInst[] = W("<TInst><![CDATA[%s]]></TInst>\r\n");

// ---- BPT ----
const WCHAR kBptStart[] = W("<BPT%s>\r\n%s%s%s%s");
const WCHAR kRecordId[] = W(" rID=\"T%d\"");
const WCHAR kBptEnd[] = W("</BPT>");

// ---- Doc ----
const WCHAR kDocStart[] = W("<Doc%s>\r\n%s%s%s%s");
const WCHAR kDocAttributes[] = W(" rID=\"T%d\" %s %s %s");
const WCHAR kDocType[] = W(" type= \"%s\" ");
const WCHAR kDocProductName[] = W(" productName= \"%s\" ");
const WCHAR kDocComponentIteration[] = W(" BCIter= \"%d\" ");
const WCHAR kTestDocumentType[] = W("Test");
const WCHAR kRunType[] = W("<RunType %s%s%s%s%s/>");
const WCHAR kRunTypeFromStep[] = W("fmStep=\"True\" ");
const WCHAR kRunTypeBatch[] = W("batch=\"True\" ");
const WCHAR kRunTypeUpdateDescriptions[] = W("upDesc=\"True\" ");
const WCHAR kRunTypeUpdateCheckpoints[] = W("upChk=\"True\" ");
const WCHAR kRunTypeUpdateActiveScreen[] = W("upAS=\"True\" ");
const WCHAR kDocEnd[] = W("%s%s</Doc>\r\n");

// ---- DIter, Action, AIter ----
const WCHAR kTestIterationStart[] = W("<DIter rID=\"T%d\" iterID=\"%d\" >\r\n");
const WCHAR kTestIterationEnd[] = W("%s%s</DIter>\r\n");
const WCHAR kActionStart[] = W("<Action rID=\"T%d\">\r\n%s");
const WCHAR kActionName[] = W("<AName><![CDATA[%s]]></AName>\r\n");
const WCHAR kActionEnd[] = W("%s%s</Action>\r\n");
const WCHAR kActionIterationStart[] = W("<AIter rID=\"T%d\" iterID=\"%d\" >\r\n");
const WCHAR kActionIterationEnd[] = W("%s%s</AIter>\r\n");

// ---- Step, HtmlStep, DT ----
const WCHAR kStepStart[] = W("<Step rID=\"T%d\"%s>\r\n<Obj %s><![CDATA[%s]]></Obj>\r\n<Details %s><![CDATA[%s]]></Details>\r\n"
                             "<Time><![CDATA[%s]]></Time>\r\n");
const WCHAR kStepReturnValue[] = W(" retval=\"%s\"");
const WCHAR kNotPlainText[] = W("plainTxt=\"False\" ");
const WCHAR kTimeTick[] = W("<TimeTick>%d</TimeTick>\r\n");
const WCHAR kStepEnd[] = W("%s</Step>\r\n");
const WCHAR kHtmlStepStart[] = W("<HtmlStep rID=\"T%d\">\r\n<HTML><![CDATA[%s]]></HTML>\r\n");
const WCHAR kHtmlStepEnd[] = W("%s</HtmlStep>\r\n");
const WCHAR kDataTable[] = W("<DT rID=\"T%d\">\r\n%s</DT>\r\n");
// What the object and details texts of a step write in place of "]]>".
const WCHAR kCDataEnd[] = W("]]>");
const WCHAR kCDataEndReplacement[] = W("]]_");

// ---- Summary ----
const WCHAR kSummary[] = W("<Summary %s>%s</Summary>\r\n%s");
const WCHAR kSummaryTimes[] = W("sTime=\"%s\" eTime=\"%s\" ");
const WCHAR kSummaryCounts[] = W("passed=\"%d\" failed=\"%d\" warnings=\"%d\" ");
const WCHAR kSummaryReturnValue[] = W("retval=\"%s\" ");
const WCHAR kSummaryStopped[] = W("stopped=\"True\" ");
const WCHAR kParam[] = W("<Param %s><ParamName><![CDATA[%s]]></ParamName><ParamVal><![CDATA[%s]]></ParamVal>\r\n"
                         "</Param>\r\n");
const WCHAR kParamOut[] = W("paramInOut = \"Out\"");

// ---- NodeArgs ----
const WCHAR kNodeArgs[] = W("<NodeArgs%s%s%s>\r\n%s%s%s</NodeArgs>\r\n");
const WCHAR kNodeArgsBase[] = W(" eType=\"%s\" icon=\"%s\" nRep=\"%s\" ");
const WCHAR kNodeArgsStatus[] = W("status=\"%s\" ");
const WCHAR kNodeArgsNodeType[] = W("nType=\"%s\" ");
const WCHAR kNodeArgsSelectedIcon[] = W("iconSel=\"%s\" ");
const WCHAR kNodeArgsFilterOff[] = W("filter=\"False\" ");
const WCHAR kNodeArgsMovieMarker[] = W("MovieMarker=\"%s\" ");
const WCHAR kNodeArgsSource[] = W("Source=\"%s\" ");
const WCHAR kNodeArgsSourceLine[] = W("SourceLine=\"%s\" ");
const WCHAR kDisp[] = W("<Disp><![CDATA[%s]]></Disp>\r\n");
const WCHAR kTopPane[] = W("<TopPane>\r\n<Path><![CDATA[%s]]></Path>\r\n</TopPane>\r\n");
const WCHAR kBottomPane[] = W("<BtmPane vType=\"%s\">\r\n%s%s%s</BtmPane>\r\n");
const WCHAR kBottomPanePath[] = W("<Path><![CDATA[%s]]></Path>\r\n");
const WCHAR kBottomPaneWR[] = W("<WR><![CDATA[%s]]></WR>\r\n");
const WCHAR kBottomPaneHighlight[] = W("<ASHilite><![CDATA[%s]]></ASHilite>\r\n");
const WCHAR kStatusDone[] = W("Done");
const WCHAR kViewerTypeHtml[] = W("HTML");
const WCHAR kFilterOn[] = W("1");

} // namespace results_xml
