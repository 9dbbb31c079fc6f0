// A file system that really runs full: a small tmpfs mounted inside a
// temporary folder for the life of the object. Mounting needs root (as in
// the test container and CI); where it is refused, and on Windows, Mounted()
// is false and the tests that need it skip, saying so.
#pragma once

#include <filesystem>
#include <string>

#include "pal/pal.h"
#include "support/TestSupport.h"

namespace test {

class CSmallDisk {
public:
    // size as mount takes it ("64k", "1m"); entries: the most files and folders.
    explicit CSmallDisk(const char* size = "256k", int entries = 64);
    ~CSmallDisk();
    CSmallDisk(const CSmallDisk&) = delete;
    CSmallDisk& operator=(const CSmallDisk&) = delete;

    bool Mounted() const { return m_mounted; }
    // Why it is not mounted.
    const std::string& Reason() const { return m_reason; }

    const std::filesystem::path& Path() const { return m_mountPoint; }
    // A path inside, as the library takes it.
    WideString Wide(const std::string& relative = std::string()) const;

    ULONGLONG FreeBytes() const;
    // Writes a ballast file until only `spare` bytes are free.
    void Fill(ULONGLONG spare = 0);
    // Deletes the ballast.
    void Unfill();

private:
    TempFolder m_folder;
    std::filesystem::path m_mountPoint;
    bool m_mounted = false;
    std::string m_reason;
};

} // namespace test
