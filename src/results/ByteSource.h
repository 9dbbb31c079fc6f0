// Where the reader's bytes come from: a file read in blocks, or a buffer
// already in memory (a test, a fuzz target, a file received otherwise).
#pragma once

#include <cstddef>
#include <fstream>
#include <string>

namespace results {

class CByteSource {
public:
    virtual ~CByteSource() = default;
    // Copies up to `size` bytes into `buffer`; 0 at the end of the input (or
    // after a read error, which Failed() then tells).
    virtual size_t Read(char* buffer, size_t size) = 0;
    virtual bool Failed() const { return false; }
};

// A buffer the caller keeps alive while it is read.
class CMemoryByteSource final : public CByteSource {
public:
    CMemoryByteSource(const char* data, size_t size) : m_data(data), m_size(size) {}
    explicit CMemoryByteSource(const std::string& bytes) : CMemoryByteSource(bytes.data(), bytes.size()) {}
    size_t Read(char* buffer, size_t size) override;

private:
    const char* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// A file named by a UTF-8 path, read in blocks.
class CFileByteSource final : public CByteSource {
public:
    CFileByteSource() = default;
    CFileByteSource(const CFileByteSource&) = delete;
    CFileByteSource& operator=(const CFileByteSource&) = delete;

    // False with the system's reason when the file cannot be opened.
    bool Open(const std::string& utf8Path, std::string& error);
    size_t Read(char* buffer, size_t size) override;
    bool Failed() const override { return m_failed; }

private:
    std::filebuf m_file;
    bool m_failed = false;
};

// A whole small file (GeneralInfo.ini) into `bytes`; false with the reason
// when it cannot be read or is larger than `limit`.
bool ReadSmallFile(const std::string& utf8Path, size_t limit, std::string& bytes, std::string& error);

} // namespace results
