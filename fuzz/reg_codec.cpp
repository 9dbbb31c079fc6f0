// Registry files: the bytes decoded, the file read line by line, and the
// POSIX registry's hive format read, written and read again to the same
// tree.
#include <string>

#include "FuzzSupport.h"
#include "pal/reg_file_codec.h"
#include "registry/reg_file.h"

namespace {

class CCountingSink final : public CPalRegFileSink {
public:
    bool Key(const WideString&, bool, long, std::string&) override { return ++m_lines < 1000000; }
    bool Value(const WideString&, bool, const PalRegData&, long, std::string&) override { return ++m_lines < 1000000; }

private:
    long m_lines = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    PalRegTextProblem problem = PalRegTextProblem::None;
    WideString text = PalRegDecodeText(bytes, &problem);
    CCountingSink sink;
    std::string error;
    if (PalReadRegFile(text, sink, error) == PalRegFileResult::Invalid)
        fuzz::Check(!error.empty(), "an invalid file says why");

    PalRegKeyNode root(W("HKEY_LOCAL_MACHINE"));
    if (!PalParseRegFile(text, root, error))
        return 0;
    WideString written = PalFormatRegFile(root);
    PalRegKeyNode again(W("HKEY_LOCAL_MACHINE"));
    fuzz::Check(PalParseRegFile(PalRegDecodeText(PalRegEncodeText(written), nullptr), again, error),
                "a hive written is read again");
    fuzz::Check(PalFormatRegFile(again) == written, "a hive read again is the same hive");
    return 0;
}
