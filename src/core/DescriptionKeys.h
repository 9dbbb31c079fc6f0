// The keys of the event description that the logger reads and writes, made
// once for the whole process: each is kept in the layout of a BSTR (its byte
// count, the text, a zero), so that a key is handed to the dictionary as it
// stands, with nothing allocated per call.
#pragma once

#include <cstddef>

#include "pal/pal.h"

// A key's text in the layout of a BSTR, built by the compiler.
template <size_t N>
struct DescriptionKeyText {
    constexpr DescriptionKeyText(const WCHAR (&name)[N]) : bytes(static_cast<DWORD>((N - 1) * sizeof(WCHAR))), text()
    {
        for (size_t i = 0; i < N; ++i)
            text[i] = name[i];
    }
    DWORD bytes;
    WCHAR text[N];
};
template <size_t N>
DescriptionKeyText(const WCHAR (&)[N]) -> DescriptionKeyText<N>;

namespace keys {

inline constexpr DescriptionKeyText Action{W("Action")};
inline constexpr DescriptionKeyText ArgumentsDispatch{W("ArgumentsDispatch")};
inline constexpr DescriptionKeyText BottomFilePath{W("BottomFilePath")};
inline constexpr DescriptionKeyText CompIndexInBPT{W("CompIndexInBPT")};
inline constexpr DescriptionKeyText CompIterId{W("CompIterId")};
inline constexpr DescriptionKeyText CustomObjUnk{W("CustomObjUnk")};
inline constexpr DescriptionKeyText DebugRunMode{W("DebugRunMode")};
inline constexpr DescriptionKeyText DllIconIndex{W("DllIconIndex")};
inline constexpr DescriptionKeyText DllIconSelIndex{W("DllIconSelIndex")};
inline constexpr DescriptionKeyText DllPath{W("DllPAth")};
inline constexpr DescriptionKeyText DoSaveSnapShot{W("DoSaveSnapShot")};
inline constexpr DescriptionKeyText DocumentType{W("DocumentType")};
inline constexpr DescriptionKeyText EnableFilter{W("EnableFilter")};
inline constexpr DescriptionKeyText FinalStatus{W("FINAL_STATUS")};
inline constexpr DescriptionKeyText HtmlNodeName{W("HtmlNodeName")};
inline constexpr DescriptionKeyText IconIndex{W("IconIndex")};
inline constexpr DescriptionKeyText IconSelIndex{W("IconSelIndex")};
inline constexpr DescriptionKeyText Iteration{W("Iteration")};
inline constexpr DescriptionKeyText MaintenanceSummary{W("MaintenanceSummary")};
inline constexpr DescriptionKeyText MovieMarkerID{W("MovieMarkerID")};
inline constexpr DescriptionKeyText NodeName{W("NodeName")};
inline constexpr DescriptionKeyText NodeType{W("NodeType")};
inline constexpr DescriptionKeyText NodeValue{W("NodeValue")};
inline constexpr DescriptionKeyText PartialReplay{W("PartialReplay")};
inline constexpr DescriptionKeyText Password{W("Password")};
inline constexpr DescriptionKeyText PlainTextNodeName{W("PlainTextNodeName")};
inline constexpr DescriptionKeyText ProductName{W("ProductName")};
inline constexpr DescriptionKeyText ReportAppendMode{W("ReportAppendMode")};
inline constexpr DescriptionKeyText ReportDumpStack{W("ReportDumpStack")};
inline constexpr DescriptionKeyText ReporterDispatch{W("ReporterDispatch")};
inline constexpr DescriptionKeyText ResultsName{W("ResultsName")};
inline constexpr DescriptionKeyText ReturnLogStatus{W("ReturnLogStatus")};
inline constexpr DescriptionKeyText ReturnValue{W("ReturnValue")};
inline constexpr DescriptionKeyText RunInUpdateSnapshotsMode{W("RunInUpdateSnapshotsMode")};
inline constexpr DescriptionKeyText RunInUpdateTODescMode{W("RunInUpdateTODescMode")};
inline constexpr DescriptionKeyText RunInUpdateVOMode{W("RunInUpdateVOMode")};
inline constexpr DescriptionKeyText ShortTestset{W("ShortTestset")};
inline constexpr DescriptionKeyText ShowTopFile{W("ShowTopFile")};
inline constexpr DescriptionKeyText Status{W("Status")};
inline constexpr DescriptionKeyText StepHtmlInfo{W("StepHtmlInfo")};
inline constexpr DescriptionKeyText StepInfo{W("StepInfo")};
inline constexpr DescriptionKeyText StepName{W("Step Name")};
inline constexpr DescriptionKeyText StepPlainTxt{W("StepPlainTxt")};
inline constexpr DescriptionKeyText TestInstance{W("TestInstance")};
inline constexpr DescriptionKeyText TestLocation{W("TestLocation")};
inline constexpr DescriptionKeyText TestName{W("TestName")};
inline constexpr DescriptionKeyText TestVersionInVC{W("TestVersionInVC")};
inline constexpr DescriptionKeyText TimeoutFullTime{W("Timeout_FullTime")};
inline constexpr DescriptionKeyText TimeoutUsedTime{W("Timeout_UsedTime")};
inline constexpr DescriptionKeyText Title{W("Title")};
inline constexpr DescriptionKeyText ToolOsVersion{W("ToolOsVersion")};
inline constexpr DescriptionKeyText UseCRFormat{W("UseCRFormat")};
inline constexpr DescriptionKeyText UserName{W("UserName")};
inline constexpr DescriptionKeyText UsersPictureHbitmap{W("UsersPictureHbitmap")};
inline constexpr DescriptionKeyText VaultProject{W("VaultProject")};
inline constexpr DescriptionKeyText VaultServer{W("VaultServer")};
inline constexpr DescriptionKeyText Version{W("Version")};
inline constexpr DescriptionKeyText ViewType{W("ViewType")};

} // namespace keys
