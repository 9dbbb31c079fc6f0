// GeneralInfo.ini as an appended run reads it (any file), written again and
// read back to the same record.
#include <cstdio>

#include "FuzzSupport.h"
#include "pal/utf8.h"
#include "report/GeneralInfoFile.h"

namespace {

// A value as it comes back: a line break inside it is written as a blank (so
// that no value can add keys), and blanks around a value are not kept.
WideString Written(const CBstrString& value)
{
    WideString text(value.c_str(), value.Length());
    for (WCHAR& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    size_t begin = text.find_first_not_of(W(" \t"));
    if (begin == WideString::npos)
        return WideString();
    return text.substr(begin, text.find_last_not_of(W(" \t")) - begin + 1);
}

bool SameText(const char* name, const CBstrString& read, const CBstrString& again)
{
    WideString expected = Written(read);
    WideString got(again.c_str(), again.Length());
    if (expected != got)
        std::fprintf(stderr, "%s: \"%s\" came back as \"%s\"\n", name, PalToUtf8(expected).c_str(),
                     PalToUtf8(got).c_str());
    return expected == got;
}

bool Same(const GeneralInfo& a, const GeneralInfo& b)
{
    bool same = a.total == b.total && a.osVersion == b.osVersion && a.globalIteration == b.globalIteration;
    same = SameText("Product", a.product, b.product) && same;
    same = SameText("Version", a.version, b.version) && same;
    same = SameText("Title", a.title, b.title) && same;
    same = SameText("UserName", a.userName, b.userName) && same;
    same = SameText("Password", a.password, b.password) && same;
    same = SameText("TestLocation", a.testLocation, b.testLocation) && same;
    same = SameText("TestOnHost", a.testOnHost, b.testOnHost) && same;
    same = SameText("VaultServer", a.vaultServer, b.vaultServer) && same;
    return SameText("VaultProject", a.vaultProject, b.vaultProject) && same;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (ProductLevel level : {ProductLevel::Current, ProductLevel::Earlier}) {
        WideString path = fuzz::WriteScratchFile("GeneralInfo.ini", data, size);
        GeneralInfo read;
        ReadGeneralInfo(path.c_str(), &read, level);
        WideString copy = fuzz::Wide(fuzz::ScratchPath("GeneralInfo-copy.ini"));
        WriteGeneralInfo(copy.c_str(), &read, level);
        GeneralInfo again;
        ReadGeneralInfo(copy.c_str(), &again, level);
        fuzz::Check(Same(read, again), "a record written is read back the same");
    }
    return 0;
}
