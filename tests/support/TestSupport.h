// Helpers shared by the tests: temporary folders, file contents, texts.
#pragma once

#include <filesystem>
#include <string>

#include "pal/pal.h"

namespace test {

// A new empty folder under the system's temporary folder, removed with its
// contents when the object goes away.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder as the library sees paths (UTF-16, native separators).
    WideString Wide() const;
    // A path inside the folder.
    WideString Wide(const std::string& relative) const;

private:
    std::filesystem::path m_path;
};

WideString ToWide(const std::filesystem::path& path);
std::filesystem::path FromWide(const WideString& path);

// Whole file contents as bytes; empty when the file cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
bool FileExists(const std::filesystem::path& path);
// How often piece stands in text (occurrences that do not overlap).
size_t CountOf(const std::string& text, const std::string& piece);

// A data file of the tests (tests/data/<relative>).
std::filesystem::path DataPath(const std::string& relative);
// The build folder (for built binaries the tests use).
std::filesystem::path BuildPath(const std::string& relative);

// UTF-8 <-> UTF-16 for test texts (independent of the library's converters).
WideString Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const WideString& text);

} // namespace test
