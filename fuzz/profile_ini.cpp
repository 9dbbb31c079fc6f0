// Profile (INI) files as GetPrivateProfileStringW reads them and
// WritePrivateProfileStringW edits them: every section and key found is read
// back, a key is set and one removed, and the file written and read again
// holds the key set.
#include <string>

#include "FuzzSupport.h"
#include "file/profile_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::WriteScratchFile("profile.ini", data, size);
    const std::string path = fuzz::ScratchPath("profile.ini");
    ProfileDocument document;
    if (!document.Load(path))
        return 0;
    size_t keys = 0;
    for (const WideString& section : document.SectionNames()) {
        fuzz::Check(document.HasSection(section), "a section listed is found");
        for (const WideString& key : document.KeyNames(section)) {
            WideString value;
            fuzz::Check(document.FindValue(section, key, value), "a key listed is found");
            if (++keys > 1000)
                break;
        }
    }
    document.SetValue(W("General"), W("Total"), W("12"));
    document.RemoveKey(W("General"), W("Title"));
    const std::string copy = fuzz::ScratchPath("profile-copy.ini");
    fuzz::Check(document.Save(copy), "the profile is written");
    ProfileDocument again;
    fuzz::Check(again.Load(copy), "the profile written is read");
    WideString value;
    fuzz::Check(again.FindValue(W("General"), W("Total"), value) && value == W("12"), "the key set is read back");
    // (A key that stands twice in its section is still found after one removal,
    // as Windows removes the first only.)
    return 0;
}
