#include "report/CompatibilityStub.h"

#include <vector>

#include "text/BstrString.h"

namespace {

// The one-node report of the older layout. "Status=Done" ends with a line
// feed alone, and the last line has no line end.
const char kStubReport[] = "[T1]\r\nIndent=0\r\nEventType=StartRepLog\r\nType=HTML\r\n"
                           "NodeName=Incompatibility Error\r\nIconIndex=1\r\nStatus=Done\nIteration=1\r\n"
                           "ReplayId=2\r\nBottomFile=InstallNewReport.html\r\nTopFile=\r\n[General]\r\nTotal=1\r\n"
                           "Title=Incompatibility Error";
const size_t kStubReportBytes = sizeof(kStubReport) - 1;

const WCHAR kPageTemplate[] =
    W("<html>\n<head>\n\t<link rel=\"stylesheet\" href=\"Dummy-will be replaced on runtime\">\n")
    W("\t<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\"/>\n</head>\n")
    W("<body bgcolor=\"#ffffff\" leftmargin=\"20\" marginwidth=\"20\" topmargin=\"10\" marginheight=\"10\" ")
    W("vlink=\"#9966cc\">\n<table border=\"0\" cellpadding=\"3\" cellspacing=\"0\" width=\"100%%\">\n")
    W("<tr><td height=\"1\" class=\"bg_midblue\"></td></tr><tr><td height=\"30\"><p><b><span class=\"hl1name\">")
    W("%s</span></b></td></tr><tr><td height=\"2\" class=\"bg_darkblue\"></td></tr>\n</BODY>\n</HTML>\n");

bool Exists(const WCHAR* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// Creates the file ("wb", no disk-space prompt) and writes the bytes; false
// when the file cannot be created.
bool WriteNewFile(const WCHAR* path, const char* bytes, size_t count)
{
    FILE* file = nullptr;
    if (_wfopen_s(&file, path, W("wb")) != 0 || !file)
        return false;
    fwrite(bytes, 1, count, file);
    fclose(file);
    return true;
}

} // namespace

void WriteCompatibilityStub(const WCHAR* stubPath, const WCHAR* pagePath, const WCHAR* message) noexcept
{
    if (!stubPath || !pagePath || Exists(stubPath))
        return;
    if (!WriteNewFile(stubPath, kStubReport, kStubReportBytes))
        return;
    if (Exists(pagePath))
        return;
    CBstrString page;
    if (FAILED(page.Format(kPageTemplate, message ? message : W(""))))
        return;
    int size = WideCharToMultiByte(CP_ACP, 0, page.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return;
    try {
        std::vector<char> bytes(static_cast<size_t>(size));
        if (WideCharToMultiByte(CP_ACP, 0, page.c_str(), -1, bytes.data(), size, nullptr, nullptr) != size)
            return;
        WriteNewFile(pagePath, bytes.data(), static_cast<size_t>(size - 1));
    } catch (...) {
    }
}
