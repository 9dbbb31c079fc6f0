#include "report/ResultsPrologue.h"

#include <cstdio>
#include <string>
#include <vector>

#include "report/XmlText.h"

namespace {

// One group of the internal subset: its lines joined by CR LF, at the current
// level and at the earlier level (null: the same; empty: no such group).
struct DeclarationGroup {
    const WCHAR* current;
    const WCHAR* earlier;
};

const DeclarationGroup kDeclarationGroups[] = {
    // 1
    {W("<!ELEMENT Report (General ,(Doc|BPT)) >") W("\r\n")
        W("<!ATTLIST Report ver CDATA #REQUIRED tmZone CDATA #REQUIRED>"), nullptr},
    // 2
    {W("<!ELEMENT General ( DocLocation ) >") W("\r\n")
        W("<!ATTLIST General productName CDATA #REQUIRED productVer CDATA #REQUIRED os CDATA #REQUIRED host CDATA #REQUIRED vaultserver CDATA #IMPLIED vaultproject CDATA #IMPLIED  >"),
     W("<!ELEMENT General ( DocLocation ) >") W("\r\n")
        W("<!ATTLIST General productName CDATA #REQUIRED productVer CDATA #REQUIRED os CDATA #REQUIRED host CDATA #REQUIRED>")},
    // 3
    {W("<!ELEMENT BPT (DName,Res,DVer?,TSet?,TInst?,NodeArgs,AdditionalInfo*,Doc*) >") W("\r\n")
        W("<!ATTLIST BPT rID ID #REQUIRED >"), nullptr},
    // 4
    {W("<!ELEMENT Doc (DName,Res,DVer?,TSet?,TInst?,RunType?,DT?,AdditionalInfo*,Step*,DIter*,Step*,Action*,Summary?,TestMaintenanceSummary*,NodeArgs?) >") W("\r\n")
        W("<!ATTLIST Doc rID ID #REQUIRED type (Test|BC) \"Test\" productName CDATA #REQUIRED BCIter CDATA #IMPLIED >"), nullptr},
    // 5
    {W("<!ELEMENT RunType ( #PCDATA )>") W("\r\n")
        W("<!ATTLIST RunType fmStep (False|True) \"False\" batch (False|True) \"False\" upDesc (False|True) \"False\" upChk (False|True) \"False\" upAS (False|True) \"False\">"), nullptr},
    // 6
    {W("<!ELEMENT DName ( #PCDATA ) >"), nullptr},
    // 7
    {W("<!ELEMENT Res ( #PCDATA ) >"), nullptr},
    // 8
    {W("<!ELEMENT AdditionalInfo (AdditionalDataName,AdditionalDataValue ) >"), nullptr},
    // 9
    {W("<!ELEMENT AdditionalDataName ( #PCDATA ) >"), nullptr},
    // 10
    {W("<!ELEMENT AdditionalDataValue ( #PCDATA ) >"), nullptr},
    // 11
    {W("<!ELEMENT DVer ( #PCDATA ) >"), nullptr},
    // 12
    {W("<!ELEMENT TSet ( #PCDATA ) >"), nullptr},
    // 13
    {W("<!ELEMENT TInst ( #PCDATA ) >"), nullptr},
    // 14
    {W("<!ELEMENT DIter (Step?,Action+,Summary?,NodeArgs)>") W("\r\n")
        W("<!ATTLIST DIter rID ID #REQUIRED iterID CDATA #REQUIRED>"), nullptr},
    // 15
    {W("<!ELEMENT DocLocation ( #PCDATA )>"), nullptr},
    // 16
    {W("<!ELEMENT Action (AName,AIter*,(Step|HtmlStep|Action)*,Summary,ActionMaintenanceSummary*,NodeArgs ) >") W("\r\n")
        W("<!ATTLIST Action rID ID #REQUIRED>"), nullptr},
    // 17
    {W("<!ELEMENT AIter ((Step|HtmlStep|Action)*,Summary?,NodeArgs) >") W("\r\n")
        W("<!ATTLIST AIter rID ID #REQUIRED iterID CDATA #REQUIRED>"), nullptr},
    // 18
    {W("<!ELEMENT AName ( #PCDATA ) >"), nullptr},
    // 19
    {W("<!ELEMENT TestMaintenanceSummary (ActionMaintenanceSummary*) >") W("\r\n")
        W("<!ATTLIST TestMaintenanceSummary ObjectsAdded CDATA #REQUIRED ObjectsUpdated CDATA #REQUIRED StepsUpdated CDATA #REQUIRED StepsComments CDATA #REQUIRED><!ELEMENT ActionMaintenanceSummary (ObjectChange* ) >") W("\r\n")
        W("<!ATTLIST ActionMaintenanceSummary Action CDATA #REQUIRED Objects CDATA #REQUIRED Updated CDATA #REQUIRED LinesTotal CDATA #REQUIRED Added CDATA #REQUIRED LinesUpdated CDATA #REQUIRED>"),
     W("<!ELEMENT TestMaintenanceSummary (ActionMaintenanceSummary) >") W("\r\n")
        W("<!ATTLIST TestMaintenanceSummary ObjectsAdded CDATA #REQUIRED ObjectsUpdated CDATA #REQUIRED StepsUpdated CDATA #REQUIRED StepsComments CDATA #REQUIRED><!ELEMENT ActionMaintenanceSummary (ObjectChange* ) >") W("\r\n")
        W("<!ATTLIST ActionMaintenanceSummary Action CDATA #REQUIRED Objects CDATA #REQUIRED Updated CDATA #REQUIRED LinesTotal CDATA #REQUIRED Added CDATA #REQUIRED LinesUpdated CDATA #REQUIRED>")},
    // 20
    {W("<!ELEMENT ObjectChange  (Hierarchy, PropertyChangeList* ) >") W("\r\n")
        W("<!ATTLIST ObjectChange Operation CDATA #IMPLIED OriginalRepository CDATA #IMPLIED>"), nullptr},
    // 21
    {W("<!ELEMENT PropertyChangeList (PropertyDef*) >"),
     W("<!ELEMENT PropertyChangeList (PropertyDef) >")},
    // 22
    {W("<!ELEMENT PropertyDef (OriginalValue, NewValue) >") W("\r\n")
        W("<!ATTLIST PropertyDef PropName CDATA #REQUIRED OriginRegularExpression (True|False) \"False\" NewRegularExpression (True|False) \"False\" AddedProperty (True|False) \"False\" >"),
     W("<!ELEMENT PropertyDef (OriginalValue, NewValue) >") W("\r\n")
        W("<!ATTLIST PropertyDef PropName CDATA #REQUIRED OriginRegularExpression (True|False) \"False\" NewRegularExpression (True|False) \"False\" >")},
    // 23
    {W("<!ELEMENT OriginalValue ( #PCDATA )>"), nullptr},
    // 24
    {W("<!ELEMENT NewValue ( #PCDATA )>"), nullptr},
    // 25
    {W("<!ELEMENT Hierarchy  (ObjectName, Hierarchy*) >") W("\r\n")
        W("<!ATTLIST Hierarchy KovClass CDATA #REQUIRED>"), nullptr},
    // 26
    {W("<!ELEMENT ObjectName  ( #PCDATA ) >"), nullptr},
    // 27
    {W("<!ELEMENT Step (Obj,Details,Time,TimeTick* ,(Step|HtmlStep|Doc)*,NodeArgs) >") W("\r\n")
        W("<!ATTLIST Step rID ID #REQUIRED retval CDATA #IMPLIED>"),
     W("<!ELEMENT Step (Obj,Details,Time,(Step|HtmlStep|Doc)*,NodeArgs) >") W("\r\n")
        W("<!ATTLIST Step rID ID #REQUIRED retval CDATA #IMPLIED>")},
    // 28
    {W("<!ELEMENT HtmlStep (HTML,TimeTick*,(Step|HtmlStep|Doc)*,NodeArgs) >") W("\r\n")
        W("<!ATTLIST HtmlStep rID ID #REQUIRED >"),
     W("<!ELEMENT HtmlStep (HTML,(Step|HtmlStep|Doc)*,NodeArgs) >") W("\r\n")
        W("<!ATTLIST HtmlStep rID ID #REQUIRED >")},
    // 29
    {W("<!ELEMENT Obj ( #PCDATA ) >") W("\r\n")
        W("<!ATTLIST Obj plainTxt (False|True) \"True\">"), nullptr},
    // 30
    {W("<!ELEMENT Details ( #PCDATA ) >") W("\r\n")
        W("<!ATTLIST Details plainTxt (False|True) \"True\">"), nullptr},
    // 31
    {W("<!ELEMENT Time ( #PCDATA ) >"), nullptr},
    // 32
    {W("<!ELEMENT HTML ( #PCDATA ) >"), nullptr},
    // 33
    {W("<!ELEMENT Disp ( #PCDATA ) >"), nullptr},
    // 34
    {W("<!ELEMENT TimeTick ( #PCDATA ) >"),
     W("")},
    // 35
    {W("<!ELEMENT NodeArgs (Disp,TopPane?,BtmPane?)>") W("\r\n")
        W("<!ATTLIST NodeArgs eType CDATA #REQUIRED icon CDATA #REQUIRED nRep CDATA #REQUIRED filter (False|True) \"True\">") W("\r\n")
        W("<!ATTLIST NodeArgs status (Passed|Failed|Done|Warning|Information) \"Done\">") W("\r\n")
        W("<!ATTLIST NodeArgs iconSel CDATA #IMPLIED nType CDATA #IMPLIED MovieMarker CDATA \"\">") W("\r\n")
        W("<!ATTLIST NodeArgs Source CDATA #IMPLIED SourceLine CDATA #IMPLIED >"),
     W("<!ELEMENT NodeArgs (Disp,TopPane?,BtmPane?)>") W("\r\n")
        W("<!ATTLIST NodeArgs eType CDATA #REQUIRED icon CDATA #REQUIRED nRep CDATA #REQUIRED filter (False|True) \"True\">") W("\r\n")
        W("<!ATTLIST NodeArgs status (Passed|Failed|Done|Warning|Information) \"Done\">") W("\r\n")
        W("<!ATTLIST NodeArgs iconSel CDATA #IMPLIED nType CDATA #IMPLIED MovieMarker CDATA \"\">")},
    // 36
    {W("<!ELEMENT TopPane (Path)>"), nullptr},
    // 37
    {W("<!ELEMENT BtmPane ( (Path|WR)?,ASHilite?)>") W("\r\n")
        W("<!ATTLIST BtmPane vType CDATA \"HTML\">"), nullptr},
    // 38
    {W("<!ELEMENT Path ( #PCDATA ) >"), nullptr},
    // 39
    {W("<!ELEMENT ASHilite ( #PCDATA ) >"), nullptr},
    // 40
    {W("<!ELEMENT WR ( #PCDATA ) >"), nullptr},
    // 41
    {W("<!ELEMENT DT (NodeArgs) >") W("\r\n")
        W("<!ATTLIST DT rID ID #REQUIRED>"), nullptr},
    // 42
    {W("<!ELEMENT Summary (Param*)>") W("\r\n")
        W("<!ATTLIST Summary sTime CDATA #IMPLIED eTime CDATA #IMPLIED passed CDATA #IMPLIED failed CDATA #IMPLIED warnings CDATA #IMPLIED retval CDATA #IMPLIED stopped (False|True) \"False\" >"), nullptr},
    // 43
    {W("<!ELEMENT Param (ParamName,ParamVal)+ >") W("\r\n")
        W("<!ATTLIST Param paramInOut (In|Out) \"In\">"), nullptr},
    // 44
    {W("<!ELEMENT ParamName ( #PCDATA ) >"), nullptr},
    // 45
    {W("<!ELEMENT ParamVal ( #PCDATA ) >"), nullptr},
};

const WCHAR kPrologueStart[] = W("<?xml version=\"1.0\"?>\r\n<!DOCTYPE Report\r\n[\r\n");
const WCHAR kPrologueEnd[] = W("]\r\n>\r\n<Report ver=\"2.0\" tmZone=\"%s\">\r\n");
const WCHAR kPrologueAround[] = W("<?xml version=\"1.0\"?>\r\n %s <Report ver=\"2.0\" tmZone=\"%s\">\r\n");
const WCHAR kExternalDeclarationName[] = W("external.dtd");
const size_t kDeclarationBlockBytes = 60000;

} // namespace

void BuildResultsPrologue(ProductLevel level, const WCHAR* timeZoneName, CBstrString& text) noexcept
{
    CBstrString prologue(kPrologueStart);
    for (const DeclarationGroup& group : kDeclarationGroups) {
        const WCHAR* lines = group.current;
        if (level == ProductLevel::Earlier && group.earlier)
            lines = group.earlier;
        if (!*lines)
            continue;
        prologue += lines;
        prologue += W("\r\n\r\n");
    }
    CXmlSafeText zone(timeZoneName, XmlPlace::Attribute);
    CBstrString end;
    end.Format(kPrologueEnd, zone.c_str());
    prologue += end;
    text = std::move(prologue);
}

void BuildResultsPrologueWith(const WCHAR* declaration, const WCHAR* timeZoneName, CBstrString& text) noexcept
{
    CXmlSafeText zone(timeZoneName, XmlPlace::Attribute);
    text.Format(kPrologueAround, declaration ? declaration : W(""), zone.c_str());
}

void GetTimeZoneName(CBstrString& name) noexcept
{
    TIME_ZONE_INFORMATION info;
    if (GetTimeZoneInformation(&info) == TIME_ZONE_ID_INVALID) {
        name.Empty();
        return;
    }
    info.StandardName[31] = 0;
    name = info.StandardName;
}

bool GetExternalDeclarationPath(CBstrString& path) noexcept
{
    try {
        std::vector<WCHAR> buffer(MAX_PATH);
        for (;;) {
            DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (length == 0)
                return false;
            if (length < buffer.size())
                break;
            if (buffer.size() >= 32768)
                return false;
            buffer.resize(buffer.size() * 2);
        }
        WideString folder(buffer.data());
        size_t separator = folder.find_last_of(W("\\/"));
        folder.resize(separator == WideString::npos ? 0 : separator);
        if (!folder.empty())
            folder += W("\\");
        folder += kExternalDeclarationName;
        path = folder.c_str();
        return !path.IsEmpty();
    } catch (...) {
        return false;
    }
}

bool ReadDeclarationFile(const WCHAR* path, CBstrString& declaration) noexcept
{
    FILE* file = nullptr;
    if (!path || _wfopen_s(&file, path, W("rb")) != 0 || !file)
        return false;
    bool ok = true;
    try {
        std::string bytes;
        std::vector<char> block(kDeclarationBlockBytes);
        for (;;) {
            size_t got = fread(block.data(), 1, block.size(), file);
            bytes.append(block.data(), got);
            if (got < block.size())
                break;
        }
        if (ferror(file))
            ok = false;
        WideString text;
        text.reserve(bytes.size() / 2);
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        size_t first = (!text.empty() && text[0] == 0xFEFF) ? 1 : 0;
        if (ok && FAILED(declaration.Assign(text.c_str() + first, static_cast<UINT>(text.size() - first))))
            ok = false;
    } catch (...) {
        ok = false;
    }
    fclose(file);
    return ok;
}
