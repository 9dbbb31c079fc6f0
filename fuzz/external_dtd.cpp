// The earlier level's "external.dtd": any file read as the declaration, and
// the prologue built around it.
#include "FuzzSupport.h"
#include "report/ResultsPrologue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WideString path = fuzz::WriteScratchFile("external.dtd", data, size);
    CBstrString declaration;
    if (!ReadDeclarationFile(path.c_str(), declaration))
        return 0;
    fuzz::Check(declaration.Length() <= size / 2, "no more text than the file holds");
    CBstrString prologue;
    BuildResultsPrologueWith(declaration.c_str(), W("Zone \"<&>\""), prologue);
    return 0;
}
