// Icon files: read, written and read again to the same images.
#include <cstring>

#include "FuzzSupport.h"
#include "fs/IconFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WideString path = fuzz::WriteScratchFile("in.ico", data, size);
    IconSetPtr icons(LoadIconFile(path.c_str()));
    if (!icons)
        return 0;
    WideString copy = fuzz::Wide(fuzz::ScratchPath("out.ico"));
    fuzz::Check(WriteIconFile(icons.get(), copy.c_str()), "an icon set read is written");
    IconSetPtr again(LoadIconFile(copy.c_str()));
    fuzz::Check(again != nullptr, "an icon file written is read again");
    fuzz::Check(again->images.size() == icons->images.size(), "the same number of images");
    for (size_t i = 0; i < icons->images.size(); ++i) {
        const IconImage& a = icons->images[i];
        const IconImage& b = again->images[i];
        fuzz::Check(a.width == b.width && a.height == b.height && a.colorDepth == b.colorDepth &&
                        a.dataSize == b.dataSize,
                    "the same image sizes");
    }
    return 0;
}
