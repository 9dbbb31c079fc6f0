#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "pal/utf8.h"

namespace fuzz {

namespace {

const std::filesystem::path& ScratchFolder()
{
    static const std::filesystem::path folder = [] {
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("annalist-fuzz-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

} // namespace

std::string ScratchPath(const char* name) { return (ScratchFolder() / name).string(); }

WideString Wide(const std::string& utf8) { return PalFromUtf8(utf8); }

WideString WriteScratchFile(const char* name, const uint8_t* data, size_t size)
{
    std::string path = ScratchPath(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return Wide(path);
}

void Check(bool holds, const char* rule)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz: broken rule: %s\n", rule);
        std::abort();
    }
}

} // namespace fuzz
